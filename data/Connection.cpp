#include "data/Connection.h"

#include "data/Engine.h"
#include "platform/Error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>

Connection::Connection(const QString& objectName, QObject* parent) : QObject(parent)
{
    static QAtomicInteger<quint64> counter;
    setObjectName(objectName);
    m_sqlName = QStringLiteral("norvena-connection-%1").arg(counter.fetchAndAddRelaxed(1));
}

Connection::~Connection()
{
    close();
    m_engine.reset();
    if (QSqlDatabase::contains(m_sqlName))
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
    // engine.
    const QString source = QDir::current().absoluteFilePath(dataSource());
    m_fileChosen = false;
    std::unique_ptr<Engine> engine = Engine::forCourse(QFileInfo(source).absolutePath());
    m_fileChosen = !engine->server();
    engine->setLogin(m_loginRole, m_loginPassword);

    if (QSqlDatabase::contains(m_sqlName))
        QSqlDatabase::removeDatabase(m_sqlName);
    QSqlDatabase db = QSqlDatabase::addDatabase(engine->driver(), m_sqlName);
    m_engine = std::move(engine);
    m_engine->open(db, dataSource());
}

bool Connection::isOpen() const
{
    return QSqlDatabase::contains(m_sqlName) && QSqlDatabase::database(m_sqlName, false).isOpen();
}

void Connection::close()
{
    if (!QSqlDatabase::contains(m_sqlName))
        return;
    QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
    if (db.isOpen())
        db.close();
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(m_sqlName, false); }

bool Connection::server() const { return m_engine && m_engine->server(); }

void Connection::setLogin(const QString& role, const QString& password)
{
    m_loginRole = role;
    m_loginPassword = password;
    if (m_engine)
        m_engine->setLogin(role, password);
}

QString Connection::teacherRole() const { return m_engine ? m_engine->teacherRole() : QString(); }
