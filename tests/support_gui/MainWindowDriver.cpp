#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "support/FileTree.h"
#include "workspace/frmMain.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace wobbin::testing {

QObject *FindNamed(const QObject *root, const QString &name, const char *type)
{
    for (QObject *o : root->findChildren<QObject *>(name))
        if (o->inherits(type))
            return o;
    qFatal("the window has no %s named %s", type, qPrintable(name));
    return nullptr;
}

QString CopyAppData(const QTemporaryDir &dir)
{
    const QString app = CopyProgramData(dir.path());
    if (app.isEmpty())
        qFatal("cannot copy the program's data to %s", qPrintable(dir.path()));
    return app;
}

void FreshStart(std::unique_ptr<QTemporaryDir> &dir, QString &app)
{
    TDialogs::ClearPresets();
    dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        qFatal("cannot make a temporary folder");
    app = CopyAppData(*dir);
    SettingsStore().OpenKey(QString(), true);
    SettingsStore().CloseKey();
    SettingsStore().Raw().remove(QStringLiteral("General"));
}

std::unique_ptr<TfrmMain> MakeMainWindow(const QString &appDir, const QString &commandLineFile, bool detectCompanion)
{
    TfrmMain::Options o;
    o.appDir = appDir;
    o.commandLineFile = commandLineFile;
    o.detectCompanion = detectCompanion;
    auto w = std::make_unique<TfrmMain>(o);
    w->show();
    return w;
}

void ClickToolbar(const QWidget *window, int x, Qt::MouseButton button)
{
    QTest::mouseClick(Named<QWidget>(window, "picToolbar"), button, {}, QPoint(x, 50));
}

void Trigger(const QWidget *window, const char *actionName) { Named<QAction>(window, actionName)->trigger(); }

void ClickRow(QListWidget *list, int row, bool twice)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

int RowOf(const QListWidget *list, const QString &caption)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == caption)
            return i;
    return -1;
}

QStringList Captions(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace wobbin::testing
