#include "data/Csv.h"

#include "data/Value.h"
#include "platform/NewFile.h"

#include <QDate>
#include <QDateTime>

namespace csv {

QString cellText(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return value.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QString:
        break;
    default:
        return value::toText(value);
    }
    const QString text = value.toString();
    if (!text.isEmpty()) {
        switch (text.front().unicode()) {
        case u'=':
        case u'+':
        case u'-':
        case u'@':
        case u'\t':
        case u'\r':
            return u'\'' + text;
        default:
            break;
        }
    }
    return text;
}

namespace {

void appendRow(QString& out, const QStringList& cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += u';';
        const QString& cell = cells[i];
        bool quote = !cell.isEmpty() && (cell.front().isSpace() || cell.back().isSpace());
        for (qsizetype k = 0; k < cell.size() && !quote; ++k) {
            const char16_t c = cell[k].unicode();
            quote = c == u';' || c == u'"' || c == u'\r' || c == u'\n';
        }
        if (!quote) {
            out += cell;
            continue;
        }
        out += u'"';
        for (const QChar c : cell) {
            if (c == u'"')
                out += u'"';
            out += c;
        }
        out += u'"';
    }
    out += QLatin1String("\r\n");
}

} // namespace

QByteArray row(const QStringList& cells)
{
    QString line;
    appendRow(line, cells);
    return line.toUtf8();
}

bool writeTable(const QString& path, const QStringList& titles, qint64 rowCount,
                const std::function<QStringList(qint64)>& cellsOf, const std::function<bool(qint64)>& advance)
{
    if (!advance(0))
        return false;
    NewFile file(path);
    file.write(kByteOrderMark);
    // Rows are gathered as text and encoded a block at a time.
    constexpr qsizetype kBlock = 64 * 1024;
    QString block;
    block.reserve(kBlock + 1024);
    appendRow(block, titles);
    for (qint64 i = 0; i < rowCount; ++i) {
        appendRow(block, cellsOf(i));
        if (block.size() >= kBlock) {
            file.write(block.toUtf8());
            block.clear();
        }
        if ((i & 0xFF) == 0xFF && !advance(i + 1))
            return false;
    }
    file.write(block.toUtf8());
    if (!advance(rowCount))
        return false;
    file.commit();
    return true;
}

} // namespace csv
