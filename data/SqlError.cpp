#include "data/SqlError.h"

#include <QSqlError>
#include <QStringList>

QString engineMessage(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    for (const char* severity : {"ERROR:", "FATAL:", "PANIC:"}) {
        if (text.startsWith(QLatin1String(severity))) {
            text = text.mid(int(qstrlen(severity))).trimmed();
            break;
        }
    }
    return text;
}
