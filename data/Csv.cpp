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

QByteArray row(const QStringList& cells)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += u';';
        const QString& cell = cells[i];
        bool quote = false;
        for (const QChar c : cell) {
            if (c == u';' || c == u'"' || c == u'\r' || c == u'\n') {
                quote = true;
                break;
            }
        }
        if (!cell.isEmpty() && (cell.front().isSpace() || cell.back().isSpace()))
            quote = true;
        if (quote) {
            QString inner = cell;
            inner.replace(u'"', QStringLiteral("\"\""));
            line += u'"' + inner + u'"';
        } else {
            line += cell;
        }
    }
    line += QStringLiteral("\r\n");
    return line.toUtf8();
}

bool writeTable(const QString& path, const QStringList& titles, qint64 rowCount,
                const std::function<QStringList(qint64)>& cellsOf, const std::function<bool(qint64)>& advance)
{
    if (!advance(0))
        return false;
    NewFile file(path);
    file.write(kByteOrderMark);
    file.write(row(titles));
    for (qint64 i = 0; i < rowCount; ++i) {
        file.write(row(cellsOf(i)));
        if ((i & 0xFF) == 0xFF && !advance(i + 1))
            return false;
    }
    if (!advance(rowCount))
        return false;
    file.commit();
    return true;
}

} // namespace csv
