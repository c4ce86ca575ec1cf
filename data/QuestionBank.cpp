#include "data/QuestionBank.h"

#include "data/Connection.h"
#include "data/Table.h"
#include "data/Value.h"
#include "platform/Error.h"
#include "platform/HandlerScope.h"

#include <QSet>

namespace {

bool isTopic(const QVariant& v, const QString& topic)
{
    return v.typeId() == QMetaType::QString && v.toString() == topic;
}

} // namespace

namespace questionbank {

QStringList knownTopics(Table& temi, Table& test)
{
    QStringList topics;
    QSet<QString> seen;
    auto add = [&](const QVariant& v) {
        if (v.isNull())
            return;
        const QString topic = value::toText(v);
        if (topic.trimmed().isEmpty() || seen.contains(topic))
            return;
        seen.insert(topic);
        topics << topic;
    };
    if (temi.active())
        for (int i = 0; i < temi.recordCount(); ++i)
            add(temi.valueAt(i, QStringLiteral("rasdel")));
    if (test.active() && !test.filtered())
        for (int i = 0; i < test.recordCount(); ++i)
            add(test.valueAt(i, QStringLiteral("rasdel")));
    return topics;
}

QList<aiken::Question> topicQuestions(Table& test, const QString& topic, const QString& format,
                                      const Writable& writable)
{
    test.open();
    test.setFiltered(false);
    QList<aiken::Question> questions;
    QStringList problems;
    const int count = test.recordCount();
    for (int i = 0; i < count; ++i) {
        if (!isTopic(test.valueAt(i, QStringLiteral("rasdel")), topic))
            continue;
        aiken::Question q;
        QString why;
        if (aiken::fromStored(test.valueAt(i, QStringLiteral("test")), test.valueAt(i, QStringLiteral("otv")), &q,
                              &why) &&
            (!writable || writable(q, &why))) {
            questions << q;
        } else {
            const QVariant nom1 = test.valueAt(i, QStringLiteral("nom1"));
            problems << QStringLiteral("вопрос %1: %2")
                            .arg(nom1.isNull() ? QStringLiteral("без номера") : value::toText(nom1), why);
        }
    }
    if (!problems.isEmpty()) {
        constexpr int kNamed = 10;
        QStringList shown = problems.mid(0, kNamed);
        if (problems.size() > kNamed)
            shown << QStringLiteral("и ещё вопросов: %1").arg(problems.size() - kNamed);
        throw Error(QStringLiteral("Тему «%1» нельзя записать в формате %2, файл не записан:\n%3")
                        .arg(topic, format, shown.join(u'\n')));
    }
    return questions;
}

bool importQuestions(Table& test, Table& temi, const QString& topic, const QList<aiken::Question>& questions,
                     const Advance& advance)
{
    // The rows go into one transaction: the running handler's, or one of the
    // import's own when no handler runs.
    const bool ownTransaction = !HandlerScope::active();
    HandlerScope::Running scope;
    Connection& connection = *test.connection();

    test.open();
    temi.open();
    // As "Сохранить": filtering off, and a pending new row with no field
    // written is discarded by the move to the last row.
    test.setFiltered(false);
    test.last();
    // What the action wrote before the import stands on its own, so that
    // taking the import back takes back nothing else.
    connection.commit();

    auto takeBack = [&] {
        test.cancel();
        temi.cancel();
        connection.rollback();
    };
    bool done = false;
    try {
        // The topic's rows already there keep their order and are numbered
        // 1 … k, as the walk of "Сохранить" numbers them.
        const QString nom = QStringLiteral("nom");
        int inTopic = 0;
        const int stored = test.recordCount();
        for (int i = 0; i < stored; ++i) {
            if (!isTopic(test.valueAt(i, QStringLiteral("rasdel")), topic))
                continue;
            ++inTopic;
            const QVariant number = test.valueAt(i, nom);
            if (value::isIntegral(number.typeId()) && number.toLongLong() == inTopic)
                continue;
            test.moveTo(i);
            test.edit();
            test.setValue(nom, inTopic);
            test.post();
        }

        done = advance(0);
        for (qsizetype i = 0; done && i < questions.size(); ++i) {
            const aiken::Question& q = questions[i];
            test.append();
            test.setValue(QStringLiteral("test"), q.text);
            test.setValue(QStringLiteral("rasdel"), topic);
            test.setValue(QStringLiteral("otv"), q.answer);
            test.setValue(QStringLiteral("nom1"), test.recordCount() + 1);
            test.setValue(nom, ++inTopic);
            test.post();
            if ((i & 0x3F) == 0x3F || i + 1 == questions.size())
                done = advance(i + 1);
        }

        if (done) {
            bool listed = false;
            for (int i = 0; i < temi.recordCount() && !listed; ++i)
                listed = isTopic(temi.valueAt(i, QStringLiteral("rasdel")), topic);
            if (!listed) {
                temi.append();
                temi.setValue(QStringLiteral("rasdel"), topic);
                temi.post();
            }
        } else {
            takeBack();
        }
    } catch (...) {
        takeBack();
        throw;
    }
    if (done && ownTransaction)
        connection.commit();
    test.first();
    return done;
}

} // namespace questionbank
