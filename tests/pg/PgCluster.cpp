#include "pg/PgCluster.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// The newest installed server's programs (Debian keeps them per version).
QString findBinDir()
{
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toDouble() > b.toDouble(); });
    for (const QString& v : versions) {
        const QString bin = root.filePath(v + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/postgres")))
            return bin;
    }
    return QString();
}

struct Account {
    bool switchUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Whom the server runs as: "nobody" when the tests run as root.
Account serverAccount()
{
    Account a;
    if (geteuid() != 0)
        return a;
    if (const passwd* pw = getpwnam("nobody")) {
        a.switchUser = true;
        a.uid = pw->pw_uid;
        a.gid = pw->pw_gid;
    }
    return a;
}

// Runs in the child between fork and exec: drop to the account, and ask for
// SIGQUIT (the server's immediate shutdown) should the test process die.
void prepareChild(const Account& a)
{
    if (a.switchUser) {
        if (setgroups(0, nullptr) != 0 || setgid(a.gid) != 0 || setuid(a.uid) != 0)
            _exit(127);
    }
    prctl(PR_SET_PDEATHSIG, SIGQUIT);
    if (getppid() == 1)
        _exit(127);
}

// Folders of clusters whose test process was killed before it could remove
// them (its server got SIGQUIT then): older than an hour and with no server
// running in them.
void sweepAbandoned()
{
    const QDir temp(QDir::tempPath());
    for (const QFileInfo& info : temp.entryInfoList({QStringLiteral("norvena-pg-*")}, QDir::Dirs)) {
        if (info.lastModified().secsTo(QDateTime::currentDateTime()) < 3600)
            continue;
        QFile pidFile(info.filePath() + QStringLiteral("/data/postmaster.pid"));
        if (pidFile.open(QIODevice::ReadOnly)) {
            const pid_t pid = pid_t(pidFile.readLine().trimmed().toLongLong());
            if (pid > 0 && ::kill(pid, 0) == 0)
                continue;
        }
        QDir(info.filePath()).removeRecursively();
    }
}

} // namespace

PgCluster::PgCluster() = default;

PgCluster::~PgCluster()
{
    // Destroyed at the end of the process, when the database drivers may
    // be unloaded already: the connections are left to end with the process.
    m_adminConnections.clear();
    stop();
}

bool PgCluster::run(const QString& program, const QStringList& arguments, QString* error)
{
    const Account account = serverAccount();
    QProcess p;
    p.setChildProcessModifier([account] { prepareChild(account); });
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(m_binDir + u'/' + program, arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll()));
        return false;
    }
    return true;
}

bool PgCluster::start(QString* error)
{
    sweepAbandoned();
    m_binDir = findBinDir();
    if (m_binDir.isEmpty()) {
        *error = QStringLiteral("no PostgreSQL server under /usr/lib/postgresql (bash scripts/setup.sh installs it)");
        return false;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/norvena-pg-XXXXXX"));
    if (!m_dir->isValid()) {
        *error = QStringLiteral("no temporary folder: ") + m_dir->errorString();
        return false;
    }
    const Account account = serverAccount();
    if (account.switchUser && chown(QFile::encodeName(m_dir->path()).constData(), account.uid, account.gid) != 0) {
        *error = QStringLiteral("cannot hand the temporary folder to the server's user");
        return false;
    }
    const QString data = m_dir->filePath(QStringLiteral("data"));
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), data, QStringLiteral("-U"), QString::fromLatin1(kAdmin), QStringLiteral("-E"),
              QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync"),
              QStringLiteral("-A"), QStringLiteral("trust")},
             error))
        return false;

    // The administrator is trusted on the socket; everybody else gives a password.
    {
        QFile hba(data + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            *error = QStringLiteral("cannot write pg_hba.conf: ") + hba.errorString();
            return false;
        }
        hba.write(QStringLiteral("local all %1 trust\nlocal all all scram-sha-256\n").arg(kAdmin).toUtf8());
    }

    return launch(error);
}

bool PgCluster::launch(QString* error)
{
    const Account account = serverAccount();
    const QString data = m_dir->filePath(QStringLiteral("data"));
    m_server = std::make_unique<QProcess>();
    m_server->setChildProcessModifier([account] { prepareChild(account); });
    m_server->setStandardOutputFile(m_dir->filePath(QStringLiteral("server.log")), QIODevice::Append);
    m_server->setStandardErrorFile(m_dir->filePath(QStringLiteral("server.log")), QIODevice::Append);
    // Only the socket in the folder. Durability is of no use to a test; a
    // benchmark asks for it (NORVENA_PG_DURABLE=1), as a real server has it.
    QStringList arguments{QStringLiteral("-D"), data,
                          QStringLiteral("-k"), m_dir->path(),
                          QStringLiteral("-p"), QString::number(kPort),
                          QStringLiteral("-c"), QStringLiteral("listen_addresses="),
                          QStringLiteral("-c"), QStringLiteral("max_connections=100"),
                          QStringLiteral("-c"), QStringLiteral("password_encryption=scram-sha-256"),
                          QStringLiteral("-c"), QStringLiteral("shared_preload_libraries=auth_delay"),
                          QStringLiteral("-c"), QStringLiteral("auth_delay.milliseconds=%1").arg(kAuthDelayMs)};
    if (qEnvironmentVariableIntValue("NORVENA_PG_DURABLE") == 0)
        arguments << QStringLiteral("-c") << QStringLiteral("fsync=off") << QStringLiteral("-c")
                  << QStringLiteral("synchronous_commit=off") << QStringLiteral("-c")
                  << QStringLiteral("full_page_writes=off");
    m_server->start(m_binDir + QStringLiteral("/postgres"), arguments);
    if (!m_server->waitForStarted(10000)) {
        *error = QStringLiteral("the server did not start: ") + m_server->errorString();
        return false;
    }

    // Ready when the administrator can connect.
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        if (m_server->state() != QProcess::Running) {
            *error = QStringLiteral("the server stopped: ") + log();
            return false;
        }
        QString why;
        QSqlDatabase db = connect(*this, QStringLiteral("postgres"), QString::fromLatin1(kAdmin), QString(), &why);
        const QString name = db.connectionName();
        const bool open = db.isOpen();
        db = QSqlDatabase();
        close(name);
        if (open)
            return true;
        QThread::msleep(100);
    }
    *error = QStringLiteral("the server did not accept connections in time: ") + log();
    return false;
}

void PgCluster::halt()
{
    dropAdminConnections();
    if (m_server && m_server->state() == QProcess::Running) {
        // Fast shutdown: every session is ended, as when a server restarts.
        ::kill(pid_t(m_server->processId()), SIGINT);
        m_server->waitForFinished(30000);
    }
}

bool PgCluster::restart(QString* error)
{
    halt();
    return launch(error);
}

bool PgCluster::running() const { return m_server && m_server->state() == QProcess::Running; }

void PgCluster::stop()
{
    dropAdminConnections();
    if (m_server) {
        if (m_server->state() == QProcess::Running) {
            // Fast shutdown: sessions are ended, nothing is kept.
            ::kill(pid_t(m_server->processId()), SIGINT);
            if (!m_server->waitForFinished(30000)) {
                ::kill(pid_t(m_server->processId()), SIGQUIT);
                m_server->waitForFinished(10000);
            }
        }
        m_server.reset();
    }
    m_dir.reset(); // removes the folder
}

QString PgCluster::log() const
{
    if (!m_dir)
        return QString();
    QFile f(m_dir->filePath(QStringLiteral("server.log")));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(f.readAll());
}

QSqlDatabase PgCluster::connect(const PgCluster& cluster, const QString& database, const QString& role,
                                const QString& password, QString* error)
{
    static QAtomicInteger<int> counter;
    const QString name = QStringLiteral("pg-test-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(cluster.socketDir());
    db.setPort(kPort);
    db.setDatabaseName(database);
    db.setUserName(role);
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!db.open() && error)
        *error = db.lastError().text();
    return db;
}

void PgCluster::close(const QString& connectionName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

QSqlDatabase PgCluster::admin(const QString& database)
{
    if (m_adminConnections.contains(database)) {
        QSqlDatabase db = QSqlDatabase::database(m_adminConnections.value(database), false);
        if (db.isOpen())
            return db;
        close(m_adminConnections.take(database));
    }
    QString error;
    QSqlDatabase db = connect(*this, database, QString::fromLatin1(kAdmin), QString(), &error);
    if (!db.isOpen())
        qWarning("cannot connect to the test server as its administrator: %s", qPrintable(error));
    m_adminConnections.insert(database, db.connectionName());
    return db;
}

void PgCluster::dropAdminConnections()
{
    for (const QString& name : std::as_const(m_adminConnections))
        close(name);
    m_adminConnections.clear();
}

QString PgCluster::createDatabase()
{
    const QString name = QStringLiteral("course%1").arg(++m_databases);
    QSqlQuery q(admin(QStringLiteral("postgres")));
    if (!q.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' STRATEGY FILE_COPY").arg(name))) {
        qWarning("cannot create a test database: %s", qPrintable(q.lastError().text()));
        return QString();
    }
    return name;
}

void PgCluster::dropDatabase(const QString& name)
{
    if (m_adminConnections.contains(name))
        close(m_adminConnections.take(name));
    QSqlQuery q(admin(QStringLiteral("postgres")));
    if (!q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name)))
        qWarning("cannot drop the test database %s: %s", qPrintable(name), qPrintable(q.lastError().text()));
}
