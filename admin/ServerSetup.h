#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Setting up a course on a PostgreSQL server: its tables, the roles the
// copies of the program log in as, their rights, and the grading functions.
//
// Every student PC logs in with a role of its own (a "PC role"), a member of
// the students' group role, which holds the rights and cannot log in itself.
// A student at a PC holds that PC's settings file, so whatever the PC role
// can do, the student can do with any SQL client. That is why:
//   - a PC role can change only its own password and settings, and end only
//     its own sessions: the other PCs are not touched; the program sets the
//     session settings it relies on itself at every connection;
//   - a PC role has a connection limit, so that no PC fills the server's
//     connection slots (the teacher's role has none);
//   - the group may read the topics, the catalogue and the questions without
//     their correct letters, and add catalogue entries naming a title and a
//     file; it stores a result only through the grading function, which
//     counts the correct answers from the server's own questions and letters
//     and stores the result row; the grade is told only by a second call,
//     and only once that row is committed, so that a grading whose result is
//     learnt always leaves its row, which no student can take back;
//   - the functions fix the session settings through which a server could
//     talk about their work (messages, plan dumps), take the day of a result
//     from the zone the administrator set, and refuse oversized input.
// The teacher's role may do all that the editor, the register and the
// catalogue do; the functions run with its rights.
namespace server {

// How many sessions one PC role may hold at once: the program's one, and
// room for a session the server has not yet noticed to be gone.
constexpr int kPcConnectionLimit = 4;

struct Roles {
    QString students = QStringLiteral("norvena_students"); // the group
    QString teacher = QStringLiteral("norvena_teacher");
    QString teacherPassword; // empty: left as it is (none for a new role)
    // A PC role to make or bring up to date with the rest (empty: none),
    // and its password (empty: left as it is).
    QString pc;
    QString pcPassword;
    // The zone whose day a result is dated with (empty: the zone of the
    // administrator's session, which is the server's unless PGTZ says
    // otherwise; an earlier setting is kept).
    QString timeZone;
};

// Sets up the course in the database the connection is open on, as an
// administrator who may create roles (a superuser). Repeatable: tables and
// their rows are kept; rights, role attributes and settings, rules and
// functions are made anew, so that running it again brings the server back
// to this state. Everything happens in one transaction. Throws Error with
// the server's message.
void setUp(QSqlDatabase db, const Roles& roles);

// Makes a PC role (or brings one back: member of the group, its connection
// limit, no settings of its own) with the password. Throws Error.
void addPc(QSqlDatabase db, const Roles& roles, const QString& pc, const QString& password);

// What differs on the server from the state setUp makes, one line each;
// empty when nothing does. Throws Error when the server cannot be read.
QStringList check(QSqlDatabase db, const Roles& roles);

} // namespace server
