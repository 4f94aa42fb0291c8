#pragma once
// Windows-1252 text, the 8-bit encoding of every text the program stores in files.

#include <QByteArray>
#include <QString>

namespace wobbin {

// Encodes text as Windows-1252. A character the code page cannot hold is written
// as an HTML numeric character reference ("&#8364;" style), never dropped.
QByteArray ToCp1252(const QString &text);

// Decodes Windows-1252 bytes. The five undefined bytes (81 8D 8F 90 9D) map to the
// control characters of the same number, so every byte survives a round trip.
QString FromCp1252(const QByteArray &bytes);
QString FromCp1252(const char *data, qsizetype size);

// Turns back into characters the references ToCp1252 writes for characters the
// code page cannot hold ("&#1055;" becomes the letter it stands for). Only
// references exactly as ToCp1252 writes them are turned back, so that
// ToCp1252 of the result gives the bytes it came from again; every other
// "&#...;" stays as it is.
QString DecodeOwnReferences(const QString &text);

} // namespace wobbin
