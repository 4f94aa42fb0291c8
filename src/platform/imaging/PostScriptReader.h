#pragma once
// EPS and PostScript pictures, drawn by Ghostscript in a child process of
// our own that is kept on a short leash:
//   - safe mode (-dSAFER): the program may read only its own input and write
//     only its own output; -dNOSAFER is never given;
//   - a private, empty work folder made for the one run (its TMPDIR and
//     current folder), removed afterwards;
//   - limits on time, memory and output size; past the time limit that one
//     child is stopped, never any other process.
// The call blocks its thread while Ghostscript works: the window loads
// pictures through TPictureLoader (PictureLoader.h) on a thread of its own.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace wobbin {

// Draws the first page of an EPS (at its bounding box) or PostScript file at
// 72 dots per inch. Returns false with a message in words on any failure.
bool RenderPostScript(const QByteArray &data, QImage *out, QString *error);

// Longest time Ghostscript may take to draw one file before it is stopped
// and the file refused (a PostScript program can loop for ever). Default 30 s.
void SetPostScriptTimeLimit(int milliseconds);

// The Ghostscript command line used for a file in the work folder (for tests
// and for the record).
QStringList GhostscriptArguments(const QString &inputName, const QString &outputName);

} // namespace wobbin
