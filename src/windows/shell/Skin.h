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
// Shows the bitmap in an image control (a QLabel); a missing bitmap leaves it
// as it was and raises nothing. Returns whether the bitmap was found.
bool ShowBitmap(QLabel *image, const QString &name);

// Registered cursors: 5 "Cursor_Hand", 12 "Hand_Open", 13 "Hand_Closed".
// A number without a cursor, or a cursor whose picture is missing, gives the
// nearest standard shape (pointing hand, open hand, closed hand, else arrow).
QCursor LoadCursorNumber(int number);
// The resource name registered under that number ("" for none).
QString CursorNameForNumber(int number);

// Plays the wave resource asynchronously when General "PlaySounds" is exactly
// "Yes" (read on every call); a new sound cuts off the playing one. A missing
// resource plays nothing; without an audio device nothing is played and
// nothing said per sound (the lack is noticed once, see AudioOutputAvailable).
void PlaySoundRes(const QString &name);
// Whether the machine has an audio output; asked once, the first time a
// sound would play. A missing device is noted once as an information message
// (shown with --debug only).
bool AudioOutputAvailable();
// True while the last sound started is really being played.
bool SoundPlaying();
// Name of the last sound started (as the resource is named); empty when none.
QString LastSoundPlayed();
// How many sounds were asked for and passed the switch and exist (counted
// with or without a device to play them on; SoundPlaying tells the playing).
int SoundsPlayedCount();
// Stops whatever is playing (used when the program ends).
void StopSounds();

} // namespace wobbin
