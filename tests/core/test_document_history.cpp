// Undo and redo of the page without a window: the steps and their names,
// typing merged into one step, the changed flag following the saved page, a
// fresh history on loading, the page's text in View, and a long random run of
// changes, undos and redos that must always give back the exact page file of
// each earlier state.
#include "support/DocumentFakes.h"
#include "support/FileTree.h"

#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/WorkspaceRules.h"
#include "page/PageFile.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestDocumentHistory : public TDocumentTest
{
    Q_OBJECT

    TPageDocument &page() { return m_doc->Page(); }
    QByteArray bytes() { return PageFileBytes(page(), m_doc->StyleName()); }
    static QString plain(QString s) { return s.remove(QLatin1Char('&')); }

    // A block of that kind added at the end, as a drop below the tiles does.
    void add(int kind)
    {
        page().DropPaletteBlock(kind, layout::SlotTop(7));
        m_doc->RecordEdit(EditStep::Add, kind);
    }
    void typeHeading(int index, const QString &text)
    {
        page().Blocks.At(index).Heading->Text = text;
        m_doc->RecordEdit(EditStep::Field, bkHeading, QStringLiteral("txtHeading"));
    }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Wobbin Express")); }

    void init()
    {
        QVERIFY(MakeDocument({"Styles.data", "save", "template"}, QStringLiteral("General")));
        m_doc->New();
        m_doc->SetWorkspaceState(wsBuild);
    }

    void cleanup()
    {
        QCOMPARE(m_host->Pending(), 0);
        m_doc.reset();
    }

    void stepsAreNamedForWhatTheyDid()
    {
        QSignalSpy history(m_doc.get(), &TDocument::historyChanged);
        QVERIFY(!m_doc->CanUndo());
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo"));
        QCOMPARE(plain(m_doc->RedoText()), QStringLiteral("Redo"));

        add(bkPara);
        add(bkHeading);
        QCOMPARE(history.count(), 2);
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Add Heading"));

        // The heading dragged above the paragraph.
        page().MoveBlock(1, layout::SlotTop(0), layout::kTileLeft);
        m_doc->RecordEdit(EditStep::Move, bkHeading);
        QCOMPARE(page().Blocks.At(0).Kind, int(bkHeading));
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Move Heading"));

        QVERIFY(m_doc->Undo());
        QCOMPARE(page().Blocks.At(0).Kind, int(bkPara));
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Add Heading"));
        QCOMPARE(plain(m_doc->RedoText()), QStringLiteral("Redo Move Heading"));
        QVERIFY(page().CheckInvariant().isEmpty());

        QVERIFY(m_doc->Redo());
        QCOMPARE(page().Blocks.At(0).Kind, int(bkHeading));
        QVERIFY(!m_doc->CanRedo());
        QVERIFY(!m_doc->Redo());

        // The other steps' names.
        m_doc->SetLogoFromUser(false);
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Logo Switch"));
        m_doc->ChooseStyle(2);
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Choose Style"));
        m_doc->SetTitleFromUser(QStringLiteral("Biscuit's Page"));
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Page Title"));
        page().Blocks.At(1).Para->Align = 2;
        m_doc->RecordEdit(EditStep::Align, bkPara);
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Align Paragraph"));
        page().RemoveBlock(0);
        m_doc->RecordEdit(EditStep::Shred, bkHeading);
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Shred Heading"));

        // Undone in turn, each puts back its part of the page.
        QVERIFY(m_doc->Undo());
        QCOMPARE(page().Blocks.Count(), 2);
        QVERIFY(m_doc->Undo());
        QCOMPARE(page().Blocks.At(1).Para->Align, std::uint8_t(0));
        QVERIFY(m_doc->Undo());
        QCOMPARE(page().PageTitle, DefaultPageTitle());
        QVERIFY(m_doc->Undo());
        QCOMPARE(m_doc->StyleEntry(), 0);
        QVERIFY(m_doc->Undo());
        QVERIFY(m_doc->LogoOn());
    }

    void typingInOneFieldIsOneStep()
    {
        add(bkHeading);
        for (const char *text : {"B", "Bi", "Bis", "Biscuit"})
            typeHeading(0, QLatin1String(text));
        // A change that is none (a panel filled with the values it has) is no step.
        m_doc->RecordEdit(EditStep::Field, bkHeading, QStringLiteral("txtHeading"));
        QCOMPARE(m_doc->History().StepCount(), 2);
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo Typing in Heading"));

        // The focus left: the next typing is a step of its own.
        m_doc->EndTyping();
        typeHeading(0, QStringLiteral("Biscuit's"));
        QCOMPARE(m_doc->History().StepCount(), 3);
        QVERIFY(m_doc->Undo());
        QCOMPARE(page().Blocks.At(0).Heading->Text, QStringLiteral("Biscuit"));
        QVERIFY(m_doc->Undo());
        QCOMPARE(page().Blocks.At(0).Heading->Text, QString());
        QCOMPARE(page().CurrentBlockIndex, 0);

        // Typing taken back to what it was leaves no step behind.
        QVERIFY(m_doc->Redo());
        m_doc->EndTyping();
        typeHeading(0, QStringLiteral("Biscuitx"));
        typeHeading(0, QStringLiteral("Biscuit"));
        QCOMPARE(m_doc->History().StepCount(), 2);
        QVERIFY(!m_doc->CanRedo());

        // Another field typed into is another step.
        typeHeading(0, QStringLiteral("Biscuits"));
        page().Blocks.At(0).Heading->SizeText = QStringLiteral("3 (Large)");
        m_doc->RecordEdit(EditStep::Field, bkHeading, QStringLiteral("cmbHeadSize"));
        QCOMPARE(m_doc->History().StepCount(), 4);
    }

    void changedFlagFollowsTheSavedPage()
    {
        m_doc->LoadTemplate(m_app + QStringLiteral("/template/Family News.qzt"));
        QVERIFY(page().Blocks.Count() > 2);
        QVERIFY(!m_doc->CanUndo());
        QVERIFY(!m_doc->DocumentChanged());
        const QByteArray loaded = bytes();

        typeHeading(0, QStringLiteral("Our News"));
        page().DocumentChanged = true;
        QVERIFY(m_doc->Undo());
        QCOMPARE(bytes(), loaded);
        QVERIFY(!m_doc->DocumentChanged());
        QVERIFY(m_doc->Redo());
        QVERIFY(m_doc->DocumentChanged());

        // Saved: that page is now the one with nothing to save.
        const QString path = m_app + QStringLiteral("/save/News.qze");
        QVERIFY(m_doc->SaveBuilder(path));
        QVERIFY(m_doc->Undo());
        QVERIFY(m_doc->DocumentChanged());
        QVERIFY(m_doc->Redo());
        QVERIFY(!m_doc->DocumentChanged());
        // The logo switch is not kept in the page file: switching it back and
        // forth leaves nothing to save.
        m_doc->SetLogoFromUser(false);
        QVERIFY(m_doc->Undo());
        QVERIFY(!m_doc->DocumentChanged());

        // Loading and New start afresh.
        add(bkLine);
        m_doc->LoadSavedPage(path);
        QVERIFY(!m_doc->CanUndo() && !m_doc->CanRedo());
        QCOMPARE(plain(m_doc->UndoText()), QStringLiteral("Undo"));
        add(bkLine);
        m_doc->New();
        QVERIFY(!m_doc->CanUndo());
    }

    void viewKeepsHandEditsUnlessTheUserAgrees()
    {
        add(bkHeading);
        typeHeading(0, QStringLiteral("First"));
        m_doc->EndTyping();
        m_doc->SetWorkspaceState(wsView);
        m_doc->RegenerateHtml();
        m_doc->SetTitleFromUser(QStringLiteral("Mine"));
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("<TITLE>Mine</TITLE>")));
        // Undoing the title puts the old one into the text.
        QVERIFY(m_doc->Undo());
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("<TITLE>") + DefaultPageTitle()));
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("First")));

        // A hand edit, then undoing a block change: the loss is asked first.
        QCOMPARE(m_doc->TakeHandEdit(m_doc->HtmlText() + QStringLiteral("<!-- mine -->")), TDocument::HandEdit::Taken);
        m_host->Confirmations = {false};
        QVERIFY(!m_doc->Undo());
        QCOMPARE(page().Blocks.At(0).Heading->Text, QStringLiteral("First"));
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("mine")));
        QCOMPARE(m_host->Messages().last(), LoadStr(Msg::LoseHtmlChangesGoBack));
        m_host->Confirmations = {true};
        QVERIFY(m_doc->Undo());
        QVERIFY(!m_doc->HtmlText().contains(QStringLiteral("mine")));
        QVERIFY(!m_doc->HtmlText().contains(QStringLiteral("First")));
        QVERIFY(!m_doc->HTMLEdited());
    }

    void oldStepsAreForgotten()
    {
        add(bkPara);
        for (int i = 0; i < TPageHistory::kMaxSteps + 20; ++i) {
            page().Blocks.At(0).Para->Text = QString::number(i);
            m_doc->RecordEdit(EditStep::Field, bkPara);
        }
        QCOMPARE(m_doc->History().StepCount(), TPageHistory::kMaxSteps);
        int undone = 0;
        while (m_doc->Undo())
            ++undone;
        QCOMPARE(undone, TPageHistory::kMaxSteps);
        QCOMPARE(page().Blocks.At(0).Para->Text, QStringLiteral("19"));
    }

    // Random changes of every kind mixed with undo and redo: each position of
    // the history gives back exactly the page file it had.
    void randomRunGivesBackEveryEarlierPage_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 7u, 42u, 2026u, 99991u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomRunGivesBackEveryEarlierPage()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rnd(seed);
        m_doc->LoadTemplate(m_app + QStringLiteral("/template/Personal Home Page.qzt"));
        std::vector<QByteArray> at{bytes()};
        std::vector<TPageState> full{m_doc->Snapshot()};
        int undos = 0, redos = 0;
        for (int op = 0; op < 220; ++op) {
            const int before = m_doc->History().Position();
            const int n = page().Blocks.Count();
            const int choice = int(rnd.bounded(16));
            const bool change = choice < 10 || n == 0;
            bool moved = false;
            if (choice == 0 || n == 0) {
                page().DropPaletteBlock(int(rnd.bounded(6)), int(rnd.bounded(260)));
                m_doc->RecordEdit(EditStep::Add, 0);
            } else if (choice == 1 && page().Tiles().Count() > 1) {
                const int slot = int(rnd.bounded(page().Tiles().Count()));
                page().MoveBlock(slot, layout::SlotTop(int(rnd.bounded(8))), layout::kTileLeft);
                m_doc->RecordEdit(EditStep::Move, 0);
            } else if (choice == 2) {
                page().RemoveBlock(int(rnd.bounded(page().Tiles().Count())));
                m_doc->RecordEdit(EditStep::Shred, 0);
            } else if (choice <= 5) {
                // Typing into a field of some block, now and then leaving it.
                const int i = int(rnd.bounded(n));
                TWebChunk &b = page().Blocks.At(i);
                const QString text = QString::number(rnd.bounded(1000)) + QChar(0xE9);
                switch (b.Kind) {
                case bkPara: b.Para->Text += text; break;
                case bkLink: b.Link->URL += text; break;
                case bkImage: b.Image->AltText = text; break;
                case bkHeading: b.Heading->Text += text; break;
                case bkEmail: b.Email->Address = text; break;
                case bkLine: b.Line->LineWidth = text; break;
                default: break;
                }
                m_doc->RecordEdit(EditStep::Field, b.Kind, QStringLiteral("field%1").arg(b.Kind));
                if (rnd.bounded(3) == 0)
                    m_doc->EndTyping();
            } else if (choice == 6) {
                TWebChunk &b = page().Blocks.At(int(rnd.bounded(n)));
                const auto v = std::uint8_t(rnd.bounded(4));
                if (b.Para) b.Para->Align = v;
                if (b.Link) b.Link->NewLine = v & 1;
                if (b.Image) b.Image->Align = v;
                if (b.Heading) b.Heading->Align = v;
                if (b.Email) b.Email->NewLine = v & 1;
                m_doc->RecordEdit(EditStep::Align, b.Kind);
            } else if (choice == 7) {
                m_doc->SetTitleFromUser(QStringLiteral("Title %1").arg(rnd.bounded(50)));
                if (rnd.bounded(2) == 0)
                    m_doc->EndTyping();
            } else if (choice == 8) {
                m_doc->ChooseStyle(int(rnd.bounded(quint32(m_doc->StyleEntries().size()))));
            } else if (choice == 9) {
                m_doc->SetLogoFromUser(!m_doc->LogoOn());
            } else if (choice <= 12) {
                for (int k = int(rnd.bounded(1, 5)); k > 0; --k)
                    if (m_doc->Undo())
                        ++undos, moved = true;
            } else {
                for (int k = int(rnd.bounded(1, 4)); k > 0; --k)
                    if (m_doc->Redo())
                        ++redos, moved = true;
            }
            QVERIFY2(page().CheckInvariant().isEmpty(), qPrintable(page().CheckInvariant()));
            const int now = m_doc->History().Position();
            if (change) {
                // A change: a new step past `before`, the same step grown, or
                // (typing taken back) one step less.
                QVERIFY(now == before + 1 || now == before || now == before - 1);
                // (A change that was none keeps what redo would do.)
                at.resize(std::size_t(m_doc->History().StepCount()) + 1);
                full.resize(at.size());
                at[std::size_t(now)] = bytes();
                full[std::size_t(now)] = m_doc->Snapshot();
            } else {
                QVERIFY2(bytes() == at.at(std::size_t(now)), qPrintable(QStringLiteral("op %1 at %2").arg(op).arg(now)));
                QVERIFY(m_doc->Snapshot().SamePage(full.at(std::size_t(now))));
                if (moved)
                    QCOMPARE(m_doc->DocumentChanged(), bytes() != at.front());
            }
        }
        QVERIFY(m_doc->History().StepCount() < TPageHistory::kMaxSteps);
        QVERIFY(undos > 20);
        QVERIFY(redos > 5);
        // Every way back to the start gives back the template as it was read.
        while (m_doc->Undo()) {
        }
        QCOMPARE(bytes(), at.front());
        QVERIFY(!m_doc->DocumentChanged());
    }
};

QTEST_GUILESS_MAIN(TestDocumentHistory)
#include "test_document_history.moc"
