#pragma once
// The bytes of a page's HTML file. A classic page is Windows-1252 (characters
// the code page cannot hold as numeric references); a page that declares
// UTF-8 in its head (as the page written for phones does) is UTF-8.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace wobbin {

// True when the text's head declares the UTF-8 character set
// (<meta charset="utf-8"> or the http-equiv form), letter case ignored.
bool DeclaresUtf8(QStringView html);

// The file bytes of a page text: UTF-8 when the text declares it, otherwise
// Windows-1252.
QByteArray EncodePageText(const QString &html);

// A page file read back: UTF-8 when it declares UTF-8 and is valid UTF-8,
// otherwise Windows-1252.
QString DecodePageText(const QByteArray &bytes);

// True for a page written for today's browsers: it begins with
// "<!DOCTYPE html" (letter case ignored, blanks and a byte order mark before it allowed).
bool IsModernPage(QStringView html);

// True when the page has a viewport meta element (it fits a phone's screen).
bool HasViewport(QStringView html);

} // namespace wobbin
