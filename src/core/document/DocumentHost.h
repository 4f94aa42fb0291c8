#pragma once
// What the document asks of the window that shows it: its questions answered
// (the window with real dialogs, tests with presets), the page rendered in the
// preview and a picture of it for the page file.

#include <QByteArray>
#include <QString>

namespace wobbin {

// An open or save dialog as each command sets it up.
struct FileDialogSetup {
    QString Title;
    QString Folder;        // initial folder (native)
    QString FileName;      // initial file name, may be empty
    QString Filter;        // stored form "Description (*.ext)|*.ext"
    QString DefaultSuffix; // without the dot
    bool operator==(const FileDialogSetup &) const = default;
};

class TDocumentHost
{
public:
    enum class Answer { Yes, No, Cancel };
    virtual ~TDocumentHost() = default;

    // Message 103 as a confirmation with Yes, No and Cancel.
    virtual Answer AskSaveChanges(const QString &question) = 0;
    // Message 100 as a warning with OK only.
    virtual void TellSaveFirst(const QString &text) = 0;
    // Message 101 as a warning with OK and Cancel; true for OK.
    virtual bool ConfirmSaveChangesFirst(const QString &text) = 0;
    // Message 102 as a warning with Yes and No; true for Yes.
    virtual bool ConfirmLoseHandEdits(const QString &text) = 0;
    // The HTML warning before the first hand edit; true keeps the edit.
    virtual bool ConfirmHandEdit() = 0;
    // The Save Information dialog before a save asks for a name.
    virtual void ShowSaveInfo() = 0;
    // The Save dialog; the chosen file (native path), empty when cancelled.
    virtual QString AskSaveFileName(const FileDialogSetup &setup) = 0;
    // A problem reading a file (warning) or writing one (error).
    virtual void ShowWarning(const QString &text) = 0;
    virtual void ShowError(const QString &text) = 0;

    // The rendered page as the bytes of its BMP picture (196 x 229); empty
    // when there is none.
    virtual QByteArray PagePicture() = 0;
    // Shows the page in the preview: the file written for it (may be empty)
    // and the text the viewer is given (DIVs made paragraphs).
    virtual void RenderPreview(const QString &viewerText, const QString &previewFile) = 0;
};

} // namespace wobbin
