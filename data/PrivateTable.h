#pragma once

#include <QSqlDatabase>
#include <QString>

// A table private to one connection: a temporary table with the name and the
// columns of a table of the database file. For every statement of that
// connection the engine finds it before the file's table, and no other
// connection sees it. It is made once per connection, filled with the rows
// the file's table holds at that moment, and goes when the connection
// closes; the file's table is only read, once.
namespace PrivateTable {

// Makes the connection's private copy of the table unless it has one. A
// table missing from the file gets no copy (opening it then reports that).
// Failure: Error with the engine's message.
void ensure(const QSqlDatabase& db, const QString& table);

} // namespace PrivateTable
