#include "data/RunAnswers.h"

#include "data/Connection.h"
#include "data/Schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSqlQuery>

namespace run_answers {

namespace {

QJsonValue json(const QVariant& v) { return v.isNull() ? QJsonValue() : QJsonValue(v.toString()); }

} // namespace

void storeOnFile(Connection& connection, qint64 result, const QList<Answer>& answers)
{
    for (const QString& ddl : schema::answersFileDdl())
        connection.write(connection.prepareWrite(ddl));

    QSqlQuery& gone = connection.prepareWrite(QStringLiteral("DELETE FROM \"otvety\" WHERE \"result\" = ?"));
    gone.addBindValue(result);
    connection.write(gone);
    if (answers.isEmpty())
        return;

    // One statement for the whole run.
    QJsonArray rows;
    for (const Answer& a : answers)
        rows.append(QJsonArray{a.id, a.position, json(a.given), json(a.correct), json(a.topic)});
    QSqlQuery& insert = connection.prepareWrite(QStringLiteral(
        "INSERT INTO \"otvety\" (\"result\", \"id\", \"nom\", \"otv\", \"verno\", \"rasdel\") "
        "SELECT ?, json_extract(value, '$[0]'), json_extract(value, '$[1]'), json_extract(value, '$[2]'), "
        "json_extract(value, '$[3]'), json_extract(value, '$[4]') FROM json_each(?) ORDER BY key"));
    insert.addBindValue(result);
    insert.addBindValue(QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)));
    connection.write(insert);
}

} // namespace run_answers
