#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// Statements of a test's own connection, run the way another program would
// run them: values bound, never spliced into the text. What went wrong is
// given to the caller or, when the caller does not ask, logged with the
// statement.
namespace statements {

// Runs a statement on the query. A statement without values is run as it
// stands (a server cannot prepare definitions); one with values is prepared
// and bound.
inline bool run(QSqlQuery& q, const QString& sql, const QVariantList& values)
{
    if (values.isEmpty())
        return q.exec(sql);
    if (!q.prepare(sql))
        return false;
    for (const QVariant& v : values)
        q.addBindValue(v);
    return q.exec();
}

// Runs a statement; false, with *error set to the text chosen by errorText,
// when refused.
template <typename ErrorText>
bool exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error, ErrorText errorText)
{
    QSqlQuery q(db);
    if (run(q, sql, values))
        return true;
    if (error)
        *error = errorText(q.lastError());
    else
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

// Every row of a query, each as a list of its columns; no rows, with *error
// set to the text chosen by errorText, when refused.
template <typename ErrorText>
QList<QVariantList> rows(const QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error,
                         ErrorText errorText)
{
    QList<QVariantList> result;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!run(q, sql, values)) {
        if (error)
            *error = errorText(q.lastError());
        else
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return result;
    }
    while (q.next()) {
        QVariantList row;
        const int columns = q.record().count();
        for (int i = 0; i < columns; ++i)
            row << q.value(i);
        result << row;
    }
    return result;
}

} // namespace statements
