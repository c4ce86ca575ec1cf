#pragma once

// Small real database files for the data layer's tests: a temporary folder,
// a "test.mdb" made in it from a list of statements, and a side connection
// that reads and writes the file the way another program would.

#include "data/Connection.h"
#include "data/Schema.h"
#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
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

// A side connection to the database, the way another program would use it:
// to the file, or, when the tests run against a server, to the server
// database as its administrator.
class Side {
public:
    explicit Side(const QString& path) : m_file(std::make_unique<SideConnection>(path)) {}
    explicit Side(std::unique_ptr<PgSession> session) : m_server(std::move(session)) {}

    bool exec(const QString& sql, const QVariantList& values = {}, QString* error = nullptr)
    {
        return m_file ? m_file->exec(sql, values, error) : m_server->exec(sql, values, error);
    }
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {})
    {
        return m_file ? m_file->rows(sql, values) : m_server->rows(sql, values);
    }
    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        return m_file ? m_file->scalar(sql, values) : m_server->scalar(sql, values);
    }

private:
    std::unique_ptr<SideConnection> m_file;
    std::unique_ptr<PgSession> m_server;
};

// A temporary folder holding "test.mdb" with the course's tables.
class Db {
public:
    Db() { QVERIFY(m_dir.isValid()); }

    QString dir() const { return m_dir.path(); }
    QString path() const { return m_dir.filePath(QStringLiteral("test.mdb")); }

    // Makes the file with the schema and then the given statements. When
    // the tests run against a server, the rows then move to a server
    // database of the folder's own (test.mdb goes, norvena.ini names the
    // database), with the same rule on the correct letters and, as in the
    // file, an answer sheet shared by every connection.
    void make(const QStringList& statements = {})
    {
        {
            SideConnection side(path());
            side.exec(QStringLiteral("BEGIN"));
            for (const QString& sql : kSchema + statements)
                side.exec(sql);
            side.exec(QStringLiteral("COMMIT"));
        }
        if (!test_engine::server())
            return;
        QList<QVariantList> sheet;
        {
            SideConnection side(path());
            sheet = side.rows(QStringLiteral("SELECT nom, nom1, otv FROM testing ORDER BY rowid"));
        }
        m_server = std::make_unique<ServerCourse>(dir(), ServerCourse::Login::Administrator);
        QVERIFY2(m_server->error().isEmpty(), qPrintable(m_server->error()));
        auto admin = m_server->administrator();
        QVERIFY(admin->exec(schema::serverDdl(*schema::table(QStringLiteral("testing")), false)));
        for (const QVariantList& row : sheet)
            QVERIFY(admin->exec(QStringLiteral("INSERT INTO testing (nom, nom1, otv) VALUES (?, ?, ?)"), row));
        QVERIFY(
            admin->exec(QStringLiteral("ALTER TABLE test ADD CHECK (otv IS NULL OR otv IN ('A','B','C','D','E'))")));
    }

    // A connection whose data source is the file's full path.
    std::unique_ptr<Connection> connect(const QString& name = QStringLiteral("ADOConnection1")) const
    {
        auto c = std::make_unique<Connection>(name);
        c->setConnectionString(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False").arg(path()));
        return c;
    }

    std::unique_ptr<Side> side() const
    {
        if (m_server)
            return std::make_unique<Side>(m_server->administrator());
        return std::make_unique<Side>(path());
    }
    ServerCourse* server() const { return m_server.get(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerCourse> m_server; // dropped before the folder goes
};

// An SQL expression giving the kind of value a column holds, as the file's
// engine names it: "integer", "text", "null" (on a server too).
inline QString typeOf(const QString& column)
{
    if (!test_engine::server())
        return QStringLiteral("typeof(%1)").arg(column);
    return QStringLiteral("CASE WHEN %1 IS NULL THEN 'null' "
                          "WHEN pg_typeof(%1) IN ('integer'::regtype, 'bigint'::regtype) THEN 'integer' "
                          "WHEN pg_typeof(%1) IN ('text'::regtype, 'character varying'::regtype) THEN 'text' "
                          "ELSE pg_typeof(%1)::text END")
        .arg(column);
}

// The words of the engine's message for a value a CHECK rule refuses.
inline QString checkFailure()
{
    return test_engine::server() ? QStringLiteral("violates check constraint")
                                 : QStringLiteral("CHECK constraint failed");
}

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
