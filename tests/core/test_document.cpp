// The document without a window: loading, the save question, saving before
// upload, the save dialogs' set-up, the page picture, the HTML text with its
// hand edits and preview, the style list, the title, the files to upload and
// the close question. The window's dialogs are a host answering from presets.
#include "support/DocumentFakes.h"
#include "support/FileTree.h"
#include "support/PageBytes.h"

#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/WorkspaceRules.h"
#include "page/PageFile.h"
#include "page/PageHtml.h"
#include "styles/StyleLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {


} // namespace

class TestDocument : public TDocumentTest
{
    Q_OBJECT

    QString m_save, m_template, m_html;

    void Put(const QString &path, const QByteArray &bytes) { QVERIFY(WriteBytes(path, bytes)); }

    // A changed, untitled page of one paragraph.
    void ChangedUntitled()
    {
        m_doc->New();
        m_doc->Page().DropPaletteBlock(bkPara, 1);
        m_doc->SetDocumentChanged(true);
    }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Wobbin Express")); }

    void init()
    {
        // What a document needs: styles, templates, saved pages, an HTML folder.
        QVERIFY(MakeDocument({"Styles.data", "save", "template"}, QStringLiteral("General")));
        m_save = m_app + QStringLiteral("/save");
        m_template = m_app + QStringLiteral("/template");
        m_html = m_app + QStringLiteral("/HTMLFiles");
    }

    void cleanup()
    {
        QCOMPARE(m_host->Pending(), 0);
        m_doc.reset();
    }

    void newPageIsEmptyUntitledAndUnchanged()
    {
        QSignalSpy captions(m_doc.get(), &TDocument::captionChanged);
        m_doc->SetLogoOn(false);
        m_doc->New();
        QVERIFY(m_doc->CurrentFileName().isEmpty());
        QVERIFY(!m_doc->DocumentChanged());
        QVERIFY(m_doc->LogoOn());
        QCOMPARE(m_doc->StyleEntry(), 0);
        QCOMPARE(m_doc->StyleName(), LoadStr(Msg::NoneChosen));
        QCOMPARE(m_doc->Caption(), QStringLiteral("Wobbin Express - ") + LoadStr(Msg::Untitled));
        QCOMPARE(captions.last().at(0).toString(), m_doc->Caption());
        QVERIFY(!m_doc->Page().SuppressFieldEvents);
    }

    void loadingPagesAndTemplates()
    {
        const QString style = m_doc->StyleEntries().value(2);
        Put(m_save + "/Club.qze", ParagraphPage(style.toLower().toLatin1(), "Club", {"one", "two"}));
        QSignalSpy titles(m_doc.get(), &TDocument::titleChanged);
        QSignalSpy read(m_doc.get(), &TDocument::blocksRead);

        // A saved page becomes the document, its style chosen by name.
        m_doc->LoadSavedPage(m_save + "/Club.qze");
        QCOMPARE(QFileInfo(m_doc->CurrentFileName()).absoluteFilePath(), QFileInfo(m_save + "/Club.qze").absoluteFilePath());
        QVERIFY(m_doc->Caption().endsWith(QStringLiteral(" - Club.qze")));
        QCOMPARE(m_doc->Page().Blocks.Count(), 2);
        QCOMPARE(m_doc->StyleEntry(), 2);
        QCOMPARE(titles.last().at(0).toString(), QStringLiteral("Club"));
        QCOMPARE(read.count(), 1);
        QVERIFY(!m_doc->DocumentChanged());

        // The same file as a template: an untitled page.
        m_doc->LoadTemplate(m_save + "/Club.qze");
        QVERIFY(m_doc->CurrentFileName().isEmpty());
        QCOMPARE(m_doc->Page().Blocks.Count(), 2);

        // A file gone meanwhile: an empty untitled page, and a message naming it.
        m_doc->LoadSavedPage(m_save + "/Gone.qze");
        QVERIFY(m_doc->CurrentFileName().isEmpty());
        QCOMPARE(m_doc->Page().Blocks.Count(), 0);
        QCOMPARE(m_host->Log.size(), 1);
        QVERIFY(m_host->Log.at(0).startsWith(QStringLiteral("warning:")));
        QVERIFY(m_host->Log.at(0).contains(QStringLiteral("/save/Gone.qze")));
    }

    void damagedPageOpensUntitled()
    {
        PageBytes bytes;
        bytes.Header().Str("").Str("Broken").Int(3).Para("first").Para("second").Int(0).Str("cut short");
        Put(m_save + "/Broken.qze", bytes);
        m_doc->LoadSavedPage(m_save + "/Broken.qze");
        QCOMPARE(m_host->Log.size(), 1);
        QVERIFY(m_host->Log.at(0).startsWith(QStringLiteral("warning:")));
        QVERIFY(m_doc->LastReadProblem().contains(QStringLiteral("Broken.qze")));
        QVERIFY(m_doc->LastReadProblem().contains(QStringLiteral("2 blocks")));
        QCOMPARE(m_doc->Page().Blocks.Count(), 2);
        QVERIFY(m_doc->CurrentFileName().isEmpty());
        QVERIFY(!m_doc->DocumentChanged());
    }

    void saveQuestionBeforeReplacingThePage()
    {
        // Unchanged: no question.
        QVERIFY(m_doc->SaveOrDiscardChanges());
        QVERIFY(m_host->Log.isEmpty());

        ChangedUntitled();
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::Cancel};
        QVERIFY(!m_doc->SaveOrDiscardChanges());
        QCOMPARE(m_host->Log, QStringList{QStringLiteral("ask:") + LoadStr(Msg::SaveChangesQuestion)});

        // Yes, then the Save As dialog cancelled: the work is kept.
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::Yes};
        QVERIFY(!m_doc->SaveOrDiscardChanges());
        QVERIFY(m_doc->DocumentChanged());

        // Yes and a name: saved, then the page may go.
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::Yes};
        m_host->FileNames = {m_save + "/Kept.qze"};
        QVERIFY(m_doc->SaveOrDiscardChanges());
        QVERIFY(QFile::exists(m_save + "/Kept.qze"));
        QVERIFY(!m_doc->DocumentChanged());

        // No: the page may go unsaved.
        m_doc->SetDocumentChanged(true);
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::No};
        QVERIFY(m_doc->SaveOrDiscardChanges());
    }

    void saveAsWritesPagePictureHtmlAndFileList()
    {
        ChangedUntitled();
        m_doc->SetWorkspaceState(wsBuild);
        const QString path = m_save + "/Mine.qze";
        m_host->FileNames = {path};
        QVERIFY(m_doc->FileSaveAs());
        QCOMPARE(m_doc->CurrentFileName(), path);
        QVERIFY(!m_doc->DocumentChanged());
        QCOMPARE(ReadBytes(path + ".bmp"), m_host->Picture);
        QCOMPARE(m_host->Pictures, 1);
        // The picture is of the page: its HTML made and previewed first.
        QVERIFY(m_host->Rendered.last().contains(QStringLiteral("<HTML>")));
        const QByteArray html = ReadBytes(m_html + "/Mine.html");
        QVERIFY(html.startsWith("<HTML>\r\n"));
        QCOMPARE(html.count("\n"), html.count("\r\n"));
        // Outside View and Send the text made for the save is dropped again.
        QVERIFY(m_doc->HtmlText().isEmpty());
        QCOMPARE(m_doc->UploadFileNames().last(), QStringLiteral("Mine.html"));
        // Save Information before the dialog, and the dialog's set-up.
        QCOMPARE(m_host->Log.mid(0, 2), (QStringList{QStringLiteral("saveinfo"), QStringLiteral("dialog:Save As")}));
        const FileDialogSetup setup = m_host->Dialogs.last();
        QCOMPARE(QDir(setup.Folder), QDir(m_save));
        QCOMPARE(setup.DefaultSuffix, QStringLiteral("qze"));
        QCOMPARE(setup.Filter, QStringLiteral("Wobbin Express Files (*.qze)|*.qze"));

        // Save As of a titled page offers its name, in its folder.
        QDir().mkpath(m_app + "/elsewhere");
        m_doc->SetCurrentFileName(m_app + "/elsewhere/Other.qze");
        m_host->FileNames = {QString()};
        QVERIFY(!m_doc->FileSaveAs());
        QCOMPARE(m_host->Dialogs.last().FileName, m_app + "/elsewhere/Other.qze");
        QCOMPARE(QDir(m_host->Dialogs.last().Folder), QDir(m_app + "/elsewhere"));

        // With the Save Information dialog switched off it is not shown.
        WriteSetting(QStringLiteral("General"), QStringLiteral("SaveInfo"), QStringLiteral("No"));
        m_host->Log.clear();
        m_host->FileNames = {QString()};
        m_doc->FileSaveAs();
        QCOMPARE(m_host->Log, QStringList{QStringLiteral("dialog:Save As")});
    }

    void failedWriteKeepsTheDocumentChanged()
    {
        ChangedUntitled();
        m_host->FileNames = {m_app + "/no such folder/x.qze"};
        QVERIFY(!m_doc->FileSaveAs());
        QVERIFY(m_host->Log.last().startsWith(QStringLiteral("error:")));
        QVERIFY(m_doc->CurrentFileName().isEmpty());
        QVERIFY(m_doc->DocumentChanged());
    }

    void saveDocumentBeforeUpload()
    {
        // Untitled: message 100, then Save As; cancelled refuses.
        ChangedUntitled();
        m_host->FileNames = {QString()};
        QVERIFY(!m_doc->SaveDocument());
        QCOMPARE(m_host->Messages().first(), LoadStr(Msg::SaveFileFirst));
        QVERIFY(m_doc->CurrentFileName().isEmpty());

        m_host->FileNames = {m_save + "/Up.qze"};
        QVERIFY(m_doc->SaveDocument());
        QVERIFY(QFile::exists(m_html + "/Up.html"));

        // Titled and unchanged: nothing asked.
        m_host->Log.clear();
        QVERIFY(m_doc->SaveDocument());
        QVERIFY(m_host->Log.isEmpty());

        // Titled and changed: message 101; Cancel refuses, OK saves through
        // the Save dialog set up with the current name in the save folder.
        m_doc->SetDocumentChanged(true);
        m_host->Confirmations = {false};
        QVERIFY(!m_doc->SaveDocument());
        QCOMPARE(m_host->Messages().last(), LoadStr(Msg::SaveChangesFirst));
        QVERIFY(m_doc->DocumentChanged());
        m_doc->SetWorkspaceState(wsView);
        m_doc->RegenerateHtml();
        m_doc->SetHtmlText(m_doc->HtmlText() + QStringLiteral("<!-- mine -->"));
        m_host->Confirmations = {true};
        m_host->FileNames = {m_save + "/Up.qze"};
        QVERIFY(m_doc->SaveDocument());
        QCOMPARE(m_host->Dialogs.last().FileName, m_save + "/Up.qze");
        QCOMPARE(m_host->Dialogs.last().Title, QStringLiteral("Save"));
        QVERIFY(!m_doc->DocumentChanged());
        // In View the text stays, and its HTML file holds it as it stands.
        QVERIFY(ReadBytes(m_html + "/Up.html").endsWith("<!-- mine -->"));
        QVERIFY(m_doc->HtmlText().endsWith(QStringLiteral("<!-- mine -->")));
    }

    void saveCommandAndTemplates()
    {
        ChangedUntitled();
        // Untitled: a name is asked, with an empty file name.
        m_host->FileNames = {m_save + "/Once.qze"};
        m_doc->SaveCommand();
        QVERIFY(QFile::exists(m_save + "/Once.qze"));
        QVERIFY(m_host->Dialogs.last().FileName.isEmpty());
        // Titled: written in place, nothing asked.
        m_doc->SetDocumentChanged(true);
        const int dialogs = int(m_host->Dialogs.size());
        m_doc->SaveCommand();
        QCOMPARE(m_host->Dialogs.size(), dialogs);
        QVERIFY(!m_doc->DocumentChanged());
        // Deleted behind the program's back: asked again.
        QFile::remove(m_save + "/Once.qze");
        m_host->FileNames = {m_save + "/Again.qze"};
        m_doc->SaveCommand();
        QCOMPARE(m_doc->CurrentFileName(), m_save + "/Again.qze");

        // Make Template: the template folder, made when missing, and the
        // template becomes the document; the page list is read again.
        QVERIFY(QDir(m_template).removeRecursively());
        QSignalSpy listed(m_doc.get(), &TDocument::pageListChanged);
        m_host->FileNames = {QString()};
        m_doc->MakeTemplate();
        QVERIFY(QDir(m_template).exists());
        QCOMPARE(m_host->Dialogs.last().DefaultSuffix, QStringLiteral("qzt"));
        QCOMPARE(m_host->Dialogs.last().Filter, QStringLiteral("Wobbin Express Template (*.qzt)|*.qzt"));
        QCOMPARE(listed.count(), 1);
        m_host->FileNames = {m_template + "/Mine.qzt"};
        m_doc->MakeTemplate();
        QCOMPARE(m_doc->CurrentFileName(), m_template + "/Mine.qzt");
        QVERIFY(QFile::exists(m_template + "/Mine.qzt.bmp"));
    }

    void handEditsAndTheirLoss()
    {
        m_doc->SetWorkspaceState(wsView);
        m_doc->RegenerateHtml();
        const QString generated = m_doc->HtmlText();
        QVERIFY(m_doc->MayLoseHandEdits());

        // The first edit asks; No keeps the text as it was, and the next asks again.
        m_host->HandEditAnswers = {false};
        QCOMPARE(m_doc->TakeHandEdit(generated + "x"), TDocument::HandEdit::Refused);
        QCOMPARE(m_doc->HtmlText(), generated);
        QVERIFY(!m_doc->HTMLEdited());
        m_host->HandEditAnswers = {true};
        QCOMPARE(m_doc->TakeHandEdit(generated + "y\n"), TDocument::HandEdit::Taken);
        QVERIFY(m_doc->HTMLEdited());
        QCOMPARE(m_doc->HtmlText(), generated + "y\r\n");
        // Further edits pass unasked.
        QCOMPARE(m_doc->TakeHandEdit(generated + "yz"), TDocument::HandEdit::Taken);
        QCOMPARE(m_host->Log.count(QStringLiteral("handedit")), 2);

        // Losing them asks message 102.
        m_host->Confirmations = {false, true};
        QVERIFY(!m_doc->MayLoseHandEdits());
        QVERIFY(m_doc->MayLoseHandEdits());
        QCOMPARE(m_host->Messages().last(), LoadStr(Msg::LoseHtmlChangesGoBack));

        // A preview of the text as it stands (a style chosen) keeps the flag;
        // the text made afresh clears it; the program's writes are no hand edits.
        m_doc->ShowRover();
        m_doc->ChooseStyle(1);
        QVERIFY(m_doc->HTMLEdited());
        QVERIFY(m_doc->HtmlText().endsWith(QStringLiteral("yz")));
        m_doc->RegenerateHtml();
        QVERIFY(!m_doc->HTMLEdited());
        m_doc->SetHtmlText(generated);
        QVERIFY(!m_doc->HTMLEdited());

        // With the warning switched off: no warning, but the edit is the
        // user's all the same, and losing it asks.
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowHTMLWarning"), QStringLiteral("No"));
        m_host->Log.clear();
        QCOMPARE(m_doc->TakeHandEdit(generated + "<!-- mine -->"), TDocument::HandEdit::Taken);
        QCOMPARE(m_host->Log.count(QStringLiteral("handedit")), 0);
        QVERIFY(m_doc->HTMLEdited());
        m_host->Confirmations = {false};
        QVERIFY(!m_doc->MayLoseHandEdits());
        m_doc->RegenerateHtml();

        // A page replaced by another has no hand edits any more.
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowHTMLWarning"), QStringLiteral("Yes"));
        m_host->HandEditAnswers = {true};
        QCOMPARE(m_doc->TakeHandEdit(generated + "<!-- again -->"), TDocument::HandEdit::Taken);
        QVERIFY(m_doc->HTMLEdited());
        m_doc->New();
        QVERIFY(!m_doc->HTMLEdited());
    }

    void previewInsertsTheStyleAndShowsParagraphs()
    {
        m_doc->SelectStyleEntry(1);
        m_doc->SetHtmlText(QStringLiteral("<HTML>\r\n<BODY>\r\n<DIV ALIGN=Center>\r\n x \r\n</DIV><BR>\r\n</BODY>\r\n</HTML>\r\n"));
        m_doc->ShowRover();
        const QByteArray file = ReadBytes(m_html + "/~tmpprvw.html");
        QVERIFY(file.contains("<BODY BACKGROUND="));
        QVERIFY(file.contains("<DIV ALIGN=Center>\r\n"));
        QCOMPARE(m_host->RenderedFiles.last(), m_html + "/~tmpprvw.html");
        const QString shown = m_host->Rendered.last();
        QVERIFY(shown.contains(QStringLiteral("<P ALIGN=Center>")));
        QVERIFY(shown.contains(QStringLiteral("</P>\r\n</BODY>")));
        QVERIFY(!shown.contains(QStringLiteral("DIV")));
        // Shown as it stands: nothing written, nothing inserted.
        QFile::remove(m_html + "/~tmpprvw.html");
        m_doc->ShowAsItStands();
        QCOMPARE(m_host->RenderedFiles.last(), QString());
        QVERIFY(!QFile::exists(m_html + "/~tmpprvw.html"));
        QVERIFY(m_doc->HtmlIsBare() == false);
        m_doc->SetHtmlText(QStringLiteral("<BODY>"));
        QVERIFY(m_doc->HtmlIsBare());
    }

    void stylesAndTitle()
    {
        m_doc->New();
        m_doc->RegenerateHtml();
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("<BODY>")));
        // A style chosen by the user restyles the page and changes it.
        m_doc->ChooseStyle(1);
        QCOMPARE(m_doc->StyleEntry(), 1);
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("<BODY BACKGROUND=")));
        QVERIFY(m_doc->DocumentChanged());
        m_doc->ChooseStyle(0);
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("<BODY>")));
        // While loading, the list's events are the program's own.
        m_doc->SetDocumentChanged(false);
        m_doc->Page().SuppressFieldEvents = true;
        m_doc->ChooseStyle(2);
        m_doc->SetTitleFromUser(QStringLiteral("ignored"));
        m_doc->Page().SuppressFieldEvents = false;
        QCOMPARE(m_doc->StyleEntry(), 0);
        QVERIFY(!m_doc->DocumentChanged());

        // The title typed goes into the page and its HTML.
        m_doc->SetTitleFromUser(QStringLiteral("Caf\u00e9"));
        QCOMPARE(m_doc->Page().PageTitle, QStringLiteral("Caf\u00e9"));
        QVERIFY(m_doc->HtmlText().contains(QStringLiteral("<TITLE>Caf\u00e9</TITLE>")));
        QVERIFY(m_doc->DocumentChanged());

        // The library edited: read again, the chosen style kept by name.
        const QString keep = m_doc->StyleEntries().value(2);
        m_doc->SelectStyleEntry(2);
        StyleList styles;
        TStyleChunk a;
        a.Name = QStringLiteral("Fresh");
        TStyleChunk b;
        b.Name = keep.toUpper();
        styles << a << b;
        QVERIFY(WriteStyles(m_app + "/Styles.data", styles).ok());
        m_doc->ReloadStyles();
        QCOMPARE(m_doc->StyleEntries(), (QStringList{LoadStr(Msg::NoneChosen), QStringLiteral("Fresh"), keep.toUpper()}));
        QCOMPARE(m_doc->StyleEntry(), 2);
        // A damaged library gives the styles read before the damage.
        QByteArray data = SerializeStyles(styles);
        data.chop(5);
        Put(m_app + "/Styles.data", data);
        m_doc->ReloadStyles();
        QCOMPARE(m_doc->StyleEntries(), (QStringList{LoadStr(Msg::NoneChosen), QStringLiteral("Fresh")}));
        QCOMPARE(m_doc->StyleEntry(), 0);
    }

    void externalPreviewFile()
    {
        // In Build the page is made afresh into the temporary preview file.
        m_doc->SetWorkspaceState(wsBuild);
        QCOMPARE(m_doc->WriteExternalPreview(), m_html + "/~tmpprvw.html");
        QCOMPARE(QString::fromLatin1(ReadBytes(m_html + "/~tmpprvw.html")), m_doc->BuildPageHTML(false));
        // In View with a titled page: the page's own file, hand edits and all.
        m_doc->SetWorkspaceState(wsView);
        m_doc->SetCurrentFileName(m_save + "/My Page.qze");
        m_doc->SetHtmlText(m_doc->HtmlText() + QStringLiteral("<!-- by hand -->"));
        QCOMPARE(m_doc->WriteExternalPreview(), m_html + "/My Page.html");
        QVERIFY(ReadBytes(m_html + "/My Page.html").endsWith("<!-- by hand -->"));
        // Nothing to open when the file cannot be written.
        Put(m_app + "/blocker", "x");
        m_doc->SetAppDir(m_app + "/blocker");
        QVERIFY(m_doc->WriteExternalPreview().isEmpty());
    }

    void filesToUploadAndRenames()
    {
        QSignalSpy listed(m_doc.get(), &TDocument::fileListChanged);
        m_doc->UpdateFileList();
        QVERIFY(m_doc->UploadFileNames().isEmpty());
        m_doc->SetCurrentFileName(m_save + "/Home.qze");
        m_doc->UpdateFileList();
        QCOMPARE(m_doc->UploadFileNames(), QStringList{QStringLiteral("Home.html")});
        QCOMPARE(listed.last().at(0).toStringList(), QStringList{QStringLiteral("Home.html")});
        // In Send, a save refreshes the list.
        m_doc->SetWorkspaceState(wsSend);
        QVERIFY(m_doc->SaveBuilder(m_save + "/Away.qze"));
        QCOMPARE(m_doc->UploadFileNames(), QStringList{QStringLiteral("Away.html")});

        // The open page follows its file when the list renames it.
        m_doc->FileRenamed(m_save + "/Other.qze", m_save + "/Else.qze");
        QCOMPARE(m_doc->CurrentFileName(), m_save + "/Away.qze");
        m_doc->FileRenamed(m_save + "/Away.qze", m_save + "/Walked.qze");
        QCOMPARE(m_doc->CurrentFileName(), m_save + "/Walked.qze");
    }

    void htmlFileThatCannotBeWrittenIsSaidAndStopsSend()
    {
        // The HTML folder is a file: the page file is saved, its HTML is not.
        QVERIFY(QDir(m_html).removeRecursively());
        Put(m_html, "not a folder");
        ChangedUntitled();
        m_host->FileNames = {m_save + "/Stuck.qze"};
        QVERIFY(!m_doc->SaveDocument());
        QVERIFY(QFile::exists(m_save + "/Stuck.qze"));
        const QString error = m_host->Log.last();
        QVERIFY2(error.startsWith(QStringLiteral("error:The web page \"Stuck.html\" cannot be written: ")),
                 qPrintable(error));
        QVERIFY(!error.endsWith(QStringLiteral(": ")));

        // Titled and unchanged, from Build (no HTML text yet): still refused.
        m_host->Log.clear();
        QVERIFY(!m_doc->SaveDocument());
        QVERIFY(m_host->Log.last().startsWith(QStringLiteral("error:The web page")));

        // Once it can be written, the file is the page made from its blocks, with its style.
        QFile::remove(m_html);
        QVERIFY(QDir().mkpath(m_html));
        m_doc->SelectStyleEntry(1);
        QVERIFY(m_doc->SaveDocument());
        const QByteArray written = ReadBytes(m_html + "/Stuck.html");
        QVERIFY(written.contains(BodyTagForEntry(m_doc->Styles(), 1).toLatin1()));
        QVERIFY(written.endsWith("</HTML>\r\n"));
    }

    void logoSwitchEditsTheTextAndTheFile()
    {
        ChangedUntitled();
        m_host->FileNames = {m_save + "/Logo.qze"};
        QVERIFY(m_doc->FileSaveAs());
        m_doc->SetWorkspaceState(wsView);
        m_doc->RegenerateHtml();
        m_doc->ShowRover();
        const QString footer = LogoFooter();
        QVERIFY(m_doc->HtmlText().contains(footer));
        // A hand edit stays: the footer goes out of the text as it stands.
        m_host->HandEditAnswers = {true};
        QCOMPARE(m_doc->TakeHandEdit(m_doc->HtmlText() + "<!-- mine -->"), TDocument::HandEdit::Taken);
        const int rendered = int(m_host->Rendered.size());
        m_doc->ChooseLogo(false);
        QVERIFY(!m_doc->LogoOn());
        QVERIFY(!m_doc->HtmlText().contains(footer));
        QVERIFY(m_doc->HtmlText().endsWith(QStringLiteral("<!-- mine -->")));
        QVERIFY(!ReadBytes(m_html + "/Logo.html").contains(footer.toLatin1()));
        QCOMPARE(m_host->Rendered.size(), rendered + 1);
        QVERIFY(!m_host->Rendered.last().contains(footer));
        QVERIFY(!m_doc->UploadFileNames().join(QLatin1Char(' ')).contains(QStringLiteral("button")));
        m_doc->ChooseLogo(true);
        QCOMPARE(m_doc->HtmlText().count(footer), 1);
        QCOMPARE(ReadBytes(m_html + "/Logo.html").count(footer.toLatin1()), 1);
        QVERIFY(m_doc->UploadFileNames().join(QLatin1Char(' ')).contains(QStringLiteral("button")));
        QVERIFY(!m_doc->DocumentChanged());
    }

    void styleLibraryProblemIsToldOnce()
    {
        QVERIFY(m_doc->StyleLibraryProblemText().isEmpty());
        m_doc->TellStyleLibraryProblem();
        QVERIFY(m_host->Log.isEmpty());
        QFile::remove(m_app + "/Styles.data");
        m_doc->LoadStyleLibrary();
        const QString problem = m_doc->StyleLibraryProblemText();
        QVERIFY(problem.contains(QStringLiteral("\"Styles.data\" is missing")));
        m_doc->TellStyleLibraryProblem();
        m_doc->ReloadStyles();
        m_doc->TellStyleLibraryProblem();
        QCOMPARE(m_host->Log.filter(QStringLiteral("warning:")), QStringList{QStringLiteral("warning:") + problem});
    }

    void closeQuestionAndTheTemporaryFile()
    {
        Put(m_html + "/~tmpprvw.html", "old");
        ChangedUntitled();
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::Cancel};
        QVERIFY(!m_doc->MayClose());
        QVERIFY(QFile::exists(m_html + "/~tmpprvw.html"));
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::No};
        QVERIFY(m_doc->MayClose());
        QVERIFY(!QFile::exists(m_html + "/~tmpprvw.html"));
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
