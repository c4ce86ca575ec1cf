#include "data/PrivateTable.h"

#include "platform/Error.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

QString quoted(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

[[noreturn]] void fail(const QSqlError& error)
{
    const QString text = error.databaseText().trimmed();
    throw Error(text.isEmpty() ? error.text().trimmed() : text);
}

} // namespace

void PrivateTable::ensure(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT count(*) FROM sqlite_temp_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(table);
    if (!q.exec() || !q.next())
        fail(q.lastError());
    const bool made = q.value(0).toInt() > 0;
    q.finish();
    if (made)
        return;

    // The file's columns with their declared types, rules and key.
    q.prepare(QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?, 'main') "
                             "ORDER BY cid"));
    q.addBindValue(table);
    if (!q.exec())
        fail(q.lastError());
    QStringList columns;
    QStringList key;
    while (q.next()) {
        QString column = quoted(q.value(0).toString()) + u' ' + q.value(1).toString();
        if (q.value(2).toInt() != 0)
            column += QStringLiteral(" NOT NULL");
        if (!q.value(3).isNull())
            column += QStringLiteral(" DEFAULT ") + q.value(3).toString();
        if (q.value(4).toInt() > 0)
            key << quoted(q.value(0).toString());
        columns << column;
    }
    q.finish();
    if (columns.isEmpty())
        return;
    if (!key.isEmpty())
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(key.join(QStringLiteral(", ")));

    // Made and filled at once, or not at all.
    const QString name = quoted(table);
    const QStringList statements{
        QStringLiteral("SAVEPOINT private_table"),
        QStringLiteral("CREATE TEMP TABLE %1 (%2)").arg(name, columns.join(QStringLiteral(", "))),
        QStringLiteral("INSERT INTO temp.%1 SELECT * FROM main.%1 ORDER BY rowid").arg(name),
        QStringLiteral("RELEASE private_table"),
    };
    for (const QString& statement : statements) {
        if (!q.exec(statement)) {
            const QSqlError error = q.lastError();
            q.finish();
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK TO private_table"));
            QSqlQuery(db).exec(QStringLiteral("RELEASE private_table"));
            fail(error);
        }
        q.finish();
    }
}
