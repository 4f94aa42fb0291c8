// The application object: exceptions that reach the event dispatch are
// dropped and the program goes on; event 1148 ends the event loop in order.
#include "shell/AppException.h"
#include "shell/Application.h"
#include "shell/Dialogs.h"
#include "support/SmallFileSystem.h"

#include <QMessageBox>
#include <QPushButton>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;

class TestAppApplication : public QObject
{
    Q_OBJECT
    TWobbinApplication *App() { return static_cast<TWobbinApplication *>(qApp); }

private Q_SLOTS:
    void exceptionFromEventHandlerIsDropped()
    {
        const int before = App()->DroppedExceptions();
        int after = 0;
        QTimer::singleShot(0, [] { throw AppException("bitmap missing"); });
        QTimer::singleShot(20, [&] { ++after; });
        QTRY_COMPARE(after, 1);  // the program carried on
        QCOMPARE(App()->DroppedExceptions(), before + 1);
        QCOMPARE(App()->LastExceptionText(), QStringLiteral("bitmap missing"));
    }

    void exceptionFromClickHandlerIsDropped()
    {
        QPushButton button(QStringLiteral("x"));
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&] {
            ++clicks;
            if (clicks == 1)
                throw std::runtime_error("first click fails");
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        const int before = App()->DroppedExceptions();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(App()->DroppedExceptions(), before + 1);
        QTest::mouseClick(&button, Qt::LeftButton);  // the button still works
        QCOMPARE(clicks, 2);
        QCOMPARE(App()->DroppedExceptions(), before + 1);
    }

    void nonStandardExceptionIsDropped()
    {
        const int before = App()->DroppedExceptions();
        QTimer::singleShot(0, [] { throw 42; });
        QTRY_COMPARE(App()->DroppedExceptions(), before + 1);
    }

    void debugModeIsOffByDefault()
    {
        QVERIFY(!DebugMode());
    }

    void debugModeShowsTheException()
    {
        SetDebugMode(true);
        QString shown;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                    shown = box->text();
                    box->accept();
                }
        });
        closer.start(20);
        const int before = App()->DroppedExceptions();
        QTimer::singleShot(0, [] { throw AppException("shown in debug mode"); });
        QTRY_COMPARE(shown, QStringLiteral("shown in debug mode"));
        QCOMPARE(App()->DroppedExceptions(), before + 1);
        SetDebugMode(false);
    }

    void unusableDataFolderIsToldOnce()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        QString error;
        QVERIFY2(wobbin::testing::MountSmallFileSystem(data, 64, &error), qPrintable(error));
        QVERIFY(QDir().mkpath(data + QStringLiteral("/template")));
        QVERIFY2(wobbin::testing::RemountReadOnly(data, &error), qPrintable(error));
        TDialogs::ClearPresets();
        TDialogs::SetNonInteractive(true);
        QVERIFY(ReportStartupProblems(data));
        QCOMPARE(TDialogs::ShownMessages().size(), 1);
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        QVERIFY2(TDialogs::LastMessage().contains(
                     QStringLiteral("The data folder \"%1\" cannot be used: Read-only file system.").arg(data)),
                 qPrintable(TDialogs::LastMessage()));
        wobbin::testing::UnmountSmallFileSystem(data);
        // A usable folder: nothing is said.
        QVERIFY(!ReportStartupProblems(dir.path()));
        QCOMPARE(TDialogs::ShownMessages().size(), 1);
        TDialogs::SetNonInteractive(false);
    }

    void message1148EndsTheLoop()
    {
        // A nested loop stands in for the main loop and a dialog's loop.
        QEventLoop outer;
        bool innerLeft = false;
        QTimer::singleShot(0, [&] {
            QEventLoop inner;
            QTimer::singleShot(50, [] {
                QCoreApplication::postEvent(qApp, new QEvent(QEvent::Type(kTerminateMessage)));
            });
            inner.exec();
            innerLeft = true;
        });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &outer, [&] { outer.exit(99); });
        guard.start(10000);
        const int code = outer.exec();
        QVERIFY(innerLeft);
        QCOMPARE(code, 0);
        QVERIFY(TerminationRequested());
    }
};

int main(int argc, char **argv)
{
    wobbin::testing::EnterPrivateMountNamespace();
    TWobbinApplication app(argc, argv);
    TestAppApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app_application.moc"
