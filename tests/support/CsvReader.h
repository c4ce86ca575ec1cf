#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A CSV reader of the tests' own, to read back what the program writes.
namespace csvreader {

// An RFC 4180 reader with ";" between cells: quoted cells may hold the
// separator, doubled quotes and line breaks; records end with CR LF.
inline QList<QStringList> read(const QString& text, QString* fault)
{
    QList<QStringList> records;
    QStringList record;
    QString cell;
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool atCellStart = true;
    while (i < n) {
        const QChar c = text[i];
        if (atCellStart && c == u'"') {
            ++i;
            for (;;) {
                if (i >= n) {
                    *fault = QStringLiteral("unterminated quote");
                    return records;
                }
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        cell += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell += text[i++];
            }
            atCellStart = false;
            if (i < n && text[i] != u';' && text[i] != u'\r') {
                *fault = QStringLiteral("text after a closing quote at %1").arg(i);
                return records;
            }
            continue;
        }
        if (c == u';') {
            record << cell;
            cell.clear();
            atCellStart = true;
            ++i;
        } else if (c == u'\r') {
            if (i + 1 >= n || text[i + 1] != u'\n') {
                *fault = QStringLiteral("CR without LF at %1").arg(i);
                return records;
            }
            record << cell;
            records << record;
            record.clear();
            cell.clear();
            atCellStart = true;
            i += 2;
        } else if (c == u'\n' || c == u'"') {
            *fault = QStringLiteral("bare %1 in an unquoted cell at %2").arg(c == u'"' ? "quote" : "LF").arg(i);
            return records;
        } else {
            cell += c;
            atCellStart = false;
            ++i;
        }
    }
    if (!record.isEmpty() || !cell.isEmpty())
        *fault = QStringLiteral("last record not ended by CR LF");
    return records;
}

} // namespace csvreader
