#include "data/Engine.h"

#include "data/PrivateTable.h"
#include "data/Schema.h"
#include "data/Settings.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QDir>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// How long a statement waits for a row or a file that another copy holds
// before the engine's error is reported.
constexpr int kBusyTimeoutMs = 5000;
// How long opening waits for a server that does not answer.
constexpr int kConnectTimeoutSeconds = 5;
// The longest a statement of the program may run on a server.
constexpr int kStatementTimeoutMs = 60000;

class FileEngine final : public Engine {
public:
    bool server() const override { return false; }
    QString driver() const override { return QStringLiteral("QSQLITE"); }

    void open(QSqlDatabase& db, const QString& dataSource) override
    {
        // The file is resolved now, against the working directory of this
        // moment, and opened read-write without being created: a URI with
        // mode=rw makes the engine refuse a missing file.
        const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(dataSource));
        const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw");
        db.setDatabaseName(uri);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!db.open()) {
            const QString message = engineMessage(db.lastError());
            db.close();
            throw Error(message);
        }
        // The engine opens any file lazily; a file that is no database is
        // found out only by the first read, so read the schema once now.
        // Every post reaches the disk before it returns.
        QString failure;
        {
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !probe.next())
                failure = engineMessage(probe.lastError());
            probe.finish();
            if (failure.isEmpty() && !probe.exec(QStringLiteral("PRAGMA synchronous = FULL")))
                failure = engineMessage(probe.lastError());
            probe.finish();
        }
        if (!failure.isEmpty()) {
            db.close();
            throw Error(failure);
        }
    }

    void setLogin(const QString&, const QString&) override {}
    QString teacherRole() const override { return QString(); }

    QList<Column> columns(QSqlDatabase db, const QString& table) const override
    {
        QSqlQuery info(db);
        info.setForwardOnly(true);
        info.prepare(QStringLiteral("SELECT name, type, dflt_value, pk FROM pragma_table_info(?)"));
        info.addBindValue(table);
        if (!info.exec())
            throw Error(engineMessage(info.lastError()));
        QList<Column> result;
        while (info.next())
            result.append({info.value(0).toString(), info.value(1).toString(), !info.value(2).isNull(),
                           info.value(3).toInt() > 0});
        return result;
    }

    bool hasTriggers(QSqlDatabase db, const QString& table) const override
    {
        QSqlQuery info(db);
        info.setForwardOnly(true);
        info.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ? "
                                    "COLLATE NOCASE"));
        info.addBindValue(table);
        return !info.exec() || !info.next() || info.value(0).toInt() > 0;
    }

    QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }

    bool inAutocommit(const QSqlDatabase& db, bool unknown) const override
    {
        const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
        if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
            return unknown;
        sqlite3* engine = *static_cast<sqlite3* const*>(handle.constData());
        return engine == nullptr || sqlite3_get_autocommit(engine) != 0;
    }

    bool statementSavepoints() const override { return false; }
    bool insertReturnsKey() const override { return false; }

    QString sameValue() const override { return QStringLiteral("IS"); }

    bool connectionLost(const QSqlDatabase&) const override { return false; }

    void makePrivate(QSqlDatabase db, const QString& table) const override { PrivateTable::ensure(db, table); }
};

// The server connection under a Qt connection (Qt names its type after
// libpq's struct, "pg_conn*"); nullptr when there is none.
PGconn* pgConnection(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

class ServerEngine final : public Engine {
public:
    explicit ServerEngine(const DatabaseSettings& settings) : m_settings(settings) {}

    bool server() const override { return true; }
    QString driver() const override { return QStringLiteral("QPSQL"); }

    void open(QSqlDatabase& db, const QString&) override
    {
        db.setHostName(m_settings.host);
        db.setPort(m_settings.port);
        db.setDatabaseName(m_settings.database);
        db.setUserName(m_role.isEmpty() ? m_settings.role : m_role);
        db.setPassword(m_role.isEmpty() ? m_settings.password : m_password);
        // The session settings the program relies on go with the login
        // itself: they take precedence over whatever the role or the
        // database was given (a role may change its own settings), and
        // they hold from the session's first statement on. A row another
        // copy is changing is waited for a few seconds at most; no
        // statement runs for ever.
        db.setConnectOptions(
            QStringLiteral("connect_timeout=%1;application_name=norvena;options='%2'")
                .arg(kConnectTimeoutSeconds)
                .arg(sessionOptions()));
        if (!db.open()) {
            const QString message = engineMessage(db.lastError());
            db.close();
            throw Error(message);
        }
    }

    static QString sessionOptions()
    {
        QString options;
        const QStringList settings{
            QStringLiteral("search_path=public"),
            QStringLiteral("default_transaction_read_only=off"),
            QStringLiteral("statement_timeout=%1").arg(kStatementTimeoutMs),
            QStringLiteral("lock_timeout=%1").arg(kBusyTimeoutMs),
            QStringLiteral("idle_in_transaction_session_timeout=0"),
            QStringLiteral("idle_session_timeout=0"),
            QStringLiteral("client_min_messages=warning"),
            QStringLiteral("row_security=on"),
            QStringLiteral("standard_conforming_strings=on"),
            QStringLiteral("local_preload_libraries="),
            QStringLiteral("default_transaction_deferrable=off"),
        };
        for (const QString& setting : settings)
            options += QStringLiteral("-c ") + setting + u' ';
        return options.trimmed();
    }

    void setLogin(const QString& role, const QString& password) override
    {
        m_role = role;
        m_password = password;
    }
    QString teacherRole() const override { return m_settings.teacherRole; }

    QList<Column> columns(QSqlDatabase db, const QString& table) const override
    {
        // The columns the session may read (a student's session does not see
        // the correct letters), of the table found first on the search path
        // (the session's own answer sheet before any other).
        QSqlQuery info(db);
        info.setForwardOnly(true);
        info.prepare(QStringLiteral(
            "SELECT a.attname, format_type(a.atttypid, a.atttypmod) FROM pg_attribute a "
            "WHERE a.attrelid = to_regclass(quote_ident(?)) AND a.attnum > 0 AND NOT a.attisdropped "
            "AND a.attname <> ? AND has_column_privilege(a.attrelid, a.attnum, 'SELECT') ORDER BY a.attnum"));
        info.addBindValue(table);
        info.addBindValue(QString::fromLatin1(schema::kServerKey));
        if (!info.exec())
            throw Error(engineMessage(info.lastError()));
        QList<Column> result;
        while (info.next())
            result.append({info.value(0).toString(), info.value(1).toString()});
        return result;
    }

    QString sameValue() const override { return QStringLiteral("IS NOT DISTINCT FROM"); }

    void makePrivate(QSqlDatabase db, const QString& table) const override
    {
        const schema::Table* t = schema::table(table);
        if (!t)
            return;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT to_regclass(?) IS NOT NULL"));
        q.addBindValue(QStringLiteral("pg_temp.") + t->qname());
        if (!q.exec() || !q.next())
            throw Error(engineMessage(q.lastError()));
        if (q.value(0).toBool())
            return;
        q.finish();
        execDirect(db, schema::serverDdl(*t, true));
    }

    bool hasTriggers(QSqlDatabase, const QString&) const override { return true; }

    QString beginStatement() const override { return QStringLiteral("BEGIN"); }

    bool inAutocommit(const QSqlDatabase& db, bool unknown) const override
    {
        PGconn* connection = pgConnection(db);
        if (!connection)
            return unknown;
        return PQtransactionStatus(connection) == PQTRANS_IDLE;
    }

    bool statementSavepoints() const override { return true; }
    bool insertReturnsKey() const override { return true; }

    bool connectionLost(const QSqlDatabase& db) const override
    {
        PGconn* connection = pgConnection(db);
        return connection && PQstatus(connection) == CONNECTION_BAD;
    }

private:
    DatabaseSettings m_settings;
    QString m_role;
    QString m_password;
};

} // namespace

std::unique_ptr<Engine> Engine::forSettings(const DatabaseSettings& settings)
{
    if (settings.server())
        return std::make_unique<ServerEngine>(settings);
    return std::make_unique<FileEngine>();
}

std::unique_ptr<Engine> Engine::forCourse(const QString& folder) { return forSettings(DatabaseSettings::read(folder)); }

void execDirect(QSqlDatabase db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw Error(engineMessage(q.lastError()));
}
