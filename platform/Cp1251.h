#pragma once

#include <QByteArray>
#include <QString>

// The Windows Cyrillic code page (Windows-1251), in which the course's text
// files are written. Every byte value has a character (0x98, which the code
// page leaves unassigned, is U+0098), so decoding and encoding again gives
// back the same bytes.
namespace Cp1251 {

QString decode(const QByteArray& bytes);

// Encodes text; a character that the code page cannot hold makes *ok false
// (and is written as "?").
QByteArray encode(const QString& text, bool* ok = nullptr);

} // namespace Cp1251
