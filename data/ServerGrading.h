#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// Grading on a course server. The server keeps the correct letters to
// itself: choosing a topic records the run's questions and letters in the
// session, and grading sends the student's name, the topic and the answer
// sheet; the server counts the correct answers, applies the grading rules,
// stores the result row and answers with k, N and both grades.
class Connection;

namespace server_grading {

struct Outcome {
    int correct = 0;    // k
    int questions = 0;  // N
    QString fivePoint;  // "2" … "5"
    QString letterText; // "B- (2.67)"
    QString letter;     // "B-", as stored
};

// Both are writes of the connection (data/Connection.h): inside a handler
// they join its transaction, each under a savepoint of its own, so that a
// refusal leaves what the handler wrote before.
//
// Records the start of a run of the topic in the session; the number of its
// questions. Throws Error with the server's message.
int startRun(Connection& connection, const QString& topic);

// Grades the sheet, one (question id, letter or absent) pair per row in the
// sheet's order, against the session's run of the topic (all questions when
// the topic is absent, as when no topic was chosen). The result row is
// stored by the server. Throws Error with the server's message, among them
// "Invalid floating point operation" for a topic without questions.
Outcome grade(Connection& connection, const QString& name, const QVariant& topic,
              const QList<QPair<QVariant, QVariant>>& sheet);

} // namespace server_grading
