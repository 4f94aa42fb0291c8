#pragma once
// What the program's small informational dialogs share: a fixed size,
// centred on the main window, grey, the font named by string 32, and the
// "Don''t show this screen again." switch stored as a General setting.

#include <QString>

class QCheckBox;
class QDialog;
class QWidget;

namespace wobbin {

enum class TTitleButtons { None, Close };

// Fixed client size, grey (the program's whole palette), Arial (string 32)
// 8 pt, centred on the parent's window when shown (on the screen without one).
void PrepareSmallDialog(QDialog *dialog, const char *name, int width, int height, TTitleButtons buttons);

// Stores General name = "No" when the box is checked; an unchecked box
// leaves the setting as it was.
void StoreDontShowAgain(const QCheckBox *box, const QString &settingName);

} // namespace wobbin
