// The connection to "test.mdb": where the file is looked for, what happens
// when it is missing or damaged, and several copies of the program working
// on one file.

#include "DbFixture.h"

#include "data/Connection.h"
#include "data/Table.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <csignal>
#include <functional>
#include <unistd.h>

namespace {

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

// The test executable started again as another program working on the file.
constexpr const char* kChildMode = "NORVENA_TST_CHILD";
constexpr const char* kChildPath = "NORVENA_TST_PATH";

// Holds the file's write lock for a while, as another copy in the middle of
// a write would: says "locked" when it has it.
int childHoldWrite(const QString& path)
{
    fixture::Side side(path);
    if (!side.exec("BEGIN IMMEDIATE") || !side.exec("INSERT INTO media VALUES ('другая копия', 'other.wav')"))
        return 2;
    fputs("locked\n", stdout);
    fflush(stdout);
    QThread::msleep(1500);
    return side.exec("COMMIT") ? 0 : 3;
}

// Posts one row through a table object and is killed right afterwards.
int childPostAndDie(const QString& path)
{
    Connection connection("ADOConnection1");
    connection.setConnectionString(QStringLiteral("Data Source=%1").arg(path));
    Table media("tblMedia", &connection, "media");
    media.open();
    media.append();
    media.setValue("name", "записано до сбоя");
    media.setValue("file", "crash.wav");
    media.post();
    ::kill(::getpid(), SIGKILL);
    return 4;
}

QProcess* startChild(QObject* parent, const char* mode, const QString& path)
{
    auto* p = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kChildMode, mode);
    env.insert(kChildPath, path);
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), {});
    return p;
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT

private:
    QString startDir;

private slots:
    void initTestCase() { startDir = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(startDir); }

    void dataSourceIsTheBareFileName()
    {
        Connection c("ADOConnection1");
        QCOMPARE(c.dataSource(), QString("test.mdb"));
        QVERIFY(!c.isOpen());
    }

    void missingFileIsReportedNotCreated_andFoundLaterInTheWorkingDirectory()
    {
        fixture::Db empty; // a folder without the file
        QDir::setCurrent(empty.dir());
        Connection c("ADOConnection1");
        Table temi("tblTemi", &c, "temi");

        const QString e = errorOf([&] { c.open(); });
        QVERIFY2(e != "<no error>" && !e.isEmpty(), qPrintable(e));
        QVERIFY2(!e.startsWith("ADOConnection1"), qPrintable(e));
        QVERIFY(!c.isOpen());
        // The table object tries the connection again, fails the same way and stays closed.
        QCOMPARE(errorOf([&] { temi.open(); }), e);
        QVERIFY(!temi.active());
        QCOMPARE(errorOf([&] { temi.first(); }),
                 QStringLiteral("tblTemi: Cannot perform this operation on a closed dataset"));
        QCOMPARE(QDir(empty.dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

        // The file exists in another folder, which is now the working directory.
        fixture::Db later;
        later.make({"INSERT INTO temi VALUES ('Пушкин')", "INSERT INTO temi VALUES ('Гоголь')"});
        QDir::setCurrent(later.dir());
        temi.open();
        QVERIFY(c.isOpen());
        QCOMPARE(temi.recordCount(), 2);
        QCOMPARE(temi.text("rasdel"), QString("Пушкин"));
        QCOMPARE(QDir(empty.dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void damagedFileFailsAtOpen_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a text file") << false;
        QTest::newRow("a folder of that name") << true;
    }
    void damagedFileFailsAtOpen()
    {
        QFETCH(bool, folder);
        fixture::Db db;
        QByteArray junk;
        if (folder) {
            QVERIFY(QDir(db.dir()).mkdir("test.mdb"));
        } else {
            junk = QByteArray("Это не база данных.\n").repeated(200);
            QFile f(db.path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(junk);
        }
        auto c = db.connect();
        const QString e = errorOf([&] { c->open(); });
        QVERIFY2(e != "<no error>" && !e.isEmpty(), qPrintable(e));
        QVERIFY(!c->isOpen());
        if (!folder) {
            QVERIFY2(e.contains("not a database"), qPrintable(e));
            QFile f(db.path());
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), junk);
        }
        Table temi("tblTemi", c.get(), "temi");
        QCOMPARE(errorOf([&] { temi.open(); }), e);
        QVERIFY(!temi.active());
    }

    void missingTableIsReported()
    {
        fixture::Db db;
        db.make();
        auto c = db.connect();
        Table t("tblMissing", c.get(), "nosuch");
        QCOMPARE(errorOf([&] { t.open(); }), QStringLiteral("no such table: nosuch"));
        QVERIFY(!t.active());
    }

    void folderNamesNeedNoCare_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("cyrillic and blanks") << "Курс литературы 2024";
        QTest::newRow("URI characters") << "a#b?c%20d&mode=ro";
    }
    void folderNamesNeedNoCare()
    {
        QFETCH(QString, folder);
        fixture::Db outer;
        QVERIFY(QDir(outer.dir()).mkdir(folder));
        const QString dir = outer.dir() + "/" + folder;
        {
            fixture::Side side(dir + "/test.mdb");
            for (const QString& sql : fixture::kSchema)
                QVERIFY(side.exec(sql));
            QVERIFY(side.exec("INSERT INTO temi VALUES ('Лермонтов')"));
        }
        QDir::setCurrent(dir);
        Connection c("ADOConnection1");
        Table temi("tblTemi", &c, "temi");
        temi.open();
        QCOMPARE(temi.text("rasdel"), QString("Лермонтов"));
        temi.edit();
        temi.setValue("rasdel", "Лермонтов М. Ю."); // writable: mode=ro in the name is not an option
        temi.post();
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList({"test.mdb"}));
    }

    void twoCopiesInterleaved()
    {
        // Each action of one copy may come between two actions of the other;
        // none of them may find the file locked.
        fixture::Db db;
        QStringList rows;
        for (int i = 1; i <= 20; ++i)
            rows << fixture::question(i, i, "Пушкин", "A");
        db.make(rows);
        auto ca = db.connect("A");
        auto cb = db.connect("B");
        Table a("tblTest", ca.get(), "test");
        Table b("tblTest", cb.get(), "test");
        QElapsedTimer timer;
        timer.start();
        a.open();
        b.open();
        a.next();
        a.setFiltered(true);
        a.setFilter("rasdel='Пушкин'");
        b.locate("id", 5, Table::CaseInsensitive | Table::PartialKey);
        b.edit();
        b.setValue("otv", "B");
        a.locate("id", 7, Table::CaseInsensitive | Table::PartialKey);
        b.next(); // posts
        a.insert();
        a.setValue("rasdel", "Пушкин");
        a.post();
        b.remove();
        a.refresh();
        b.refresh();
        a.last();
        a.remove();
        QVERIFY2(timer.elapsed() < 3000, "a copy waited for the other");
        auto side = db.side();
        QCOMPARE(side->scalar("SELECT otv FROM test WHERE id = 5"), QVariant("B"));
        QCOMPARE(side->scalar("SELECT count(*) FROM test"), QVariant(19));
    }

    void writerWaitsForAnotherProgram()
    {
        fixture::Db db;
        db.make({"INSERT INTO media VALUES ('Пушкин — портрет', 'pushkin.png')"});
        auto c = db.connect();
        Table media("tblMedia", c.get(), "media");
        media.open();

        QProcess* child = startChild(this, "hold-write", db.path());
        QVERIFY(child->waitForReadyRead(10000));
        QCOMPARE(child->readLine().trimmed(), QByteArray("locked"));
        // Reading goes on while the other program writes.
        Table temi("tblTemi", c.get(), "temi");
        temi.open();
        media.first();
        // Writing waits for it, then succeeds.
        media.append();
        media.setValue("name", "Чтение: Лермонтов");
        media.setValue("file", "lermontov.wav");
        QElapsedTimer timer;
        timer.start();
        media.post();
        QVERIFY(timer.elapsed() > 200);
        QVERIFY(child->waitForFinished(10000));
        QCOMPARE(child->exitStatus(), QProcess::NormalExit);
        QCOMPARE(child->exitCode(), 0); // and this copy never held it up
        QCOMPARE(db.side()->scalar("SELECT count(*) FROM media"), QVariant(3));
    }

    void postIsInTheFileWhenItReturns()
    {
        fixture::Db db;
        db.make();
        QProcess* child = startChild(this, "post-and-die", db.path());
        QVERIFY(child->waitForFinished(10000));
        QCOMPARE(child->exitStatus(), QProcess::CrashExit);
        auto side = db.side();
        QCOMPARE(side->scalar("PRAGMA integrity_check"), QVariant("ok"));
        QCOMPARE(side->scalar("SELECT file FROM media WHERE name = 'записано до сбоя'"), QVariant("crash.wav"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = qgetenv(kChildMode);
    const QString path = qEnvironmentVariable(kChildPath);
    if (mode == "hold-write")
        return childHoldWrite(path);
    if (mode == "post-and-die")
        return childPostAndDie(path);
    TestConnection test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connection.moc"
