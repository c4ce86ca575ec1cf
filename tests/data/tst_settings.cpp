// The course's settings file: which engine, which server.

#include "data/Settings.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void noFileMeansTheDatabaseFile();
    void readsTheServer_data();
    void readsTheServer();
    void refused_data();
    void refused();
    void unreadableFile();
};

namespace {

void write(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

} // namespace

void TestSettings::noFileMeansTheDatabaseFile()
{
    QTemporaryDir dir;
    const DatabaseSettings s = DatabaseSettings::read(dir.path());
    QCOMPARE(s.engine, DatabaseSettings::Engine::File);
    QVERIFY(!s.server());
}

void TestSettings::readsTheServer_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("teacherRole");

    QTest::newRow("everything named")
        << QByteArray("[server]\nengine=postgresql\nhost=db.lab\nport=5433\ndatabase=kurs\nrole=st\n"
                      "password=secret\nteacher_role=prep\n")
        << "db.lab" << 5433 << "kurs"
        << "st"
        << "secret"
        << "prep";
    QTest::newRow("defaults for port and roles")
        << QByteArray("[server]\nengine=PostgreSQL\nhost=/var/run/postgresql\ndatabase=norvena\n")
        << "/var/run/postgresql" << 5432 << "norvena"
        << "norvena_student"
        << ""
        << "norvena_teacher";
    QTest::newRow("Cyrillic, and a quoted password with ; , and blanks")
        << QByteArray("[server]\nengine=postgresql\nhost=сервер\ndatabase=литература\n"
                      "password=\" a;b,c \"\n")
        << "сервер" << 5432 << "литература"
        << "norvena_student"
        << " a;b,c "
        << "norvena_teacher";
}

void TestSettings::readsTheServer()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    write(dir.filePath("norvena.ini"), content);
    const DatabaseSettings s = DatabaseSettings::read(dir.path());
    QVERIFY(s.server());
    QTEST(s.host, "host");
    QTEST(s.port, "port");
    QTEST(s.database, "database");
    QTEST(s.role, "role");
    QTEST(s.password, "password");
    QTEST(s.teacherRole, "teacherRole");
}

void TestSettings::refused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("the file engine named") << QByteArray("[server]\nengine=file\nhost=x\n") << "";
    QTest::newRow("unknown engine") << QByteArray("[server]\nengine=oracle\nhost=x\ndatabase=d\n")
                                    << "norvena.ini: unknown database engine \"oracle\" (postgresql or file)";
    QTest::newRow("no engine") << QByteArray("[server]\nhost=x\ndatabase=d\n")
                               << "norvena.ini: no database engine is named (engine=postgresql or engine=file "
                                  "in the [server] section)";
    QTest::newRow("binary garbage") << QByteArray("\x01\x02\xff\xfe garbage\n", 14)
                                    << "norvena.ini: no database engine is named (engine=postgresql or engine=file "
                                       "in the [server] section)";
    QTest::newRow("no host") << QByteArray("[server]\nengine=postgresql\ndatabase=d\n")
                             << "norvena.ini: no server is named (host=... in the [server] section)";
    QTest::newRow("no database") << QByteArray("[server]\nengine=postgresql\nhost=x\n")
                                 << "norvena.ini: no database is named (database=... in the [server] section)";
    QTest::newRow("bad port") << QByteArray("[server]\nengine=postgresql\nhost=x\ndatabase=d\nport=70000\n")
                              << "norvena.ini: \"70000\" is no port number";
    QTest::newRow("unquoted comma") << QByteArray("[server]\nengine=postgresql\nhost=x\ndatabase=d\npassword=a,b\n")
                                    << "norvena.ini: the value of \"password\" holds a comma; enclose it in "
                                       "double quotes";
}

void TestSettings::refused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    write(dir.filePath("norvena.ini"), content);
    try {
        const DatabaseSettings s = DatabaseSettings::read(dir.path());
        QVERIFY2(message.isEmpty(), "no error");
        QVERIFY(!s.server());
    } catch (const Error& e) {
        QCOMPARE(e.message(), message);
    }
}

// A settings file that cannot be read (here a folder of that name, which
// even the superuser cannot read as a file).
void TestSettings::unreadableFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("norvena.ini"));
    try {
        DatabaseSettings::read(dir.path());
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.message(), QStringLiteral("norvena.ini: the settings file cannot be read"));
    }
}

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_settings.moc"
