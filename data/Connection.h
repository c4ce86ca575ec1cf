#pragma once

#include "platform/HandlerScope.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Engine;
class QSqlError;
class QSqlQuery;

// The one connection to the course's database file. The data source is the
// bare file name from the connection text ("test.mdb"), resolved against the
// process working directory at the moment the connection opens. A missing
// file is never created: opening it fails. Several copies of the program may
// use the same file at once; a writer waits for a busy file for a few seconds
// before the engine's error is reported.
//
// Writes are grouped by handler: inside a handler (HandlerScope) the first
// write begins a transaction that holds every row the handler writes, and
// the handler's end, or a message box shown before it, commits it. Other
// programs see an action's rows all at once, and a crash loses at most the
// action that was running, never half of it. Outside a handler every
// statement is written on its own.
class Connection : public QObject, private HandlerScope::Participant {
    Q_OBJECT
public:
    static constexpr const char* kDefaultConnectionString =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=test.mdb;Persist Security Info=False";

    explicit Connection(const QString& objectName, QObject* parent = nullptr);
    ~Connection() override;

    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text) { m_connectionString = text; }
    // The "Data Source" part of the connection text.
    QString dataSource() const;

    // A table object's writes held back to go to the server together
    // (Table::Batch): flushed before any other statement of the connection
    // and before the commit.
    class Deferred {
    public:
        virtual ~Deferred() = default;
        virtual void flushDeferred() = 0;
        virtual void dropDeferred() = 0;
    };

    // Opens the database; throws Error with the engine's message on failure
    // (missing file, a file that is not a database, a server that does not
    // answer, ...). Does nothing when open. The database is the file of the
    // data source, unless the folder it lies in (the course root) holds a
    // settings file naming a server (data/Settings.h); the settings file is
    // read at every open, and one that cannot be used is reported as the
    // failure.
    void open();
    bool isOpen() const;
    void close();

    // A course server's link can be lost between two actions or in the
    // middle of one (a restart, a session ended from outside, a network that
    // dropped). The connection notices it at the failing statement: it
    // closes, the action's unsaved changes are taken back out of the
    // snapshots, and the error says so in the program's words, with the
    // server's text after them. The next statement connects again by itself.
    // A statement that is safe to send twice (reads, the calls of call())
    // is sent again at once over a new connection, so that a restart that
    // is over costs no message at all.
    //
    // After a failed statement: whether the link was lost and a new one is
    // open now (the caller may send the statement again). Throws the
    // program's message when no new connection can be opened.
    bool recoverLost();

    // For a table object's private table (an answer sheet): the connection
    // that holds it. The file's own connection (a table of the session,
    // made from the file's); on a course server a small database of this
    // copy's own in memory, which needs no round trip to the server and
    // outlives every loss of the server's link. Chooses the engine first
    // (throws when the settings file cannot be used).
    Connection* privateStore();

    // For the table objects: the open database handle.
    QSqlDatabase database() const;
    // What differs between the engines, for the table objects; the engine
    // the connection last opened with (nullptr before the first open).
    Engine* engine() const { return m_engine.get(); }
    bool server() const;
    // Whether the last open chose the course's file (its settings were read
    // and name no server); false before the first open.
    bool fileChosen() const { return m_fileChosen; }

    // On a server: logs in as the role with the password from the next open
    // on (an empty role: the students' role of the settings file). The file
    // has no roles.
    void setLogin(const QString& role, const QString& password);
    // On a server, the teacher's role that the settings file names; empty
    // for the file.
    QString teacherRole() const;

    // A statement of a table object, prepared once and kept while the
    // connection is open (read forward only). Throws the engine's message
    // when it cannot be prepared.
    QSqlQuery& prepared(const QString& sql);
    // The same for an INSERT, UPDATE or DELETE, which write() then runs:
    // inside a handler the first write begins the transaction here, before
    // anything is bound (waiting, like any statement, for a file that
    // another program is writing).
    QSqlQuery& prepareWrite(const QString& sql);
    // Inside a handler: begins the transaction for a write that is held
    // back (Table::Batch), without sending anything else.
    void beginWrite();
    // Runs a write statement of prepareWrite(): every write of the table
    // objects passes here. A statement the engine refuses throws its
    // message; the rows written before it stay in the transaction, unless the
    // engine ended the transaction by itself (a full disk, an I/O error, a
    // trigger's rollback): then those rows are lost, the table objects take
    // them back out of their snapshots (rollback log below) and the message
    // says so. An engine that aborts the whole transaction on any failed
    // statement needs a savepoint around each statement: it belongs here,
    // and only here.
    void write(QSqlQuery& query, bool guarded = false);
    // After a guarded write() that succeeded: takes its changes back in the
    // database (on a server, to the savepoint before it). The table objects
    // take back their snapshots themselves.
    void undoLastWrite();

    // A call of one of the server's functions, outside the handler's
    // transaction (the handler's writes are committed first): it is
    // committed when it returns. Sent again once over a new connection when
    // the link was lost. Returns the query, positioned before its first row.
    // Throws Error with the server's message.
    QSqlQuery& call(const QString& sql, const QVariantList& values);
    // A read of the connection's own, beside the table objects (inside the
    // handler's transaction when one is open), sent again once over a new
    // connection when the link was lost. Returns the query, positioned
    // before its first row; the caller finishes it. Throws Error with the
    // engine's message.
    QSqlQuery& read(const QString& sql, const QVariantList& values);

    // Held-back writes (see Deferred): registered until flushed or dropped.
    void defer(Deferred* writes);
    void undefer(Deferred* writes);
    void flush();

    // Whether a transaction of this connection is open.
    bool inTransaction() const { return m_inTransaction; }
    // Records how a table object takes back a change of its snapshot, should
    // the open transaction not reach the file. Nothing is recorded outside a
    // transaction. Taken back newest first; an owner that is gone is skipped.
    void onRollback(QObject* owner, std::function<void()> undo);
    // Commits the open transaction (nothing when none is open). A commit
    // that fails is rolled back, and its error thrown: the action's rows are
    // then not in the file, nor in the snapshots.
    void commit();
    // Rolls the open transaction back and takes its changes back out of the
    // snapshots (nothing when none is open).
    void rollback();

private:
    void settle() override { commit(); }
    void begin();
    void openInMemory();
    // Closes a connection whose link is gone; its transaction's changes are
    // taken back out of the snapshots.
    void dropLost();
    [[noreturn]] void failed(const QSqlError& error);
    void reopenIfLost();
    // The engine has no transaction open any more (it may end one by itself
    // after some errors).
    bool engineInAutocommit() const;
    void takeBack();

    struct Undo {
        QPointer<QObject> owner;
        std::function<void()> undo;
    };
    bool m_inTransaction = false;
    int m_writes = 0; // statements written in the open transaction
    bool m_lost = false;
    bool m_memory = false;
    bool m_flushing = false;
    std::vector<Deferred*> m_deferred;
    std::unique_ptr<Connection> m_private;
    std::vector<Undo> m_rollbackLog;
    QHash<QString, std::shared_ptr<QSqlQuery>> m_statements;

    QString m_connectionString = QString::fromLatin1(kDefaultConnectionString);
    QString m_sqlName; // unique QSqlDatabase connection name
    std::unique_ptr<Engine> m_engine;
    bool m_fileChosen = false;
    QString m_loginRole;
    QString m_loginPassword;
};
