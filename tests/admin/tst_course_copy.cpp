// Bringing a course over: test.mdb to a server database and back, every row
// and value intact; refused values and files change nothing.

#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
#include "platform/Error.h"

#include "admin/CourseCopy.h"
#include "data/Schema.h"
#include "support/SideConnection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

class TestCourseCopy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void roundTripKeepsEveryValue();
    void demoCourseRoundTrip();
    void refusedValueChangesNothing_data();
    void refusedValueChangesNothing();
    void fileWithoutATable();
    void existingFileIsNotOverwritten();
    void commandLineTool();
    void answersTravelWithTheirResults();
    void busyTablesAreWaitedForABoundedTime();

private:
    // A database file with the course's tables and the statements' rows.
    QString makeFile(const QString& name, const QStringList& statements, const QList<QVariantList>& values = {});
    // Every row of every copied table of a file, each value quoted as the
    // file's engine quotes it (so that types, absent values and empty texts
    // all show).
    static QStringList contents(const QString& path);

    PgCluster* m_cluster = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<ServerCourse> m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCourseCopy::initTestCase()
{
    QString error;
    m_cluster = test_engine::cluster(&error);
    QVERIFY2(m_cluster, qPrintable(error));
}

void TestCourseCopy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_folder = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<ServerCourse>(m_folder->path());
    QVERIFY2(m_server->error().isEmpty(), qPrintable(m_server->error()));
}

void TestCourseCopy::cleanup()
{
    m_server.reset();
    m_folder.reset();
    m_dir.reset();
}

QString TestCourseCopy::makeFile(const QString& name, const QStringList& statements, const QList<QVariantList>& values)
{
    const QString path = m_dir->filePath(name);
    SideConnection side(path);
    for (const schema::Table& t : schema::tables())
        side.exec(schema::fileDdl(t));
    for (qsizetype i = 0; i < statements.size(); ++i)
        side.exec(statements[i], values.value(i));
    return path;
}

QStringList TestCourseCopy::contents(const QString& path)
{
    SideConnection side(path);
    QStringList lines;
    for (const schema::Table& t : schema::tables()) {
        if (t.qname() == QLatin1String("testing"))
            continue;
        QStringList quotedColumns;
        for (const QString& c : t.columnNames())
            quotedColumns << QStringLiteral("quote(\"%1\")").arg(c);
        for (const QVariantList& row : side.rows(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                                                     .arg(quotedColumns.join(" || ' | ' || "), t.qname())))
            lines << t.qname() + QStringLiteral(": ") + row.value(0).toString();
    }
    return lines;
}

void TestCourseCopy::roundTripKeepsEveryValue()
{
    const QString text =
        QStringLiteral("Кто сказал: «Я памятник себе воздвиг\r\nнерукотворный»?\r\nA) O'Neil \"\\n\\\" %1");
    const QString original =
        makeFile("test.mdb",
                 {"INSERT INTO temi (rasdel) VALUES ('Поэма ''Мцыри'''), (''), (NULL), ('Тема \"в кавычках\"')",
                  "INSERT INTO test (id, nom, nom1, test, rasdel, otv) VALUES (3, 1, 1, ?, 'Поэма ''Мцыри''', 'A')",
                  "INSERT INTO test (id, nom, nom1, test, rasdel, otv) VALUES (7, NULL, 2, '', '', NULL)",
                  "INSERT INTO test (id, nom, nom1, test, rasdel, otv) VALUES (42, -5, NULL, NULL, NULL, 'E')",
                  "INSERT INTO result (fio, data, kol, ocenka) VALUES ('Иванов-Петров И.И.', '2024-02-29', '40', 'B+'),"
                  " ('', '1999-12-31', '0', ''), (NULL, NULL, NULL, NULL), ('O''Hara', '2025-01-01', '7', 'C-')",
                  "INSERT INTO media (name, file) VALUES ('Фильм «Мцыри»', 'фильмы\\мцыри 1.avi'), ('x', NULL)"},
                 {{}, {text}});

    const course_copy::Counts toServer = course_copy::toServer(original, m_server->admin());
    QCOMPARE(toServer.tables, 4);
    QCOMPARE(toServer.rows, 4 + 3 + 4 + 2);

    // On the server the values have the server's types.
    auto teacher = m_server->teacher();
    QCOMPARE(teacher->rows("SELECT id, test FROM test ORDER BY rowid").value(0), (QVariantList{3, text}));
    const auto results = teacher->rows("SELECT fio, data, kol FROM result ORDER BY rowid");
    QCOMPARE(results.value(0), (QVariantList{"Иванов-Петров И.И.", QDate(2024, 2, 29), "40"}));
    QVERIFY(results.value(2).value(0).isNull() && results.value(2).value(1).isNull());
    QCOMPARE(results.value(1).value(0), QVariant(QString("")));
    // A question added on the server gets a key after those brought over.
    QVERIFY(teacher->exec("INSERT INTO test (rasdel) VALUES ('Новая')"));
    QCOMPARE(teacher->scalar("SELECT id FROM test WHERE rasdel = 'Новая'").toInt(), 43);
    QVERIFY(teacher->exec("DELETE FROM test WHERE rasdel = 'Новая'"));

    const QString back = m_dir->filePath("back.mdb");
    const course_copy::Counts toFile = course_copy::toFile(m_server->admin(), back);
    QCOMPARE(toFile.rows, toServer.rows);
    const QStringList before = contents(original);
    QCOMPARE(before.size(), 13);
    QCOMPARE(contents(back), before);
    QVERIFY(!QFile::exists(back + ".new"));
}

// The runs' answers go with their result rows both ways, whatever keys the
// file's rows have (a deleted result leaves a gap, and its answers behind).
void TestCourseCopy::answersTravelWithTheirResults()
{
    QStringList statements = schema::answersFileDdl();
    statements << "INSERT INTO result (rowid, fio, data, kol, ocenka) VALUES (1, 'Иванов', '2024-09-16', '2', 'A'),"
                  " (3, 'O''Hara', '2024-09-17', '2', 'D')"
               << "INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES (1, 5, 1, 'A', 'A', 'Т'),"
                  " (1, 6, 2, 'B', 'B', 'Т'), (2, 5, 1, 'C', 'A', 'Т'), (3, 5, 1, 'A', 'A', 'Т'),"
                  " (3, 6, 2, NULL, 'B', 'Т')";
    const QString original = makeFile("answers.mdb", statements);
    const QString joined = QStringLiteral(
        "SELECT r.fio || ' ' || a.id || ' ' || a.nom || ' ' || coalesce(a.otv, '-') || ' ' || a.verno || ' ' || "
        "a.rasdel FROM otvety a JOIN result r ON r.rowid = a.result ORDER BY r.rowid, a.nom");
    const QList<QVariantList> expected{{"Иванов 5 1 A A Т"}, {"Иванов 6 2 B B Т"}, {"O'Hara 5 1 A A Т"},
                                       {"O'Hara 6 2 - B Т"}};

    course_copy::toServer(original, m_server->admin());
    auto teacher = m_server->teacher();
    QCOMPARE(teacher->rows(joined), expected);
    QCOMPARE(teacher->scalar("SELECT count(*) FROM otvety").toInt(), 4); // the one left behind stays behind
    // A result stored on the server comes after those brought over.
    QVERIFY(teacher->exec("INSERT INTO result (fio) VALUES ('Новый')"));
    QCOMPARE(teacher->scalar("SELECT rowid FROM result WHERE fio = 'Новый'").toInt(), 4);

    const QString back = m_dir->filePath("answers-back.mdb");
    course_copy::toFile(m_server->admin(), back);
    SideConnection file(back);
    QCOMPARE(file.rows(joined), expected);
}

// A student's transaction that holds the questions open keeps the copy
// from replacing them: the copy asks for the tables a moment at a time (so
// that nobody queues behind it for long), gives up after a few seconds,
// names who holds them and changes nothing.
void TestCourseCopy::busyTablesAreWaitedForABoundedTime()
{
    const QString copy = m_dir->filePath("demo.mdb");
    QVERIFY(QFile::copy(QStringLiteral(NORVENA_SOURCE_DIR "/course/test.mdb"), copy));
    course_copy::toServer(copy, m_server->admin());
    auto holder = m_server->student();
    QVERIFY(holder->exec("BEGIN"));
    QVERIFY(holder->exec("SELECT count(*) FROM test"));

    QElapsedTimer timer;
    timer.start();
    QString message;
    try {
        course_copy::toServer(copy, m_server->admin());
    } catch (const Error& e) {
        message = e.message();
    }
    const qint64 waited = timer.elapsed();
    QVERIFY2(message.contains(QStringLiteral("The server is busy")), qPrintable(message));
    QVERIFY2(message.contains(QString::fromLatin1(ServerCourse::kStudent)), qPrintable(message));
    QVERIFY2(waited < 15000, qPrintable(QString::number(waited)));

    // Meanwhile another PC reads the questions without waiting behind it.
    auto other = m_server->otherPc();
    QElapsedTimer read;
    read.start();
    QVERIFY(other->exec("SELECT count(*) FROM test"));
    QVERIFY(read.elapsed() < 2000);
    QVERIFY(holder->exec("ROLLBACK"));
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM test").toInt(), 42);
}

void TestCourseCopy::demoCourseRoundTrip()
{
    const QString demo = QStringLiteral(NORVENA_SOURCE_DIR "/course/test.mdb");
    QVERIFY(QFile::exists(demo));
    const QString copy = m_dir->filePath("demo.mdb");
    QVERIFY(QFile::copy(demo, copy));
    course_copy::toServer(copy, m_server->admin());
    const QString back = m_dir->filePath("back.mdb");
    course_copy::toFile(m_server->admin(), back);
    const QStringList before = contents(copy);
    QVERIFY(before.size() > 50);
    QCOMPARE(contents(back), before);
}

void TestCourseCopy::refusedValueChangesNothing_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("message");
    QTest::newRow("name longer than the column")
        << QStringLiteral("INSERT INTO result (fio) VALUES ('ok'), ('%1')").arg(QString(51, QChar(u'Ж')))
        << "Table result, row 2, column fio: the text is 51 characters long, the server's column holds 50";
    QTest::newRow("no date") << "INSERT INTO result (data) VALUES ('вчера')"
                             << "Table result, row 1, column data: 'вчера' is not a valid date";
    QTest::newRow("no number") << "INSERT INTO test (nom) VALUES ('первый')"
                               << "Table test, row 1, column nom: 'первый' is not a whole number";
}

void TestCourseCopy::refusedValueChangesNothing()
{
    QFETCH(QString, statement);
    QFETCH(QString, message);
    course_copy::toServer(makeFile("good.mdb", {"INSERT INTO temi (rasdel) VALUES ('Пушкин')",
                                                "INSERT INTO result (fio) VALUES ('Иванов')"}),
                          m_server->admin());
    const QString bad = makeFile("bad.mdb", {"INSERT INTO temi (rasdel) VALUES ('Лермонтов')", statement});
    try {
        course_copy::toServer(bad, m_server->admin());
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.message(), message);
    }
    auto teacher = m_server->teacher();
    QCOMPARE(teacher->rows("SELECT rasdel FROM temi"), (QList<QVariantList>{{"Пушкин"}}));
    QCOMPARE(teacher->rows("SELECT fio FROM result"), (QList<QVariantList>{{"Иванов"}}));
}

void TestCourseCopy::fileWithoutATable()
{
    const QString path = m_dir->filePath("old.mdb");
    {
        SideConnection side(path);
        side.exec("CREATE TABLE temi (rasdel VARCHAR(255))");
    }
    try {
        course_copy::toServer(path, m_server->admin());
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.message(), QStringLiteral("old.mdb has no table test"));
    }
    try {
        course_copy::toServer(m_dir->filePath("missing.mdb"), m_server->admin());
        QFAIL("no error");
    } catch (const Error& e) {
        QVERIFY(e.message().endsWith(QStringLiteral("missing.mdb: no such database file")));
    }
}

void TestCourseCopy::existingFileIsNotOverwritten()
{
    const QString path = makeFile("test.mdb", {"INSERT INTO temi (rasdel) VALUES ('Пушкин')"});
    const QStringList before = contents(path);
    try {
        course_copy::toFile(m_server->admin(), path);
        QFAIL("no error");
    } catch (const Error& e) {
        QVERIFY(e.message().endsWith(QStringLiteral("already exists; name a file that does not")));
    }
    QCOMPARE(contents(path), before);
}

// norvena-admin sets a server up with the teacher's password read from its
// standard input, and copies a course there and back.
void TestCourseCopy::commandLineTool()
{
    const QString database = m_cluster->createDatabase();
    QFile ini(m_dir->filePath("norvena.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[server]\nengine=postgresql\nhost=%1\nport=%2\ndatabase=%3\nrole=lab_student\n"
                             "password=\"st;1\"\nteacher_role=lab_teacher\n")
                  .arg(m_cluster->socketDir())
                  .arg(PgCluster::kPort)
                  .arg(database)
                  .toUtf8());
    ini.close();
    const QString demo = m_dir->filePath("test.mdb");
    QVERIFY(QFile::copy(QStringLiteral(NORVENA_SOURCE_DIR "/course/test.mdb"), demo));

    const auto admin = [&](const QStringList& arguments, const QByteArray& input = {}) {
        QProcess p;
        p.setWorkingDirectory(m_dir->path());
        p.start(QStringLiteral(NORVENA_ADMIN), QStringList{"-U", PgCluster::kAdmin} + arguments);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return qMakePair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    auto [code, output] = admin({"setup"}, "учитель 2\n");
    QCOMPARE(code, 1); // a password every student may try against the server is longer
    QVERIFY2(output.contains("at least 10 characters"), qPrintable(output));
    std::tie(code, output) = admin({"setup"}, "учитель второй\n");
    QVERIFY2(code == 0, qPrintable(output));
    std::tie(code, output) = admin({"check"});
    QVERIFY2(code == 0 && output.contains("The server is as setup makes it."), qPrintable(output));

    // A role for one more PC, with a password made for it, and the lines of
    // its settings file.
    std::tie(code, output) = admin({"add-pc", "lab_pc2"}, "\n");
    QVERIFY2(code == 0, qPrintable(output));
    QVERIFY2(output.contains("role=lab_pc2\n"), qPrintable(output));
    const QString made = QRegularExpression(QStringLiteral("password=\"([^\"]+)\"")).match(output).captured(1);
    QCOMPARE(made.size(), 20);
    PgSession pc2(*m_cluster, database, "lab_pc2", made);
    QVERIFY2(pc2.isOpen(), qPrintable(pc2.openError()));

    // Something changed behind setup's back is told (exit code 1).
    {
        PgSession adminSession(*m_cluster, database, QString::fromLatin1(PgCluster::kAdmin), QString());
        QVERIFY(adminSession.exec("ALTER ROLE lab_pc2 SET statement_timeout = '1ms'"));
    }
    std::tie(code, output) = admin({"check"});
    QVERIFY2(code == 1 && output.contains("lab_pc2 has settings of its own"), qPrintable(output));
    std::tie(code, output) = admin({"to-server"});
    QVERIFY2(code == 0, qPrintable(output));
    QVERIFY2(output.contains("Copied "), qPrintable(output));

    PgSession teacher(*m_cluster, database, "lab_teacher", QStringLiteral("учитель второй"));
    QVERIFY2(teacher.isOpen(), qPrintable(teacher.openError()));
    QVERIFY(teacher.scalar("SELECT count(*) FROM test").toInt() > 0);
    PgSession student(*m_cluster, database, "lab_student", "st;1");
    QVERIFY2(student.isOpen(), qPrintable(student.openError()));
    QString error;
    QVERIFY(!student.exec("SELECT otv FROM test", {}, &error));

    std::tie(code, output) = admin({"to-file", "back.mdb"});
    QVERIFY2(code == 0, qPrintable(output));
    QCOMPARE(contents(m_dir->filePath("back.mdb")), contents(demo));

    std::tie(code, output) = admin({"to-file", "back.mdb"});
    QCOMPARE(code, 1);
    QVERIFY2(output.contains("already exists"), qPrintable(output));
    std::tie(code, output) = admin({"frobnicate"});
    QCOMPARE(code, 2);
    m_cluster->dropDatabase(database);
}

QTEST_GUILESS_MAIN(TestCourseCopy)
#include "tst_course_copy.moc"
