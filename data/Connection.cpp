#include "data/Connection.h"

#include "platform/Error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sqlite3.h>

namespace {

// How long a statement waits for a file that another program is writing
// before the engine's "database is locked" is reported.
constexpr int kBusyTimeoutMs = 5000;

QString engineMessage(const QSqlError& error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

} // namespace

Connection::Connection(const QString& objectName, QObject* parent) : QObject(parent)
{
    static QAtomicInteger<quint64> counter;
    setObjectName(objectName);
    m_sqlName = QStringLiteral("norvena-connection-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_sqlName);
    HandlerScope::add(this);
}

Connection::~Connection()
{
    HandlerScope::remove(this);
    close();
    QSqlDatabase::removeDatabase(m_sqlName);
}

QString Connection::dataSource() const
{
    const QStringList parts = m_connectionString.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (part.left(eq).trimmed().compare(QLatin1String("Data Source"), Qt::CaseInsensitive) != 0)
            continue;
        QString source = part.mid(eq + 1).trimmed();
        if (source.size() >= 2 && source.startsWith(QLatin1Char('"')) && source.endsWith(QLatin1Char('"')))
            source = source.mid(1, source.size() - 2);
        return source;
    }
    return QString();
}

void Connection::open()
{
    if (isOpen())
        return;

    // The file is resolved now, against the working directory of this
    // moment, and opened read-write without being created: a URI with
    // mode=rw makes the engine refuse a missing file.
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(dataSource()));
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw");

    QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        const QString message = engineMessage(db.lastError());
        db.close();
        throw Error(message);
    }

    // The engine opens any file lazily; a file that is no database is found
    // out only by the first read, so read the schema once now. Every post
    // reaches the disk before it returns.
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

bool Connection::isOpen() const
{
    return QSqlDatabase::database(m_sqlName, false).isOpen();
}

void Connection::close()
{
    rollback();
    m_statements.clear();
    QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
    if (db.isOpen())
        db.close();
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(m_sqlName, false); }

// ---- writes and transactions --------------------------------------------------

namespace {

// Runs a statement of the connection's own; the engine's message when it fails.
QString run(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery q(db);
    if (q.exec(statement))
        return QString();
    return engineMessage(q.lastError());
}

} // namespace

bool Connection::engineInAutocommit() const
{
    const QVariant handle = database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return !m_inTransaction;
    sqlite3* engine = *static_cast<sqlite3* const*>(handle.constData());
    return engine == nullptr || sqlite3_get_autocommit(engine) != 0;
}

void Connection::begin()
{
    // The write lock is taken now, with the busy wait of every statement;
    // a transaction that only upgraded at its first write could not wait.
    const QString failure = run(database(), QStringLiteral("BEGIN IMMEDIATE"));
    if (!failure.isEmpty())
        throw Error(failure);
    m_inTransaction = true;
}

QSqlQuery& Connection::prepared(const QString& sql)
{
    std::shared_ptr<QSqlQuery>& query = m_statements[sql];
    if (!query) {
        auto q = std::make_shared<QSqlQuery>(database());
        q->setForwardOnly(true);
        if (!q->prepare(sql)) {
            m_statements.remove(sql);
            throw Error(engineMessage(q->lastError()));
        }
        query = std::move(q);
    }
    return *query;
}

QSqlQuery& Connection::prepareWrite(const QString& sql)
{
    if (!m_inTransaction && HandlerScope::active() && isOpen())
        begin();
    return prepared(sql);
}

void Connection::write(QSqlQuery& query)
{
    if (query.exec())
        return;
    const QString message = engineMessage(query.lastError());
    query.finish();
    if (m_inTransaction && engineInAutocommit()) {
        const bool lost = !m_rollbackLog.empty();
        m_inTransaction = false;
        takeBack();
        if (lost)
            throw Error(message + QStringLiteral("; the changes made before it in this action were not saved"));
    }
    throw Error(message);
}

void Connection::onRollback(QObject* owner, std::function<void()> undo)
{
    if (m_inTransaction)
        m_rollbackLog.push_back({owner, std::move(undo)});
}

void Connection::commit()
{
    if (!m_inTransaction)
        return;
    const QString failure = run(database(), QStringLiteral("COMMIT"));
    if (failure.isEmpty()) {
        m_inTransaction = false;
        m_rollbackLog.clear();
        return;
    }
    // A commit that could not finish (the file stayed busy, the disk is
    // full, ...) is given up: nothing of the action reaches the file.
    rollback();
    throw Error(QStringLiteral("The changes of this action could not be saved: ") + failure);
}

void Connection::rollback()
{
    if (!m_inTransaction)
        return;
    if (!engineInAutocommit())
        run(database(), QStringLiteral("ROLLBACK"));
    m_inTransaction = false;
    takeBack();
}

void Connection::takeBack()
{
    std::vector<Undo> log;
    log.swap(m_rollbackLog);
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
        if (it->owner)
            it->undo();
    }
}
