#pragma once

#include <QByteArray>
#include <QString>

// The text as UTF-16 bytes without a byte-order mark, in the byte order asked.
inline QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}
