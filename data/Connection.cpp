#include "data/Connection.h"

#include "platform/Error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

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
}

Connection::~Connection()
{
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
    QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
    if (db.isOpen())
        db.close();
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_sqlName, false);
}
