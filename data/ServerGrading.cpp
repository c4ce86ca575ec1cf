#include "data/ServerGrading.h"

#include "data/Connection.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

namespace server_grading {

int startRun(Connection& connection, const QString& topic)
{
    QSqlQuery& q = connection.prepareWrite(QStringLiteral("SELECT norvena_start_run(?)"));
    q.addBindValue(topic);
    connection.write(q);
    const int count = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return count;
}

Outcome grade(Connection& connection, const QString& name, const QVariant& topic,
              const QList<QPair<QVariant, QVariant>>& sheet)
{
    // The sheet goes as one JSON text: [[id, "A"], [id, null], ...]. A row
    // without a question number stands for no question.
    QJsonArray rows;
    for (const auto& [id, letter] : sheet) {
        bool isNumber = false;
        const qlonglong n = id.toLongLong(&isNumber);
        const QJsonValue key = !id.isNull() && isNumber ? QJsonValue(n) : QJsonValue();
        rows.append(QJsonArray{key, letter.isNull() ? QJsonValue() : QJsonValue(letter.toString())});
    }
    QSqlQuery& q = connection.prepareWrite(
        QStringLiteral("SELECT correct, questions, five_point, letter_text, letter_code FROM norvena_grade(?, ?, ?)"));
    q.addBindValue(name.isNull() ? QStringLiteral("") : name);
    q.addBindValue(topic.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(topic.toString()));
    q.addBindValue(QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)));
    connection.write(q);
    if (!q.next())
        throw Error(engineMessage(q.lastError()));
    Outcome o;
    o.correct = q.value(0).toInt();
    o.questions = q.value(1).toInt();
    o.fivePoint = q.value(2).toString();
    o.letterText = q.value(3).toString();
    o.letter = q.value(4).toString();
    q.finish();
    return o;
}

} // namespace server_grading
