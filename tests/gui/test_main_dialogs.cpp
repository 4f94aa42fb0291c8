// The dialog wrapper every window asks through: presets answer in order,
// file names get their default extension, and without a preset a test run
// never blocks on a dialog.
#include "shell/Dialogs.h"

#include <QtTest>

using namespace wobbin;

class TestMainDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TDialogs::ClearPresets();
        TDialogs::SetNonInteractive(true);
    }

    void filtersInQtForm()
    {
        QCOMPARE(ConvertFilter(QStringLiteral("Wobbin Express Files (*.qze)|*.qze")),
                 QStringList{QStringLiteral("Wobbin Express Files (*.qze)")});
        QCOMPARE(ConvertFilter(QStringLiteral("All Graphic Files|*.jpg;*.bmp;*.gif|jpeg|*.jpg")),
                 (QStringList{QStringLiteral("All Graphic Files (*.jpg *.bmp *.gif)"),
                              QStringLiteral("jpeg (*.jpg)")}));
        // A dangling description without patterns is dropped, not crashed on.
        QCOMPARE(ConvertFilter(QStringLiteral("Only a description")), QStringList());
    }

    void presetsAnswerInOrder()
    {
        TDialogs::PresetAnswer(QMessageBox::No);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        QCOMPARE(MsgBox(nullptr, QStringLiteral("first"), QMessageBox::Question,
                        QMessageBox::Yes | QMessageBox::No), QMessageBox::No);
        QCOMPARE(MsgBox(nullptr, QStringLiteral("second"), QMessageBox::Warning,
                        QMessageBox::Yes | QMessageBox::No), QMessageBox::Yes);
        QCOMPARE(TDialogs::ShownMessages(), (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        QCOMPARE(TDialogs::PendingPresets(), 0);

        // File and message presets are separate queues.
        TDialogs::PresetFile(QStringLiteral("/tmp/a"), 2);
        TDialogs::PresetAnswer(QMessageBox::Ok);
        QCOMPARE(MsgBox(nullptr, QStringLiteral("x"), QMessageBox::Information), QMessageBox::Ok);
        const FileDialogResult open = OpenFileDialog(nullptr, QStringLiteral("Open"), QString(), QString(),
                                                     QStringLiteral("A|*.a|B|*.b"));
        QVERIFY(open.Chosen);
        QCOMPARE(open.FileName, QStringLiteral("/tmp/a"));
        QCOMPARE(open.FilterIndex, 2);
        QCOMPARE(TDialogs::ShownFileDialogs(), QStringList{QStringLiteral("Open")});
    }

    void saveAddsTheDefaultExtension()
    {
        TDialogs::PresetFile(QStringLiteral("/tmp/page"));
        TDialogs::PresetFile(QStringLiteral("/tmp/page.qze"));
        TDialogs::PresetCancel();
        const QString filter = QStringLiteral("Wobbin Express Files (*.qze)|*.qze");
        QCOMPARE(SaveFileDialog(nullptr, QString(), QString(), QString(), filter, QStringLiteral("qze")).FileName,
                 QStringLiteral("/tmp/page.qze"));
        QCOMPARE(SaveFileDialog(nullptr, QString(), QString(), QString(), filter, QStringLiteral("qze")).FileName,
                 QStringLiteral("/tmp/page.qze"));
        QVERIFY(!SaveFileDialog(nullptr, QString(), QString(), QString(), filter, QStringLiteral("qze")).Chosen);
    }

    void withoutPresetNothingBlocks()
    {
        // The default button, else the most careful answer.
        QCOMPARE(MsgBox(nullptr, QStringLiteral("q"), QMessageBox::Question,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes),
                 QMessageBox::Yes);
        QCOMPARE(MsgBox(nullptr, QStringLiteral("q"), QMessageBox::Question,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel),
                 QMessageBox::Cancel);
        QCOMPARE(MsgBox(nullptr, QStringLiteral("q"), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No),
                 QMessageBox::No);
        QVERIFY(!OpenFileDialog(nullptr, QString(), QString(), QString(), QString()).Chosen);
        QColor c;
        QVERIFY(!ColourDialog(nullptr, Qt::red, c));
        TDialogs::PresetColour(Qt::blue);
        QVERIFY(ColourDialog(nullptr, Qt::red, c));
        QCOMPARE(c, QColor(Qt::blue));
    }
};

QTEST_MAIN(TestMainDialogs)
#include "test_main_dialogs.moc"
