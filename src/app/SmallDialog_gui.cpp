#include "app/SmallDialog_gui.h"

#include "app/Settings.h"
#include "app/StringTable.h"

#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace wobbin {

void PrepareSmallDialog(QDialog *dialog, const char *name, int width, int height, TTitleButtons buttons)
{
    dialog->setObjectName(QString::fromLatin1(name));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (buttons == TTitleButtons::Close)
        flags |= Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(flags);
    dialog->setFixedSize(width, height);
    dialog->setModal(true);
    QString family = LoadStr(32);
    if (family.isEmpty())
        family = QStringLiteral("Arial");
    dialog->setFont(QFont(family, 8));
    QPalette pal = dialog->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    pal.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    dialog->setPalette(pal);
    dialog->setAutoFillBackground(true);

    QScreen *screen = dialog->parentWidget() ? dialog->parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect avail = screen->availableGeometry();
        dialog->move(avail.center() - QPoint(width / 2, height / 2));
    }
}

void StoreDontShowAgain(const QCheckBox *box, const QString &settingName)
{
    if (box && box->isChecked())
        WriteSetting(QStringLiteral("General"), settingName, QStringLiteral("No"));
}

} // namespace wobbin
