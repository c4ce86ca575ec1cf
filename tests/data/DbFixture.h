#pragma once

// Small real database files for the data layer's tests: a temporary folder,
// a "test.mdb" made in it from a list of statements, and a side connection
// that reads and writes the file the way another program would.

#include "data/Connection.h"
#include "support/SideConnection.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <memory>

namespace fixture {

// The course's tables, with one rule more than the course has: a correct
// answer must be a letter A to E, so that the engine refuses a post.
inline const QStringList kSchema = {
    "CREATE TABLE temi (rasdel VARCHAR(255))",
    "CREATE TABLE test (id INTEGER PRIMARY KEY AUTOINCREMENT, nom INTEGER, nom1 INTEGER, test TEXT,"
    " rasdel VARCHAR(255), otv VARCHAR(1) CHECK (otv IS NULL OR otv IN ('A','B','C','D','E')))",
    "CREATE TABLE testing (nom VARCHAR(10), nom1 INTEGER, otv VARCHAR(1))",
    "CREATE TABLE result (fio VARCHAR(50), data DATE, kol VARCHAR(10), ocenka VARCHAR(2))",
    "CREATE TABLE media (name VARCHAR(100), file VARCHAR(255))",
};

// A side connection to a file, the way another program would use it.
using Side = SideConnection;

// A temporary folder holding "test.mdb" with the course's tables.
class Db {
public:
    Db() { QVERIFY(m_dir.isValid()); }

    QString dir() const { return m_dir.path(); }
    QString path() const { return m_dir.filePath(QStringLiteral("test.mdb")); }

    // Makes the file with the schema and then the given statements.
    void make(const QStringList& statements = {})
    {
        Side side(path());
        side.exec(QStringLiteral("BEGIN"));
        for (const QString& sql : kSchema + statements)
            side.exec(sql);
        side.exec(QStringLiteral("COMMIT"));
    }

    // A connection whose data source is the file's full path.
    std::unique_ptr<Connection> connect(const QString& name = QStringLiteral("ADOConnection1")) const
    {
        auto c = std::make_unique<Connection>(name);
        c->setConnectionString(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False").arg(path()));
        return c;
    }

    std::unique_ptr<Side> side() const { return std::make_unique<Side>(path()); }

private:
    QTemporaryDir m_dir;
};

// The statements of a question row.
inline QString question(int nom, int nom1, const QString& topic, const QString& otv)
{
    QString t = topic;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (%1, %2, 'Вопрос %2', '%3', %4)")
        .arg(nom)
        .arg(nom1)
        .arg(t, otv.isEmpty() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(otv));
}

} // namespace fixture
