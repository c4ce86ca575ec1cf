#pragma once

#include <QList>
#include <QVariant>

class Connection;

// The answers of a graded run, kept beside its result row for the
// teacher's statistics (table "otvety", schema::answers()).
namespace run_answers {

struct Answer {
    int id = 0;       // the question's key
    int position = 0; // its place in the run, 1 …
    QVariant given;   // "A" … "E", or absent
    QVariant correct; // the question's letter at the moment of grading
    QVariant topic;   // the question's topic at that moment
};

// On a database file: stores the run's answers under the key of its result
// row, in the transaction of the handler that stored the row (the table is
// made first when the file has none yet). Rows left under that key by a
// result row deleted earlier (the file may give its key again) go.
// Throws Error with the engine's message.
void storeOnFile(Connection& connection, qint64 result, const QList<Answer>& answers);

} // namespace run_answers
