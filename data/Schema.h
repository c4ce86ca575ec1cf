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

// The name of the server tables' hidden key column.
inline constexpr const char* kServerKey = "rowid";

// CREATE TABLE statements for a database file.
QString fileDdl(const Table& table);
// CREATE TABLE statement for a server database (IF NOT EXISTS, in schema
// public), or for a table of the session alone (TEMP), with the hidden key.
QString serverDdl(const Table& table, bool temporary);

} // namespace schema
