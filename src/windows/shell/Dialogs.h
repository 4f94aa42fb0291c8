#pragma once
// Message boxes and common dialogs of the program. Every window asks through
// these functions, so that a test can preset the next answers instead of a
// person clicking: presets are used first-in, first-out, one per dialog.

#include <QColor>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

namespace wobbin {

struct FileDialogResult {
    bool Chosen = false;
    QString FileName;     // full native path of the chosen file
    int FilterIndex = 1;  // 1-based, as the program stores it
};

class TDialogs
{
public:
    // The next message box answers with this button.
    static void PresetAnswer(QMessageBox::StandardButton button);
    // The next open or save dialog returns this file and filter index.
    static void PresetFile(const QString &path, int filterIndex = 1);
    // The next file or colour dialog is cancelled.
    static void PresetCancel();
    // The next colour dialog returns this colour.
    static void PresetColour(const QColor &colour);
    // Forgets all presets and the record of shown messages.
    static void ClearPresets();
    // Presets not yet used (a test can check that all were consumed).
    static int PendingPresets();

    // When set, a dialog without a preset does not open: a message box answers
    // with its default button (or Cancel/No/OK, in that order of preference),
    // and a file or colour dialog is cancelled. Tests switch this on.
    static void SetNonInteractive(bool on);

    // Every message box shown (or answered by a preset), in order.
    static QStringList ShownMessages();
    static QString LastMessage();
    static QMessageBox::Icon LastIcon();
    // Caption of the last message box (the program's title unless one was given).
    static QString LastCaption();
    // Titles of file dialogs asked for, in order.
    static QStringList ShownFileDialogs();

    // The next window run through ExecDialog opens for real, also when
    // non-interactive, and drive is called with it once it is up (a test
    // clicks its controls there).
    static void PresetDialog(std::function<void(QDialog *)> drive);
    // The object names of the windows run through ExecDialog, in order
    // (shown, or left out because nothing would answer them).
    static QStringList ShownDialogs();
};

// Where the keyboard was when a dialog opened: once the dialog has closed the
// window that had the focus is made active again and the control that had it
// gets it back (a window manager may leave no window focused otherwise).
class TFocusReturn
{
public:
    TFocusReturn();
    ~TFocusReturn();
    // The control to go to instead (in the same window).
    void SetTarget(QWidget *focus) { m_focus = focus; }
    TFocusReturn(const TFocusReturn &) = delete;
    TFocusReturn &operator=(const TFocusReturn &) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

// A dialog opens centred on the window it belongs to (its parent's window,
// else the active one), kept whole on that screen with its title bar showing.
void CentreOverParent(QWidget *dialog);

// Runs one of the program's own modal windows (the small dialogs). Returns
// its result, or -1 when it was not shown: non-interactive without a preset
// (the caller then goes on as if the window had been switched off).
int ExecDialog(QDialog &dialog);

// Shows a message box with the program's title and returns the button pressed.
QMessageBox::StandardButton MsgBox(QWidget *parent, const QString &text, QMessageBox::Icon icon,
                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The same with a caption of its own instead of the program's title.
QMessageBox::StandardButton MsgBoxCaption(QWidget *parent, const QString &caption, const QString &text,
                                          QMessageBox::Icon icon,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Open and save dialogs. The filter is in the program's stored form
// "Description (*.ext)|*.ext|Other|*.a;*.b"; filterIndex is 1-based;
// defaultExt (without dot) is appended to a typed name that has none.
FileDialogResult OpenFileDialog(QWidget *parent, const QString &title, const QString &initialDir,
                                const QString &fileName, const QString &filter, int filterIndex = 1);
FileDialogResult SaveFileDialog(QWidget *parent, const QString &title, const QString &initialDir,
                                const QString &fileName, const QString &filter,
                                const QString &defaultExt, int filterIndex = 1);

// A folder dialog (a preset file path answers it as the chosen folder):
// FileName is the folder's full native path.
FileDialogResult FolderDialog(QWidget *parent, const QString &title, const QString &initialDir);

// Colour dialog; returns false when cancelled.
bool ColourDialog(QWidget *parent, const QColor &initial, QColor &chosen);

// Converts "Desc|*.a|Desc2|*.b;*.c" into Qt's name-filter list.
QStringList ConvertFilter(const QString &filter);

} // namespace wobbin
