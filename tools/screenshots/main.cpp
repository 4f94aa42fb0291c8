// Takes pictures of the main window in each workspace state:
//   take-screenshots OUTDIR [APPDIR]
// APPDIR is the program folder to work in (the build's bin folder by default);
// run it with QT_QPA_PLATFORM=offscreen, or under Xvfb. The pages are driven
// through the window's controls, found by their names.
#include "shell/Dialogs.h"
#include "document/Workspace.h"
#include "document/Document.h"
#include "viewer/HtmlViewer.h"
#include "workspace/SendPanel.h"
#include "workspace/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QListWidget>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>

using namespace wobbin;

namespace {

QString g_out;

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Save(QWidget &w, const char *name)
{
    Wait(300);
    const QString file = g_out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (!w.grab().save(file)) {
        std::fprintf(stderr, "take-screenshots: cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

void Click(QWidget *target, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
}

void ClickToolbar(TfrmMain &w, int x) { Click(w.findChild<QWidget *>(QStringLiteral("picToolbar")), QPoint(x, 50)); }

void WaitForViewer(TfrmMain &w)
{
    if (auto *viewer = w.findChild<THtmlViewer *>(QStringLiteral("ctlHTML")))
        viewer->WaitForRendered(20000);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: take-screenshots OUTDIR [APPDIR]\n");
        return 1;
    }
    g_out = args.at(1);
    QDir().mkpath(g_out);
    TDialogs::SetNonInteractive(true);

    TfrmMain::Options o;
    o.appDir = args.value(2, QStringLiteral(WOBBIN_BINARY_DIR "/bin"));
    o.detectCompanion = false;
    TfrmMain w(o);
    w.show();
    Wait(500);
    bool ok = Save(w, "screenshot-choose");

    auto *list = w.findChild<QListWidget *>(QStringLiteral("lvTemplates"));
    const QList<QListWidgetItem *> example = list->findItems(QStringLiteral("Example"), Qt::MatchExactly);
    if (!example.isEmpty())
        Click(list->viewport(), list->visualItemRect(example.first()).center());
    ok = Save(w, "screenshot-choose-selected") && ok;
    ClickToolbar(w, 150);
    ok = Save(w, "screenshot-build") && ok;

    // One frame of the mascot's walk, as it crosses the toolbar.
    int frames = 0;
    QObject::connect(&w.Workspace(), &TWorkspace::pipFrameDrawn, &w, [&] {
        if (++frames == 5)
            w.grab().save(g_out + QStringLiteral("/screenshot-walk.png"));
    });
    ClickToolbar(w, 300);
    WaitForViewer(w);
    ok = Save(w, "screenshot-view") && ok;

    Click(w.findChild<QWidget *>(QStringLiteral("imgView")), QPoint(10, 10));
    WaitForViewer(w);
    ok = Save(w, "screenshot-view-enlarged") && ok;
    Click(w.findChild<QWidget *>(QStringLiteral("imgView")), QPoint(10, 10));

    // Send asks for a name for an untitled page; a saved one goes straight there.
    ClickToolbar(w, 430);
    if (w.Workspace().State() == wsSend) {
        w.SendPanel().Web().Index = -1;
        w.SendPanel().DisplayMagnifier();
        ok = Save(w, "screenshot-send") && ok;
    }
    w.Document().SetDocumentChanged(false);
    return ok ? 0 : 1;
}
