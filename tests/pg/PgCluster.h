#pragma once

#include <QHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL cluster of a test's own, thrown away at the end: made with
// initdb in a temporary folder and started on a socket in that folder only
// (no TCP address at all). The server refuses to run as root, so when the
// tests run as root, initdb and the server run as the unprivileged user
// "nobody", to which the folder is handed over.
//
// The server is a child process that gets SIGQUIT should the test process
// die, so a crashed test leaves no server behind; stop() (also called by the
// destructor) shuts it down and the folder is removed with the object.
//
// Authentication: the administrator kAdmin is trusted on the socket; every
// other role logs in with its password (scram-sha-256).
class PgCluster {
public:
    static constexpr const char* kAdmin = "norvena_admin";
    static constexpr int kPort = 5432; // names the socket file only
    // A failed password is answered only after this pause (auth_delay), as
    // on a lab's server.
    static constexpr int kAuthDelayMs = 200;

    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // Makes and starts the cluster; false with *error set on failure.
    bool start(QString* error);
    void stop();
    bool running() const;
    // Stops the server (fast shutdown: its sessions are ended) and starts
    // it again on the same data; false with *error set on failure.
    bool restart(QString* error);
    // Stops the server, keeping its data: restart() starts it again.
    void halt();

    // The socket folder, given as the host name of a connection.
    QString socketDir() const { return m_dir ? m_dir->path() : QString(); }

    // Creates a new, empty database with a name of its own and returns it.
    QString createDatabase();
    // Drops a database made by createDatabase (its sessions are ended first).
    void dropDatabase(const QString& name);

    // A new connection (a QSqlDatabase of a unique connection name) to the
    // database as the role; call close(name) when done.
    static QSqlDatabase connect(const PgCluster& cluster, const QString& database, const QString& role,
                                const QString& password, QString* error);
    static void close(const QString& connectionName);

    // A connection as the administrator, open; fatal when it cannot be opened.
    QSqlDatabase admin(const QString& database);

    // The server's log so far (for a failed test's output).
    QString log() const;

private:
    bool run(const QString& program, const QStringList& arguments, QString* error);
    bool launch(QString* error);
    void dropAdminConnections();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_server;
    QString m_binDir;
    QHash<QString, QString> m_adminConnections; // database -> connection name
    int m_databases = 0;
};
