// The benchmarks' network between the program and a test cluster
// (tests/pg/DelayProxy): what it counts, that it carries the bytes intact
// and in order while holding them back, and that a dropped network is lost
// for the program's connection as a real one is.

#include "data/Connection.h"
#include "data/Settings.h"
#include "pg/DelayProxy.h"
#include "pg/ServerCourse.h"
#include "platform/HandlerScope.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <libpq-fe.h>
#include <memory>

using namespace std::chrono_literals;

namespace {

// A client connection of libpq's own through the proxy, closed when it goes.
struct Client {
    PGconn* conn = nullptr;
    Client(const DelayProxy& proxy, const QString& database, const char* sslmode)
    {
        const QByteArray info = QStringLiteral("host=%1 port=%2 dbname=%3 user=%4 sslmode=%5 gssencmode=disable")
                                    .arg(DelayProxy::host())
                                    .arg(proxy.port())
                                    .arg(database, QLatin1String(PgCluster::kAdmin), QLatin1String(sslmode))
                                    .toUtf8();
        conn = PQconnectdb(info.constData());
    }
    ~Client() { PQfinish(conn); }
    bool ok() const { return PQstatus(conn) == CONNECTION_OK; }
    QString error() const { return QString::fromUtf8(PQerrorMessage(conn)); }
    // The first value of the last result of the query; empty when it failed.
    QByteArray value(const QByteArray& sql)
    {
        PGresult* r = PQexec(conn, sql.constData());
        const bool rows = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0;
        const QByteArray v = rows ? QByteArray(PQgetvalue(r, 0, 0), PQgetlength(r, 0, 0)) : QByteArray();
        PQclear(r);
        return v;
    }
};

bool succeeded(PGresult* r)
{
    const ExecStatusType s = PQresultStatus(r);
    PQclear(r);
    return s == PGRES_TUPLES_OK || s == PGRES_COMMAND_OK;
}

} // namespace

class TestDelayProxy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void countsRoundTripsThatCarryStatements();
    void carriesLargeMessagesIntactUnderDelay();
    void droppedNetworkIsLostForEveryClient();
    void programConnectionReconnectsAfterDrop();

private:
    PgCluster* m_cluster = nullptr;
    QString m_database;
    std::unique_ptr<DelayProxy> m_proxy;
};

void TestDelayProxy::initTestCase()
{
    QString error;
    m_cluster = test_engine::cluster(&error);
    QVERIFY2(m_cluster, qPrintable(error));
    m_database = m_cluster->createDatabase();
    QVERIFY(!m_database.isEmpty());
    m_proxy = std::make_unique<DelayProxy>(QDir(m_cluster->socketDir()).filePath(QStringLiteral(".s.PGSQL.5432")));
    QVERIFY2(m_proxy->start(&error), qPrintable(error));
}

void TestDelayProxy::cleanupTestCase()
{
    m_proxy.reset();
    if (m_cluster && !m_database.isEmpty())
        m_cluster->dropDatabase(m_database);
}

void TestDelayProxy::countsRoundTripsThatCarryStatements()
{
    // Bytes 'Q' and 'E' inside a message are no message of their own; a
    // text longer than one read is split between chunks.
    const QByteArray letters = QByteArray("QEQExEQE").repeated(80000);
    struct Case {
        const char* name;
        std::function<bool(PGconn*)> work;
        int statements;
    };
    const std::vector<Case> cases{
        {"nothing after connecting", [](PGconn*) { return true; }, 0},
        {"one simple query", [](PGconn* c) { return succeeded(PQexec(c, "SELECT 1")); }, 1},
        {"several statements in one query",
         [](PGconn* c) { return succeeded(PQexec(c, "SELECT 1; SELECT 2; CREATE TEMP TABLE t (x int)")); }, 1},
        {"extended protocol",
         [](PGconn* c) {
             const char* values[] = {"7"};
             return succeeded(PQexecParams(c, "SELECT $1::int", 1, nullptr, values, nullptr, nullptr, 0));
         },
         1},
        {"prepared once, executed twice",
         [](PGconn* c) {
             const char* values[] = {"7"};
             return succeeded(PQprepare(c, "s", "SELECT $1::int", 1, nullptr)) &&
                    succeeded(PQexecPrepared(c, "s", 1, values, nullptr, nullptr, 0)) &&
                    succeeded(PQexecPrepared(c, "s", 1, values, nullptr, nullptr, 0));
         },
         2},
        {"a long text of message letters, then a query",
         [&letters](PGconn* c) {
             return succeeded(PQexec(c, ("SELECT length('" + letters + "')").constData())) &&
                    succeeded(PQexec(c, "SELECT 1"));
         },
         2},
    };
    // With and without the request for encryption before the startup packet.
    for (const char* sslmode : {"prefer", "disable"}) {
        for (const Case& c : cases) {
            const QByteArray what = QByteArray(c.name) + " (sslmode=" + sslmode + ")";
            m_proxy->resetStatements();
            Client client(*m_proxy, m_database, sslmode);
            QVERIFY2(client.ok(), qPrintable(client.error()));
            QVERIFY2(c.work(client.conn), what.constData());
            QVERIFY2(m_proxy->statements() == c.statements,
                     (what + ": " + QByteArray::number(m_proxy->statements())).constData());
        }
    }
}

void TestDelayProxy::carriesLargeMessagesIntactUnderDelay()
{
    // Many chunks each way, every one held back: any chunk out of order or
    // lost would spoil the protocol or the text.
    m_proxy->setDelay(1ms);
    Client client(*m_proxy, m_database, "disable");
    QVERIFY2(client.ok(), qPrintable(client.error()));
    QByteArray text;
    for (int i = 0; text.size() < 1500000; ++i)
        text += QByteArray::number(i) + ' ';
    const QByteArray echoed = client.value("SELECT '" + text + "'::text || md5('" + text + "')");
    m_proxy->setDelay(0us);
    QCOMPARE(echoed.size(), text.size() + 32);
    QVERIFY(echoed.startsWith(text));
    QCOMPARE(echoed.mid(text.size()), QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());
}

void TestDelayProxy::droppedNetworkIsLostForEveryClient()
{
    Client a(*m_proxy, m_database, "disable");
    Client b(*m_proxy, m_database, "disable");
    QVERIFY(a.ok() && b.ok());
    QCOMPARE(a.value("SELECT 1"), QByteArray("1"));
    m_proxy->dropConnections();
    for (Client* c : {&a, &b}) {
        QVERIFY(c->value("SELECT 1").isEmpty());
        QCOMPARE(PQstatus(c->conn), CONNECTION_BAD);
    }
    // The network is back for whoever connects anew.
    Client again(*m_proxy, m_database, "disable");
    QVERIFY2(again.ok(), qPrintable(again.error()));
    QCOMPARE(again.value("SELECT 2"), QByteArray("2"));
}

void TestDelayProxy::programConnectionReconnectsAfterDrop()
{
    // The program's connection sees the drop as a link lost and sends a
    // call again over a new one, as after a lab network's hiccup.
    QTemporaryDir folder;
    ServerCourse course(folder.path(), ServerCourse::Login::Administrator);
    QVERIFY2(course.error().isEmpty(), qPrintable(course.error()));
    QFile ini(QDir(folder.path()).filePath(QString::fromLatin1(DatabaseSettings::kFileName)));
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(
        course.settingsText(QString::fromLatin1(PgCluster::kAdmin), QString(), DelayProxy::host(), m_proxy->port())
            .toUtf8());
    ini.close();

    Connection c(QStringLiteral("ADOConnection1"));
    c.setConnectionString(QStringLiteral("Data Source=%1/test.mdb").arg(folder.path()));
    c.open();
    const int accepted = m_proxy->connectionsAccepted();
    const auto call = [&c](int n) {
        QSqlQuery& q = c.call(QStringLiteral("SELECT ?::int"), {n});
        const int v = q.next() ? q.value(0).toInt() : -1;
        q.finish();
        return v;
    };
    QCOMPARE(call(1), 1);
    m_proxy->dropConnections();
    QCOMPARE(call(2), 2);
    QCOMPARE(m_proxy->connectionsAccepted(), accepted + 1);
}

QTEST_GUILESS_MAIN(TestDelayProxy)
#include "tst_delayproxy.moc"
