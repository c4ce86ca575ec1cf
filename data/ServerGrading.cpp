#include "data/ServerGrading.h"

#include "data/Connection.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

namespace server_grading {

namespace {

QVariant keyOf(const QUuid& key)
{
    return key.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(key.toString(QUuid::WithoutBraces));
}

} // namespace

int startRun(Connection& connection, const QUuid& run, const QString& topic)
{
    QSqlQuery& q = connection.call(QStringLiteral("SELECT norvena_start_run(?::uuid, ?)"), {keyOf(run), topic});
    const int count = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return count;
}

QString sheetText(const QList<QPair<QVariant, QVariant>>& sheet)
{
    // A row without a question number stands for no question.
    QJsonArray rows;
    for (const auto& [id, letter] : sheet) {
        bool isNumber = false;
        const qlonglong n = id.toLongLong(&isNumber);
        const QJsonValue key = !id.isNull() && isNumber ? QJsonValue(n) : QJsonValue();
        rows.append(QJsonArray{key, letter.isNull() ? QJsonValue() : QJsonValue(letter.toString())});
    }
    return QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact));
}

Outcome grade(Connection& connection, const QUuid& attempt, const QUuid& run, const QString& name,
              const QVariant& topic, const QList<QPair<QVariant, QVariant>>& sheet)
{
    {
        QSqlQuery& q = connection.call(QStringLiteral("SELECT norvena_grade(?::uuid, ?::uuid, ?, ?, ?)"),
                                       {keyOf(attempt), keyOf(run), name.isNull() ? QStringLiteral("") : name,
                                        topic.isNull() ? QVariant(QMetaType::fromType<QString>())
                                                       : QVariant(topic.toString()),
                                        sheetText(sheet)});
        q.finish();
    }
    QSqlQuery& q = connection.call(
        QStringLiteral("SELECT correct, questions, five_point, letter_text, letter_code FROM norvena_outcome(?::uuid)"),
        {keyOf(attempt)});
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
