#include "data/Connection.h"

#include "data/Engine.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

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

    // The course root is the folder of the data source, resolved against
    // the working directory of this moment; its settings file chooses the
    // engine. The file itself is resolved now too, and never created.
    const QString source = QDir::current().absoluteFilePath(dataSource());
    m_fileChosen = false;
    std::unique_ptr<Engine> engine = Engine::forCourse(QFileInfo(source).absolutePath());
    m_fileChosen = !engine->server();
    engine->setLogin(m_loginRole, m_loginPassword);

    m_statements.clear();
    if (QSqlDatabase::database(m_sqlName, false).driverName() != engine->driver()) {
        QSqlDatabase::removeDatabase(m_sqlName);
        QSqlDatabase::addDatabase(engine->driver(), m_sqlName);
    }
    QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
    m_engine = std::move(engine);
    m_engine->open(db, dataSource());
}

bool Connection::server() const { return m_engine && m_engine->server(); }

void Connection::setLogin(const QString& role, const QString& password)
{
    m_loginRole = role;
    m_loginPassword = password;
    if (m_engine)
        m_engine->setLogin(role, password);
}

QString Connection::teacherRole() const { return m_engine ? m_engine->teacherRole() : QString(); }

bool Connection::isOpen() const { return QSqlDatabase::database(m_sqlName, false).isOpen(); }

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
    if (!m_engine)
        return !m_inTransaction;
    return m_engine->inAutocommit(database(), !m_inTransaction);
}

void Connection::begin()
{
    // The write lock is taken now, with the busy wait of every statement;
    // a transaction that only upgraded at its first write could not wait.
    const QString failure = run(database(), m_engine->beginStatement());
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
    // A server spoils the whole transaction on a failed statement: each
    // statement then runs under a savepoint of its own, and a failed one
    // leaves the action's earlier rows in the transaction, as the file does.
    const bool guarded = m_inTransaction && m_engine && m_engine->statementSavepoints();
    if (guarded) {
        const QString failure = run(database(), QStringLiteral("SAVEPOINT norvena_statement"));
        if (!failure.isEmpty())
            throw Error(failure);
    }
    if (query.exec()) {
        if (guarded)
            run(database(), QStringLiteral("RELEASE SAVEPOINT norvena_statement"));
        return;
    }
    const QString message = engineMessage(query.lastError());
    query.finish();
    if (guarded) {
        run(database(), QStringLiteral("ROLLBACK TO SAVEPOINT norvena_statement"));
        run(database(), QStringLiteral("RELEASE SAVEPOINT norvena_statement"));
    }
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
