#pragma once

#include <QSqlDatabase>
#include <QString>

// Setting up a course on a PostgreSQL server: its tables, the two roles the
// copies of the program log in as, their rights, and the grading functions.
//
// The students' role may read the topics, the catalogue and the questions
// without their correct letters, add catalogue entries, and keep an answer
// sheet of its session's own; it stores a result only through the grading
// function, which counts the correct answers from the server's own questions
// and letters, applies the grading rules (the program's own rows, copied
// into the server) and stores the result row. It sees no stored result.
// The teacher's role may do all that the editor, the register and the
// catalogue do.
namespace server {

struct Roles {
    QString student = QStringLiteral("norvena_student");
    QString studentPassword; // empty: left as it is (none for a new role)
    QString teacher = QStringLiteral("norvena_teacher");
    QString teacherPassword; // empty: left as it is (none for a new role)
};

// Sets up the course in the database the connection is open on, as an
// administrator who may create roles (a superuser). Repeatable: tables and
// their rows are kept, rights, rules and functions are made anew. Everything
// happens in one transaction. Throws Error with the server's message.
void setUp(QSqlDatabase db, const Roles& roles);

} // namespace server
