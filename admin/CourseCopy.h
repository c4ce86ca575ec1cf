#pragma once

#include <QSqlDatabase>
#include <QString>

// Bringing a course over: the rows of the topics, the questions (with their
// keys), the results and the catalogue, copied between a course's database
// file "test.mdb" and a server database set up by server::setUp, every
// value as it is (absent values stay absent, dates stay dates). The rows
// keep their order. Answer sheets are not copied: on a server each session
// keeps its own.
namespace course_copy {

struct Counts {
    int tables = 0;
    int rows = 0;
};

// Replaces the server database's rows with the file's, in one transaction:
// on any error nothing on the server has changed. The file is only read.
// A value the server's column cannot hold (a text longer than the column, a
// date or number that is none) is reported with its table, row and column.
// Throws Error.
Counts toServer(const QString& filePath, QSqlDatabase server);

// Writes the server database's rows into a new database file at the path,
// which must not exist yet; the file appears only when it is complete.
// Throws Error.
Counts toFile(QSqlDatabase server, const QString& filePath);

} // namespace course_copy
