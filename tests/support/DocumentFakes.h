#pragma once
// Stand-ins for the main window in headless tests of the document and the
// workspace: a host that answers the document's questions from presets and
// records what it was asked, and a view that records what the workspace
// told it to show.

#include "document/Document.h"
#include "document/DocumentHost.h"
#include "document/Workspace.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace wobbin::testing {

class TFakeHost : public TDocumentHost
{
public:
    // Answers, used first-in first-out; a question without one answers
    // Cancel (103), false (101, 102) or no file (a cancelled dialog).
    QList<Answer> SaveChangesAnswers;
    QList<bool> Confirmations;      // 101 and 102
    QList<bool> HandEditAnswers;    // the HTML warning; none left: true
    QStringList FileNames;          // Save dialogs; "" cancels
    QByteArray Picture = QByteArrayLiteral("BM picture");

    // What happened, in order: "ask:<text>", "tell:<text>", "confirm:<text>",
    // "handedit", "saveinfo", "dialog:<title>", "warning:<text>", "error:<text>".
    QStringList Log;
    QList<FileDialogSetup> Dialogs;
    QStringList Rendered;           // viewer texts, in order
    QStringList RenderedFiles;      // preview files, in order ("" for none)
    int Pictures = 0;

    // Messages shown (the log's entries after the colon), for short checks.
    QStringList Messages() const;
    int Pending() const { return int(SaveChangesAnswers.size() + Confirmations.size() + FileNames.size()); }

    Answer AskSaveChanges(const QString &question) override;
    void TellSaveFirst(const QString &text) override { Log << QStringLiteral("tell:") + text; }
    bool ConfirmSaveChangesFirst(const QString &text) override;
    bool ConfirmLoseHandEdits(const QString &text) override;
    bool ConfirmHandEdit() override;
    void ShowSaveInfo() override { Log << QStringLiteral("saveinfo"); }
    QString AskSaveFileName(const FileDialogSetup &setup) override;
    void ShowWarning(const QString &text) override { Log << QStringLiteral("warning:") + text; }
    void ShowError(const QString &text) override { Log << QStringLiteral("error:") + text; }
    QByteArray PagePicture() override
    {
        ++Pictures;
        return Picture;
    }
    void RenderPreview(const QString &viewerText, const QString &previewFile) override
    {
        Rendered << viewerText;
        RenderedFiles << previewFile;
    }
};

class TFakeView : public TWorkspaceView
{
public:
    bool HasSelection = false;
    PageListEntry Selection;
    // Called while the mascot waits for its tick (input arriving meanwhile).
    std::function<void()> DuringWalk;

    // What happened: "sound:<name>", "lock", "unlock", "toolbar:<bitmap>",
    // "hide-highlight", "highlight:<bitmap>@<left>,<width>", "show-highlight",
    // "effects:<state>", "first-block", "blank-panel", "inform:<text>",
    // "error:<text>", "busy-cursor", "normal-cursor".
    QStringList Log;
    QList<PipFrame> Frames;
    QList<StateEffects> Effects;
    QString Highlight;

    bool SelectedEntry(PageListEntry &entry) const override
    {
        if (HasSelection)
            entry = Selection;
        return HasSelection;
    }
    void PlaySound(const QString &name) override { Log << QStringLiteral("sound:") + name; }
    void DrawPipFrame(const PipFrame &frame) override { Frames << frame; }
    void WaitPipTick() override
    {
        if (DuringWalk)
            DuringWalk();
    }
    void LockUpdates(bool on) override { Log << (on ? QStringLiteral("lock") : QStringLiteral("unlock")); }
    void ShowToolbar(const QString &bitmap) override { Log << QStringLiteral("toolbar:") + bitmap; }
    void HideHighlight() override { Log << QStringLiteral("hide-highlight"); }
    void PlaceHighlight(const QString &bitmap, int left, int width) override
    {
        Highlight = QStringLiteral("%1@%2,%3").arg(bitmap).arg(left).arg(width);
        Log << QStringLiteral("highlight:") + Highlight;
    }
    void ShowHighlight() override { Log << QStringLiteral("show-highlight"); }
    void ApplyEffects(int state, const StateEffects &effects) override
    {
        Log << QStringLiteral("effects:%1").arg(state);
        Effects << effects;
    }
    void ShowFirstBlock() override { Log << QStringLiteral("first-block"); }
    void ShowBlankPanel() override { Log << QStringLiteral("blank-panel"); }
    void Inform(const QString &text) override { Log << QStringLiteral("inform:") + text; }
    void ReportError(const QString &text) override { Log << QStringLiteral("error:") + text; }
    void SetBusyCursor(bool on) override { Log << (on ? QStringLiteral("busy-cursor") : QStringLiteral("normal-cursor")); }
};

// What the headless document tests start from: a document on a private copy
// of parts of the shipped data, its questions answered by a TFakeHost.
class TDocumentTest : public QObject
{
protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;   // the copy of the data
    std::unique_ptr<TFakeHost> m_host;
    std::unique_ptr<TDocument> m_doc;

    // Copies the parts of the shipped data named (CopyProgramData), removes the
    // settings group named and makes the document with its style library;
    // false when the data cannot be copied.
    bool MakeDocument(const QStringList &data, const QString &settingsGroup);
};

} // namespace wobbin::testing
