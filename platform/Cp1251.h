#pragma once

#include <QByteArray>
#include <QString>

// The Windows Cyrillic code page (Windows-1251), in which the course's text
// files are written.
namespace Cp1251 {

QString decode(const QByteArray& bytes);

// Encodes text; a character that the code page cannot hold makes *ok false
// (and is written as "?").
QByteArray encode(const QString& text, bool* ok = nullptr);

} // namespace Cp1251
