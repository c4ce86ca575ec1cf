#include "data/Connection.h"

#include "data/Engine.h"
#include "data/Schema.h"
#include "data/Settings.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <exception>

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
    m_private.reset();
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
    if (m_memory) {
        openInMemory();
        return;
    }
    if (m_lost)
        dropLost();

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
    m_lost = false;
}

void Connection::openInMemory()
{
    // A database of this copy's own, in memory, with the tables that a
    // table object may keep private (the answer sheet).
    m_engine = Engine::forSettings(DatabaseSettings());
    m_fileChosen = true;
    if (QSqlDatabase::database(m_sqlName, false).driverName() != m_engine->driver()) {
        QSqlDatabase::removeDatabase(m_sqlName);
        QSqlDatabase::addDatabase(m_engine->driver(), m_sqlName);
    }
    QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open())
        throw Error(engineMessage(db.lastError()));
    const schema::Table* sheet = schema::table(QStringLiteral("testing"));
    execDirect(db, schema::fileDdl(*sheet));
}

Connection* Connection::privateStore()
{
    if (m_memory)
        return this;
    if (!m_engine) {
        const QString source = QDir::current().absoluteFilePath(dataSource());
        m_engine = Engine::forCourse(QFileInfo(source).absolutePath());
        m_fileChosen = !m_engine->server();
    }
    if (!m_engine->server()) {
        if (!isOpen())
            open();
        return this;
    }
    if (!m_private) {
        auto store = std::make_unique<Connection>(objectName() + QStringLiteral(" (answer sheet)"));
        store->m_memory = true;
        store->open();
        m_private = std::move(store);
    }
    return m_private.get();
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

bool Connection::isOpen() const { return !m_lost && QSqlDatabase::database(m_sqlName, false).isOpen(); }

void Connection::close()
{
    rollback();
    // Closed on purpose, the session's private tables go with it, as a
    // server's own would; a link that was lost keeps them (dropLost).
    if (m_private && m_private->isOpen()) {
        m_private->rollback();
        QSqlQuery q(m_private->database());
        q.exec(QStringLiteral("DELETE FROM \"testing\""));
    }
    m_lost = false;
    m_statements.clear();
    QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
    if (db.isOpen())
        db.close();
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(m_sqlName, false); }

// ---- writes and transactions --------------------------------------------------

namespace {

// What a student or teacher reads when the course server's link is gone;
// the server's own words follow.
const char* kLinkLost = "Связь с сервером курса прервалась, это действие не выполнено; повторите его: ";
const char* kNoServer = "Нет связи с сервером курса; повторите действие, когда сервер будет доступен: ";


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

void Connection::dropLost()
{
    m_inTransaction = false;
    m_writes = 0;
    std::vector<Deferred*> deferred;
    deferred.swap(m_deferred);
    for (Deferred* d : deferred)
        d->dropDeferred();
    takeBack();
    // The statements prepared on the old link go with it; nobody holds one
    // between two statements of the connection.
    m_statements.clear();
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
    m_lost = true;
}

void Connection::reopenIfLost()
{
    if (!m_lost)
        return;
    try {
        open();
    } catch (const Error& e) {
        throw Error(QString::fromUtf8(kNoServer) + e.message());
    }
}

bool Connection::recoverLost()
{
    if (m_lost) {
        reopenIfLost();
        return true;
    }
    if (!m_engine || !m_engine->connectionLost(database()))
        return false;
    const bool changesLost = m_inTransaction && m_writes > 0;
    dropLost();
    if (changesLost)
        return false;
    reopenIfLost();
    return true;
}

void Connection::failed(const QSqlError& error)
{
    const QString message = engineMessage(error);
    if (m_engine && (m_lost || m_engine->connectionLost(database()))) {
        if (!m_lost)
            dropLost();
        throw Error(QString::fromUtf8(kLinkLost) + message);
    }
    throw Error(message);
}

void Connection::begin()
{
    // The write lock is taken now, with the busy wait of every statement;
    // a transaction that only upgraded at its first write could not wait.
    // A link lost since the last action is opened anew and the transaction
    // begun there.
    for (int attempt = 0;; ++attempt) {
        QSqlQuery q(database());
        if (q.exec(m_engine->beginStatement()))
            break;
        const QSqlError error = q.lastError();
        q.finish();
        if (attempt > 0 || !recoverLost())
            failed(error);
    }
    m_inTransaction = true;
    m_writes = 0;
}

QSqlQuery& Connection::prepared(const QString& sql)
{
    reopenIfLost();
    flush();
    std::shared_ptr<QSqlQuery>& query = m_statements[sql];
    if (!query) {
        for (int attempt = 0;; ++attempt) {
            auto q = std::make_shared<QSqlQuery>(database());
            q->setForwardOnly(true);
            if (q->prepare(sql)) {
                m_statements[sql] = std::move(q);
                break;
            }
            const QSqlError error = q->lastError();
            m_statements.remove(sql);
            if (attempt > 0 || !recoverLost())
                failed(error);
        }
        return *m_statements[sql];
    }
    return *query;
}

QSqlQuery& Connection::prepareWrite(const QString& sql)
{
    flush();
    beginWrite();
    return prepared(sql);
}

void Connection::beginWrite()
{
    reopenIfLost();
    if (!m_inTransaction && HandlerScope::active() && isOpen())
        begin();
}

QSqlQuery& Connection::call(const QString& sql, const QVariantList& values)
{
    if (m_inTransaction)
        commit();
    return read(sql, values);
}

QSqlQuery& Connection::read(const QString& sql, const QVariantList& values)
{
    for (int attempt = 0;; ++attempt) {
        QSqlQuery& q = prepared(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (q.exec())
            return q;
        const QSqlError error = q.lastError();
        q.finish();
        if (attempt > 0 || !recoverLost())
            failed(error);
    }
}

void Connection::defer(Deferred* writes)
{
    if (std::find(m_deferred.begin(), m_deferred.end(), writes) == m_deferred.end())
        m_deferred.push_back(writes);
}

void Connection::undefer(Deferred* writes)
{
    m_deferred.erase(std::remove(m_deferred.begin(), m_deferred.end(), writes), m_deferred.end());
}

void Connection::flush()
{
    if (m_flushing || m_deferred.empty())
        return;
    m_flushing = true;
    try {
        while (!m_deferred.empty()) {
            Deferred* next = m_deferred.front();
            m_deferred.erase(m_deferred.begin());
            next->flushDeferred();
        }
    } catch (...) {
        m_flushing = false;
        throw;
    }
    m_flushing = false;
}

void Connection::undoLastWrite()
{
    if (m_inTransaction && m_engine && m_engine->statementSavepoints())
        run(database(), QStringLiteral("ROLLBACK TO SAVEPOINT norvena_statement"));
}

void Connection::write(QSqlQuery& query, bool alwaysGuarded)
{
    // A server spoils the whole transaction on a failed statement: each
    // statement after the first then runs under a savepoint of its own, and
    // a failed one leaves the action's earlier rows in the transaction, as
    // the file does. (The savepoints are not released: they go with the
    // transaction, and a round trip is saved each time.) A failed first
    // statement takes the transaction with it, which held nothing else.
    const bool savepoints = m_inTransaction && m_engine && m_engine->statementSavepoints();
    const bool guarded = savepoints && (m_writes > 0 || alwaysGuarded);
    if (guarded) {
        QSqlQuery savepoint(database());
        if (!savepoint.exec(QStringLiteral("SAVEPOINT norvena_statement")))
            failed(savepoint.lastError());
    }
    if (query.exec()) {
        if (m_inTransaction)
            ++m_writes;
        return;
    }
    const QSqlError error = query.lastError();
    const QString message = engineMessage(error);
    query.finish();
    if (m_engine && m_engine->connectionLost(database()))
        failed(error);
    if (guarded)
        run(database(), QStringLiteral("ROLLBACK TO SAVEPOINT norvena_statement"));
    else if (savepoints) {
        run(database(), QStringLiteral("ROLLBACK"));
        m_inTransaction = false;
        takeBack();
        throw Error(message);
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
    // Writes held back go first; should one of them be refused, the rows
    // written before it are committed all the same, and the refusal is
    // reported after that.
    std::exception_ptr refused;
    try {
        flush();
    } catch (...) {
        refused = std::current_exception();
    }
    if (!m_inTransaction) {
        if (refused)
            std::rethrow_exception(refused);
        return;
    }
    QSqlQuery q(database());
    const bool ok = q.exec(QStringLiteral("COMMIT"));
    const QSqlError error = q.lastError();
    q.finish();
    if (ok) {
        m_inTransaction = false;
        m_writes = 0;
        m_rollbackLog.clear();
        if (refused)
            std::rethrow_exception(refused);
        return;
    }
    if (m_engine && m_engine->connectionLost(database())) {
        dropLost();
        throw Error(QString::fromUtf8(kLinkLost) + engineMessage(error));
    }
    const QString failure = engineMessage(error);
    // A commit that could not finish (the file stayed busy, the disk is
    // full, ...) is given up: nothing of the action reaches the file.
    rollback();
    throw Error(QStringLiteral("The changes of this action could not be saved: ") + failure);
}

void Connection::rollback()
{
    std::vector<Deferred*> deferred;
    deferred.swap(m_deferred);
    for (Deferred* d : deferred)
        d->dropDeferred();
    if (!m_inTransaction)
        return;
    if (!m_lost && !engineInAutocommit())
        run(database(), QStringLiteral("ROLLBACK"));
    m_inTransaction = false;
    m_writes = 0;
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
