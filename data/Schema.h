#pragma once

#include <QString>
#include <QStringList>

#include <span>

// The course database's five tables, described once. The demo course's
// "test.mdb" and every file the copy tool writes have these columns; a
// server database has them too, each table with a hidden key column "rowid"
// (the file engine's own row key) that keeps the rows in the order in which
// they were added.
namespace schema {

enum class Kind {
    Text,    // a character string, at most `size` characters when size > 0
    Integer, // a whole number
    Date,    // a calendar date without time of day
    Key,     // test.id: a whole number the database assigns to a new row
};

struct Column {
    const char* name;
    Kind kind;
    int size;
};

struct Table {
    const char* name;
    std::span<const Column> columns;

    QString qname() const { return QString::fromLatin1(name); }
    QStringList columnNames() const;
};

// temi, test, testing, result, media, in that order.
std::span<const Table> tables();
// The table of the name; nullptr when there is none.
const Table* table(const QString& name);

// The answers of the graded runs, a table beside the five: one row per
// question of a run, written with the run's result row. `result` is the
// result row's key (the file's rowid, the server's hidden key), `id` the
// question's, `nom` its place in the run (1 …), `otv` the letter given (absent
// when none was), `verno` the question's correct letter and `rasdel` its
// topic at the moment of grading, so that later edits of the questions leave
// past runs as they were. A database file gets it at its first grading.
const Table& answers();
// The statements that make it in a database file, when it is not there yet.
QStringList answersFileDdl();
// The statements that make it on a server: its rows go with their result row.
QStringList answersServerDdl();

// The name of the server tables' hidden key column.
inline constexpr const char* kServerKey = "rowid";

// CREATE TABLE statements for a database file.
QString fileDdl(const Table& table);
// CREATE TABLE statement for a server database (IF NOT EXISTS, in schema
// public), or for a table of the session alone (TEMP), with the hidden key.
QString serverDdl(const Table& table, bool temporary);

} // namespace schema
