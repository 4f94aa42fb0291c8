#pragma once
// Passwords in memory, and the values that go to a server inside a protocol
// command. A password is copied as few times as possible, every copy the
// program makes is overwritten once the log-on no longer needs it, and the
// process never writes a core dump that could hold one.

#include <QByteArray>
#include <QString>

namespace wobbin {

// True when the text holds a control character (U+0000 to U+001F or U+007F
// to U+009F): a line break in a login name or password would end the command
// that carries it and start another one on the server.
bool HasControlCharacter(const QString &text);

// A copy of the text that shares no memory with it, so that overwriting the
// copy leaves the original alone (and the other way round).
QString PrivateCopy(const QString &text);

// Overwrites the characters with zeros and empties the string. Every string
// sharing these characters (an implicit copy) is overwritten too: give a
// secret that must outlive this a PrivateCopy first. Text compiled into the
// program is only let go.
void WipeString(QString &text);
void WipeBytes(QByteArray &bytes);

// Turns core dumps off for this process (their size limit to 0, and the
// process marked as not dumpable, which also keeps other processes of the same
// user from reading its memory, and holds where the limit is raised again).
// Called first thing at start.
void KeepSecretsOutOfCoreDumps();

} // namespace wobbin
