#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QUuid>
#include <QVariant>

// Grading on a course server. The server keeps the correct letters to
// itself: choosing a topic records the run's questions and letters on the
// server under a key the copy makes for the run; grading sends the
// student's name, the run's key, the topic and the answer sheet, and the
// server counts the correct answers, applies the grading rules and stores
// the result row. A second call then reads k, N and both grades, which the
// server tells only once the result row is committed.
//
// Each call is one round trip, outside any handler transaction, and is
// sent again over a new connection when the link to the server was lost
// (Connection::call): the run's key and the grading's key make a call that
// arrives twice count once.
class Connection;

namespace server_grading {

struct Outcome {
    int correct = 0;    // k
    int questions = 0;  // N
    QString fivePoint;  // "2" … "5"
    QString letterText; // "B- (2.67)"
    QString letter;     // "B-", as stored
};

// Records the start of a run of the topic under the run's key; the number
// of its questions. Throws Error with the server's message.
int startRun(Connection& connection, const QUuid& run, const QString& topic);

// Grades the sheet, one (question id, letter or absent) pair per row in the
// sheet's order, against the run (or, when the server holds no such run,
// the topic's questions as they stand; all questions when the topic is
// absent, as when no topic was chosen). The result row is stored by the
// server under the grading's key `attempt`; sent again with the same key,
// nothing more is stored and the same outcome comes back. Throws Error with
// the server's message, among them "Invalid floating point operation" for a
// topic without questions.
Outcome grade(Connection& connection, const QUuid& attempt, const QUuid& run, const QString& name,
              const QVariant& topic, const QList<QPair<QVariant, QVariant>>& sheet);

// The answer sheet as the server takes it: [[id, "A"], [id, null], ...].
QString sheetText(const QList<QPair<QVariant, QVariant>>& sheet);

} // namespace server_grading
