#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <memory>

struct DatabaseSettings;

// What differs between the two database engines a course may use: the
// course's file "test.mdb" (SQLite), or a PostgreSQL server named in the
// course's settings file. Chosen when the connection opens; the table
// objects are one implementation over both and ask the engine only for what
// differs here.
class Engine {
public:
    struct Column {
        QString name;
        QString type; // as declared: "VARCHAR(255)", "character varying(255)", "integer"
        bool hasDefault = false;
        bool key = false; // part of the table's declared key
    };

    virtual ~Engine() = default;

    // The engine the course folder's settings file names (the file engine
    // without one). A settings file that cannot be used throws Error.
    static std::unique_ptr<Engine> forCourse(const QString& folder);
    static std::unique_ptr<Engine> forSettings(const DatabaseSettings& settings);

    virtual bool server() const = 0;
    // The Qt driver: "QSQLITE" or "QPSQL".
    virtual QString driver() const = 0;

    // Opens the database on the connection (made with driver()). The file
    // engine opens the data source, a file path resolved against the working
    // directory; the server engine logs in as the role of the login, or the
    // students' role of the settings. Statements that wait for another
    // copy's lock wait a few seconds before the engine's error is reported.
    // Throws Error with the engine's message.
    virtual void open(QSqlDatabase& db, const QString& dataSource) = 0;

    // Logging in as another role with its password (server engine: the next
    // open logs in so; the file engine has no roles and ignores it). An
    // empty role goes back to the students' role of the settings.
    virtual void setLogin(const QString& role, const QString& password) = 0;
    // The teacher's role named by the settings; empty for the file engine.
    virtual QString teacherRole() const = 0;

    // The columns of the table that the session may read, in the table's
    // order, without the hidden row key. Empty when there is no such table.
    virtual QList<Column> columns(QSqlDatabase db, const QString& table) const = 0;

    // The operator for "is the same value as", absent values being equal:
    // "IS" or "IS NOT DISTINCT FROM".
    virtual QString sameValue() const = 0;

    // Makes the connection's private copy of the table unless it has one: a
    // table of the session alone, found before the shared one. The file
    // engine fills it from the file's table; on a server it starts empty
    // (the server keeps no shared answer sheet).
    virtual void makePrivate(QSqlDatabase db, const QString& table) const = 0;

    // Whether a posted row may hold other values than those sent because of
    // a trigger; a server's row is always read back.
    virtual bool hasTriggers(QSqlDatabase db, const QString& table) const = 0;

    // The statement that begins a handler's transaction: the file takes its
    // write lock at once (waiting like any statement for another program).
    virtual QString beginStatement() const = 0;
    // Whether the engine has no transaction open (it may end one by itself:
    // a full disk, a trigger's rollback); `unknown` when it cannot tell.
    virtual bool inAutocommit(const QSqlDatabase& db, bool unknown) const = 0;
    // Whether a statement that fails inside a transaction spoils the whole
    // transaction, so that each statement needs a savepoint of its own.
    virtual bool statementSavepoints() const = 0;
    // Whether an INSERT hands the new row's key back only when it asks for
    // it (RETURNING). The file tells the key of the row the connection's
    // last statement inserted without it, and a RETURNING costs the file a
    // table of its own for every row.
    virtual bool insertReturnsKey() const = 0;

    // Whether the link to the database is gone for good: a server that was
    // restarted or stopped, a session another program ended, a network that
    // dropped. The file never loses its link.
    virtual bool connectionLost(const QSqlDatabase& db) const = 0;
};

// Runs a statement the engine cannot prepare (a definition, a savepoint).
// Throws Error with the engine's message.
void execDirect(QSqlDatabase db, const QString& sql);
