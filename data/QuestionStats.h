#pragma once

#include <QDate>
#include <QHash>
#include <QPair>
#include <QStringList>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>

#include <array>
#include <optional>

class Connection;

// What the graded runs of a topic say about its questions, for the
// teacher: from the answers kept with each result row (table "otvety",
// schema::answers()).
//
// A run counts a question as answered correctly when the letter given
// equals the question's letter at the moment of grading (two absent letters
// being equal, as the grading counts them). Its score is the number of its
// questions of the topic so answered.
//
// - facility of a question: the share of the runs with the question that
//   answered it correctly;
// - discrimination: the Pearson correlation, over the runs with the
//   question, between its score (0 or 1) and the sum of the run's other
//   scores; none where either does not vary;
// - KR-20 over the runs that have the topic's most frequent set of
//   questions: n/(n−1) × (1 − Σ pᵢqᵢ / σ²), n questions, pᵢ their
//   facilities in those runs, qᵢ = 1 − pᵢ, σ² the population variance of the
//   runs' scores; none for fewer than two questions or scores that do not
//   vary.
namespace question_stats {

// The letters of the answer group, "no answer" and any other text.
inline constexpr int kLetters = 5;
inline constexpr qint8 kNoAnswer = 5;
inline constexpr qint8 kOther = 6;
// The code of a stored letter: 0 … 4 for "A" … "E", kNoAnswer for an absent
// one, kOther for any other text.
qint8 letterCode(const QVariant& letter);
QString letterName(int index); // "A" … "E"; "—" for kNoAnswer

// The runs' answers as read from the database.
struct Input {
    struct Run {
        qint64 result = 0; // the result row's key
        QString name;      // fio
        QVariant date;     // data (a QDate, or absent)
        QVariant kol;      // as stored
        QVariant letter;   // ocenka, as stored
    };
    struct Answer {
        qint64 result = 0;
        int id = 0;
        int position = 0;
        qint8 given = kNoAnswer;   // letterCode()
        qint8 correct = kNoAnswer; // letterCode()
    };
    QVector<Run> runs;       // in the order of the result rows
    QVector<Answer> answers; // any order; answers of a result not in runs are left out
    // Question texts as they stand now, by id (a question deleted since has none).
    QHash<int, QString> texts;
};

struct Question {
    int id = 0;
    int number = 0;    // its place in the runs (the first one it had)
    QString firstLine; // of its text as it stands; empty when it is gone
    QString correct;   // its letter in the newest run ("" when it had none)
    QString choices;   // the letters of its options found in its text ("ABCD"); empty when unknown
    int runs = 0;      // runs that had it
    int right = 0;     // of them, answered correctly
    double facility = 0;
    std::optional<double> discrimination;
    std::array<int, kLetters + 1> counts{}; // A … E, no answer
    int others = 0; // letters that are none of A … E
    QStringList flags; // in plain words
};

struct Run {
    qint64 result = 0;
    QString name;
    QVariant date;
    QVariant letter;
    int questions = 0; // its questions of the topic
    int correct = 0;
    // Per question of Stats::questions (same order): the letter given as
    // letterCode(), -1 where the run did not have the question, and
    // whether it was right.
    QVector<qint8> given;
    QVector<bool> right;
};

struct Stats {
    QVector<Question> questions; // by number, then id
    QVector<Run> runs;           // in the order of the result rows
    double mean = 0, median = 0, deviation = 0; // of the share correct, over all runs
    std::optional<double> kr20;
    int kr20Runs = 0;      // runs with the most frequent set of questions
    int kr20Questions = 0; // questions in that set
};

// The figures from the answers; pure.
Stats compute(const Input& input);

// Pearson correlation of two series of equal length; none when either does
// not vary (or they are shorter than two).
std::optional<double> pearson(const QVector<double>& x, const QVector<double>& y);

// What is read for a topic and an inclusive range of dates (an invalid date:
// no bound on that side).
struct Query {
    QString topic;
    QDate from;
    QDate to;
};

struct Loaded {
    Stats stats;
    // Result rows in the range with no answers kept (stored before answers
    // were kept, or by an older copy of the program): left out.
    int withoutAnswers = 0;
    // Whether the database holds answers at all (an older file has no table).
    bool haveAnswers = false;
};

// Reads what the statistics need in a few statements and computes them.
// Throws Error with the engine's message.
Loaded load(Connection& connection, const Query& query);

// The topics that have answers kept, in the order of their names.
QStringList topicsWithAnswers(Connection& connection);

// The earliest and latest date of the stored results (invalid when none).
QPair<QDate, QDate> dateRange(Connection& connection);

} // namespace question_stats
