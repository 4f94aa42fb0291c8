#pragma once
// Window-side resource helpers: pixmaps at the screen's density, the registered
// cursors, and the wave player.

#include <QCursor>
#include <QPixmap>
#include <QString>

class QLabel;

namespace wobbin {

// The bitmap as a pixmap (uses NAME@2x when the screen is high-density).
// A missing bitmap gives a null pixmap.
QPixmap LoadBitmap(const QString &name);
// Shows the bitmap in an image control (a QLabel); a missing bitmap leaves it as it was.
void ShowBitmap(QLabel *image, const QString &name);

// Registered cursors: 5 "Cursor_Hand", 12 "Hand_Open", 13 "Hand_Closed".
QCursor LoadCursorNumber(int number);

// Plays the wave resource asynchronously when General "PlaySounds" is exactly
// "Yes" (read on every call); a new sound cuts off the playing one. A missing
// resource or no audio device plays nothing and reports nothing.
void PlaySoundRes(const QString &name);
// Name of the last sound started (for tests); empty when none.
QString LastSoundPlayed();
int SoundsPlayedCount();

} // namespace wobbin
