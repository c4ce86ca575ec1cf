#include "data/QuestionStats.h"

#include "data/Connection.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace question_stats {

qint8 letterCode(const QVariant& letter)
{
    if (letter.isNull())
        return kNoAnswer;
    const QString text = letter.toString();
    if (text.size() == 1 && text[0] >= u'A' && text[0] <= u'E')
        return qint8(text[0].unicode() - u'A');
    return kOther;
}

QString letterName(int index)
{
    return index >= 0 && index < kLetters ? QString(QChar(u'A' + index)) : QStringLiteral("—");
}

std::optional<double> pearson(const QVector<double>& x, const QVector<double>& y)
{
    const qsizetype n = std::min(x.size(), y.size());
    if (n < 2)
        return std::nullopt;
    const double mx = std::accumulate(x.begin(), x.begin() + n, 0.0) / double(n);
    const double my = std::accumulate(y.begin(), y.begin() + n, 0.0) / double(n);
    double sxy = 0, sxx = 0, syy = 0;
    bool xVaries = false, yVaries = false;
    for (qsizetype i = 0; i < n; ++i) {
        xVaries = xVaries || x[i] != x[0];
        yVaries = yVaries || y[i] != y[0];
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    if (!xVaries || !yVaries)
        return std::nullopt;
    return std::clamp(sxy / std::sqrt(sxx * syy), -1.0, 1.0);
}

namespace {

QString firstLine(const QString& text)
{
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return (end < 0 ? text : text.left(end)).trimmed();
}

// The letters of the options a question's text holds: lines "A) …", "B. …".
QString choicesOf(const QString& text)
{
    static const QRegularExpression option(QStringLiteral(R"(^\s*([A-E])[).]\s)"), QRegularExpression::MultilineOption);
    QString letters;
    auto it = option.globalMatch(text);
    while (it.hasNext()) {
        const QString letter = it.next().captured(1);
        if (!letters.contains(letter))
            letters += letter;
    }
    std::sort(letters.begin(), letters.end());
    return letters;
}

void flag(Question& q)
{
    if (q.runs == 0)
        return;
    if (q.facility > 0.9)
        q.flags << QStringLiteral("очень лёгкий");
    else if (q.facility < 0.2)
        q.flags << QStringLiteral("очень трудный");
    if (q.discrimination) {
        if (*q.discrimination < 0)
            q.flags << QStringLiteral("отрицательное различение: лучше отвечают слабые");
        else if (*q.discrimination < 0.2)
            q.flags << QStringLiteral("слабое различение");
    }
    const int right = letterCode(q.correct);
    if (right >= kLetters)
        return;
    // The wrong options: those the text holds, or every letter given when
    // the text is gone.
    QString options = q.choices;
    if (options.isEmpty())
        for (int l = 0; l < kLetters; ++l)
            if (q.counts[l] > 0)
                options += letterName(l);
    for (const QChar c : std::as_const(options)) {
        const int l = c.unicode() - u'A';
        if (l == right)
            continue;
        if (q.counts[l] == 0 && !q.choices.isEmpty())
            q.flags << QStringLiteral("вариант %1 никто не выбрал").arg(c);
        else if (q.counts[l] > q.counts[right])
            q.flags << QStringLiteral("вариант %1 выбирают чаще верного").arg(c);
    }
}

} // namespace

Stats compute(const Input& input)
{
    Stats stats;
    QHash<qint64, int> runOf;
    runOf.reserve(input.runs.size());
    for (const Input::Run& r : input.runs) {
        if (runOf.contains(r.result))
            continue;
        runOf.insert(r.result, int(stats.runs.size()));
        Run run;
        run.result = r.result;
        run.name = r.name;
        run.date = r.date;
        run.letter = r.letter;
        stats.runs.append(run);
    }

    // The questions, with their number and their letter in the newest run.
    struct Seen {
        int number = 0;
        qint64 newest = -1;
        qint8 correct = kNoAnswer;
    };
    QHash<int, Seen> seen;
    for (const Input::Answer& a : input.answers) {
        if (!runOf.contains(a.result))
            continue;
        auto it = seen.find(a.id);
        if (it == seen.end())
            it = seen.insert(a.id, Seen{a.position, a.result, a.correct});
        it->number = std::min(it->number, a.position);
        if (a.result > it->newest) {
            it->newest = a.result;
            it->correct = a.correct;
        }
    }
    QVector<int> ids = seen.keys().toVector();
    std::sort(ids.begin(), ids.end(),
              [&seen](int a, int b) { return std::pair(seen[a].number, a) < std::pair(seen[b].number, b); });
    QHash<int, int> questionOf;
    for (int id : std::as_const(ids)) {
        questionOf.insert(id, int(stats.questions.size()));
        Question q;
        q.id = id;
        q.number = seen[id].number;
        q.correct = seen[id].correct < kLetters ? letterName(seen[id].correct) : QString();
        const auto text = input.texts.constFind(id);
        if (text != input.texts.constEnd()) {
            q.firstLine = firstLine(*text);
            q.choices = choicesOf(*text);
        }
        stats.questions.append(q);
    }

    const qsizetype nq = stats.questions.size();
    for (Run& r : stats.runs) {
        r.given.fill(-1, nq);
        r.right.fill(false, nq);
    }
    for (const Input::Answer& a : input.answers) {
        const auto run = runOf.constFind(a.result);
        if (run == runOf.constEnd())
            continue;
        Run& r = stats.runs[*run];
        const int q = questionOf.value(a.id);
        if (r.given[q] != -1)
            continue; // a question twice in one run counts once
        const bool right = a.given == a.correct && a.given != kOther;
        r.given[q] = a.given;
        r.right[q] = right;
        ++r.questions;
        r.correct += right;
        Question& question = stats.questions[q];
        ++question.runs;
        question.right += right;
        if (a.given <= kNoAnswer)
            ++question.counts[a.given];
        else
            ++question.others;
    }
    // Runs whose answers were all left out have nothing to say.
    stats.runs.erase(
        std::remove_if(stats.runs.begin(), stats.runs.end(), [](const Run& r) { return r.questions == 0; }),
        stats.runs.end());

    // The share correct over the runs.
    const qsizetype nr = stats.runs.size();
    if (nr > 0) {
        QVector<double> shares;
        shares.reserve(nr);
        for (const Run& r : std::as_const(stats.runs))
            shares.append(double(r.correct) / double(r.questions));
        stats.mean = std::accumulate(shares.begin(), shares.end(), 0.0) / double(nr);
        double squares = 0;
        for (double s : std::as_const(shares))
            squares += (s - stats.mean) * (s - stats.mean);
        stats.deviation = std::sqrt(squares / double(nr));
        std::sort(shares.begin(), shares.end());
        stats.median = nr % 2 ? shares[nr / 2] : (shares[nr / 2 - 1] + shares[nr / 2]) / 2;
    }

    // Per question: facility and discrimination.
    QVector<double> x, y;
    for (qsizetype q = 0; q < nq; ++q) {
        Question& question = stats.questions[q];
        x.clear();
        y.clear();
        for (const Run& r : std::as_const(stats.runs)) {
            if (r.given[q] == -1)
                continue;
            x.append(r.right[q]);
            y.append(r.correct - int(r.right[q]));
        }
        if (question.runs > 0)
            question.facility = double(question.right) / double(question.runs);
        question.discrimination = pearson(x, y);
        flag(question);
    }

    // KR-20 over the runs with the most frequent set of questions (the
    // first such set in the order of the runs when several are as frequent).
    QHash<QByteArray, int> sets;
    QByteArray best;
    int bestCount = 0;
    for (const Run& r : std::as_const(stats.runs)) {
        QByteArray set(nq, '0');
        for (qsizetype q = 0; q < nq; ++q)
            if (r.given[q] != -1)
                set[q] = '1';
        const int count = ++sets[set];
        if (count > bestCount) {
            bestCount = count;
            best = set;
        }
    }
    if (bestCount > 0) {
        stats.kr20Runs = bestCount;
        stats.kr20Questions = int(best.count('1'));
        const int n = stats.kr20Questions;
        QVector<int> right(nq, 0);
        QVector<double> scores;
        for (const Run& r : std::as_const(stats.runs)) {
            bool same = true;
            for (qsizetype q = 0; q < nq && same; ++q)
                same = (r.given[q] != -1) == (best[q] == '1');
            if (!same)
                continue;
            scores.append(r.correct);
            for (qsizetype q = 0; q < nq; ++q)
                right[q] += r.right[q];
        }
        const double m = double(scores.size());
        const double mean = std::accumulate(scores.begin(), scores.end(), 0.0) / m;
        double variance = 0;
        for (double s : std::as_const(scores))
            variance += (s - mean) * (s - mean);
        variance /= m;
        double pq = 0;
        for (qsizetype q = 0; q < nq; ++q) {
            if (best[q] != '1')
                continue;
            const double p = right[q] / m;
            pq += p * (1 - p);
        }
        if (n >= 2 && variance > 0)
            stats.kr20 = double(n) / double(n - 1) * (1 - pq / variance);
    }
    return stats;
}

namespace {

bool haveAnswers(Connection& connection)
{
    QSqlQuery& q = connection.read(
        connection.server()
            ? QStringLiteral("SELECT count(*) FROM pg_catalog.pg_tables WHERE schemaname = 'public' "
                             "AND tablename = 'otvety'")
            : QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'otvety'"),
        {});
    const bool found = q.next() && q.value(0).toInt() > 0;
    q.finish();
    return found;
}

// " AND r.data >= ? AND r.data <= ?" for the bounds that are set, with
// their values appended.
QString dateCondition(const Connection& connection, const Query& query, QVariantList& values)
{
    QString sql;
    const auto bound = [&](const QDate& d, const char* op) {
        if (!d.isValid())
            return;
        sql += QStringLiteral(" AND r.data %1 ?").arg(QLatin1String(op));
        // The file keeps a date as its ISO text.
        values << (connection.server() ? QVariant(d) : QVariant(d.toString(Qt::ISODate)));
    };
    bound(query.from, ">=");
    bound(query.to, "<=");
    return sql;
}

} // namespace

Loaded load(Connection& connection, const Query& query)
{
    Loaded loaded;
    loaded.haveAnswers = haveAnswers(connection);

    QVariantList values;
    const QString dates = dateCondition(connection, query, values);
    if (!loaded.haveAnswers) {
        QSqlQuery& q = connection.read(QStringLiteral("SELECT count(*) FROM result r WHERE 1 = 1") + dates, values);
        if (q.next())
            loaded.withoutAnswers = q.value(0).toInt();
        q.finish();
        return loaded;
    }

    Input input;
    {
        // The result rows of the days; those without answers of the topic
        // have nothing to say and are left out by compute().
        QSqlQuery& q =
            connection.read(QStringLiteral("SELECT r.rowid, r.fio, r.data, r.kol, r.ocenka FROM result r WHERE 1 = 1") +
                                dates + QStringLiteral(" ORDER BY r.rowid"),
                            values);
        while (q.next())
            input.runs.append({q.value(0).toLongLong(), q.value(1).toString(),
                               q.value(2).isNull() ? QVariant() : QVariant(q.value(2).toDate()), q.value(3),
                               q.value(4)});
        q.finish();
    }
    {
        // The answers by question and letters, each group with the keys of
        // its result rows: a few hundred rows for any number of runs. The
        // answers of results outside the days (or deleted) are left out by
        // compute(), which knows the runs.
        const QString keys = connection.server() ? QStringLiteral("string_agg(a.result::text, ',')")
                                                 : QStringLiteral("group_concat(a.result)");
        QSqlQuery& q = connection.read(QStringLiteral("SELECT a.id, a.verno, a.otv, min(a.nom), %1 FROM otvety a "
                                                      "WHERE a.rasdel = ? GROUP BY a.id, a.verno, a.otv")
                                           .arg(keys),
                                       {query.topic});
        input.answers.reserve(input.runs.size() * 40);
        while (q.next()) {
            const int id = q.value(0).toInt();
            const qint8 correct = letterCode(q.value(1));
            const qint8 given = letterCode(q.value(2));
            const int position = q.value(3).toInt();
            const QString list = q.value(4).toString();
            for (const QStringView key : QStringView(list).split(u','))
                input.answers.append({key.toLongLong(), id, position, given, correct});
        }
        q.finish();
    }
    {
        // The texts of the questions the answers name, as they stand now.
        QSet<int> seen;
        QStringList ids;
        for (const Input::Answer& a : std::as_const(input.answers))
            if (!seen.contains(a.id)) {
                seen.insert(a.id);
                ids << QString::number(a.id);
            }
        QSqlQuery& q =
            connection.read(connection.server() ? QStringLiteral("SELECT t.id, t.test FROM test t WHERE t.id = "
                                                                 "ANY (string_to_array(?, ',')::integer[])")
                                                : QStringLiteral("SELECT t.id, t.test FROM test t WHERE t.id IN "
                                                                 "(SELECT value FROM json_each('[' || ? || ']'))"),
                            {ids.join(u',')});
        while (q.next())
            input.texts.insert(q.value(0).toInt(), q.value(1).toString());
        q.finish();
    }
    {
        QSqlQuery& q = connection.read(QStringLiteral("SELECT count(*) FROM result r WHERE NOT EXISTS "
                                                      "(SELECT 1 FROM otvety a WHERE a.result = r.rowid)") +
                                           dates,
                                       values);
        if (q.next())
            loaded.withoutAnswers = q.value(0).toInt();
        q.finish();
    }
    loaded.stats = compute(input);
    return loaded;
}

QStringList topicsWithAnswers(Connection& connection)
{
    QStringList topics;
    if (!haveAnswers(connection))
        return topics;
    QSqlQuery& q = connection.read(
        QStringLiteral("SELECT DISTINCT a.rasdel FROM otvety a WHERE a.rasdel IS NOT NULL ORDER BY 1"), {});
    while (q.next())
        topics << q.value(0).toString();
    q.finish();
    return topics;
}

QPair<QDate, QDate> dateRange(Connection& connection)
{
    QSqlQuery& q = connection.read(QStringLiteral("SELECT min(r.data), max(r.data) FROM result r"), {});
    QPair<QDate, QDate> range;
    if (q.next())
        range = {q.value(0).toDate(), q.value(1).toDate()};
    q.finish();
    return range;
}

} // namespace question_stats
