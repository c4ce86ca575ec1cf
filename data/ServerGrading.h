#pragma once

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Grading on a course server. The server keeps the correct letters to
// itself: choosing a topic records the run's questions and letters in the
// session, and grading sends the student's name, the topic and the answer
// sheet; the server counts the correct answers, applies the grading rules,
// stores the result row and answers with k, N and both grades.
namespace server_grading {

struct Outcome {
    int correct = 0;    // k
    int questions = 0;  // N
    QString fivePoint;  // "2" … "5"
    QString letterText; // "B- (2.67)"
    QString letter;     // "B-", as stored
};

// Records the start of a run of the topic in the session; the number of its
// questions. Throws Error with the server's message.
int startRun(QSqlDatabase db, const QString& topic);

// Grades the sheet, one (question id, letter or absent) pair per row in the
// sheet's order, against the session's run of the topic (all questions when
// the topic is absent, as when no topic was chosen). The result row is
// stored by the server. Throws Error with the server's message, among them
// "Invalid floating point operation" for a topic without questions.
Outcome grade(QSqlDatabase db, const QString& name, const QVariant& topic,
              const QList<QPair<QVariant, QVariant>>& sheet);

} // namespace server_grading
