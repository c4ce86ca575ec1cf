// A course on a PostgreSQL server: the server's grading follows the
// program's rules, and a student holding the settings file and any SQL
// client can neither read a correct letter nor store, change or delete a
// result other than by grading a sheet.

#include "admin/ServerSetup.h"
#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
#include "platform/Error.h"

#include "data/Connection.h"
#include "data/Settings.h"
#include "data/Table.h"
#include "platform/HandlerScope.h"
#include "data/ServerGrading.h"
#include "data/SqlError.h"
#include "forms/Grading.h"
#include "support/GradingCases.h"

#include <QElapsedTimer>
#include <QSqlDriver>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>
#include <QUuid>
#include <QTest>

#include <memory>

#include <libpq-fe.h>

class TestServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void gradingFollowsTheProgramsRules();
    void gradingWithoutQuestions();
    void runKeepsTheQuestionsOfItsStart();
    void sheetCountsEachQuestionOnce();
    void programsGradingCalls();
    void damagedSheet();
    void studentIsRefused_data();
    void studentIsRefused();
    void studentMayDoWhatTheCopyDoes();
    void teacherMayDoWhatTheEditorAndRegisterDo();
    void setUpIsRepeatable();

    // A student at a PC of the lab, with its settings file and any SQL client.
    void gradeIsToldOnlyOnceStored_data();
    void gradeIsToldOnlyOnceStored();
    void noMessageTellsALetter();
    void resultIsDatedInTheAdministratorsZone_data();
    void resultIsDatedInTheAdministratorsZone();
    void onePcCannotStopAnother_data();
    void onePcCannotStopAnother();
    void connectionSlotsLeaveRoomForOthers();
    void oversizedInputIsRefusedAtOnce_data();
    void oversizedInputIsRefusedAtOnce();
    void failedTeacherLoginsAreSlowed();
    void onePcsFloodIsBounded_data();
    void onePcsFloodIsBounded();
    void gradingsTakeTheSameRoomWhateverTheGrade();
    void gradingDoesTheSameWorkWhateverTheGrade();
    void theGroupsRoleKeepsTheCatalogueRule_data();
    void theGroupsRoleKeepsTheCatalogueRule();
    void gradingInAnOldTransactionIsRefused();
    void oldRunsHeldByOneSessionStopNobody();
    void checkTellsWhatSetUpMends_data();
    void checkTellsWhatSetUpMends();

private:
    // Adds n questions of the topic, each with the correct letter; their ids.
    QList<int> addQuestions(const QString& topic, int n, const QString& letter = QStringLiteral("A"));
    static QString sheet(const QList<QPair<int, QVariant>>& entries);
    // Grades as a copy of the program does: the grading under a new key in
    // a transaction of its own, then its outcome (k, N, both grades); an
    // empty list with *error set when refused.
    static QVariantList grade(PgSession& session, const QString& fio, const QVariant& topic, const QString& sheet,
                              const QVariant& run = kNone, QString* error = nullptr);
    // Starts a run of the topic under a new key; its key.
    static QString startRun(PgSession& session, const QString& topic, int* count = nullptr);
    static inline const QVariant kNone = QVariant(QMetaType::fromType<QString>());
    // A whole test run of the program's own connection and table objects,
    // logged in as the role from a settings file of its own: "k of N", or
    // the error it met.
    QString programsRun(const QString& role, const QString& password);

    PgCluster* m_cluster = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<ServerCourse> m_server;
};

void TestServer::initTestCase()
{
    QString error;
    m_cluster = test_engine::cluster(&error);
    QVERIFY2(m_cluster, qPrintable(error));
}

void TestServer::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<ServerCourse>(m_folder->path());
    QVERIFY2(m_server->error().isEmpty(), qPrintable(m_server->error()));
}

void TestServer::cleanup() { m_server.reset(); }

QList<int> TestServer::addQuestions(const QString& topic, int n, const QString& letter)
{
    auto admin = m_server->administrator();
    QList<int> ids;
    for (const QVariantList& row :
         admin->rows(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) "
                                    "SELECT g, g, 'Вопрос ' || g, ?, ? FROM generate_series(1, ?) g RETURNING id"),
                     {topic, letter, n}))
        ids << row.value(0).toInt();
    return ids;
}

QVariantList TestServer::grade(PgSession& session, const QString& fio, const QVariant& topic, const QString& sheet,
                               const QVariant& run, QString* error)
{
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!session.exec("SELECT norvena_grade(?::uuid, ?::uuid, ?, ?, ?)", {key, run, fio, topic, sheet}, error))
        return {};
    return session
        .rows("SELECT correct, questions, five_point, letter_text, letter_code FROM norvena_outcome(?::uuid)", {key},
              error)
        .value(0);
}

QString TestServer::startRun(PgSession& session, const QString& topic, int* count)
{
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QVariant n = session.scalar("SELECT norvena_start_run(?::uuid, ?)", {key, topic});
    if (count)
        *count = n.toInt();
    return key;
}

QString TestServer::programsRun(const QString& role, const QString& password)
{
    QTemporaryDir pc;
    {
        QFile ini(pc.filePath(QString::fromLatin1(DatabaseSettings::kFileName)));
        if (!ini.open(QIODevice::WriteOnly))
            return QStringLiteral("no settings file");
        ini.write(m_server->settingsText(role, password).toUtf8());
    }
    try {
        Connection c(QStringLiteral("ADOConnection1"));
        c.setConnectionString(QStringLiteral("Data Source=%1/test.mdb").arg(pc.path()));
        Table test(QStringLiteral("tblTest"), &c, QStringLiteral("test"));
        Table testing(QStringLiteral("tblTesting"), &c, QStringLiteral("testing"));
        testing.setPrivateToConnection(true);
        HandlerScope::Running handler;
        test.open();
        testing.open();
        test.setFiltered(true);
        test.setFilter(QStringLiteral("rasdel='Лермонтов'"));
        const QUuid run = QUuid::createUuid();
        server_grading::startRun(c, run, QStringLiteral("Лермонтов"));
        QList<QPair<QVariant, QVariant>> sheet;
        test.first();
        for (int i = 0; i < test.recordCount(); ++i) {
            sheet.append({test.value(QStringLiteral("id")), QStringLiteral("B")});
            test.next();
        }
        const server_grading::Outcome o =
            server_grading::grade(c, QUuid::createUuid(), run, role, QStringLiteral("Лермонтов"), sheet);
        HandlerScope::settle();
        return QStringLiteral("%1 of %2").arg(o.correct).arg(o.questions);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

QString TestServer::sheet(const QList<QPair<int, QVariant>>& entries)
{
    QJsonArray array;
    for (const auto& [id, letter] : entries)
        array.append(QJsonArray{id, letter.isNull() ? QJsonValue() : QJsonValue(letter.toString())});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

// Every case of the program's table, and every (k, N) up to 40 questions,
// graded by the server from a sheet with k correct letters, gives what the
// program's grading gives; each grading stores one row with N and the letter.
void TestServer::gradingFollowsTheProgramsRules()
{
    QList<QPair<int, int>> pairs;
    for (const grading_cases::Case& c : grading_cases::kCases) {
        if (c.k <= c.n) // the server counts no more correct answers than questions
            pairs.append({c.k, c.n});
    }
    for (int n = 1; n <= 40; ++n)
        for (int k = 0; k <= n; ++k)
            pairs.append({k, n});

    QHash<int, QList<int>> topics; // N -> question ids
    for (const auto& [k, n] : std::as_const(pairs)) {
        if (!topics.contains(n))
            topics.insert(n, addQuestions(QStringLiteral("Тема %1").arg(n), n));
    }

    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO norvena_setting VALUES ('gradings_per_pc_and_hour', '100000')"));
    auto student = m_server->student();
    QVERIFY2(student->isOpen(), qPrintable(student->openError()));
    int graded = 0;
    for (const auto& [k, n] : std::as_const(pairs)) {
        QList<QPair<int, QVariant>> entries;
        const QList<int>& ids = topics.value(n);
        for (int i = 0; i < n; ++i)
            entries.append({ids[i], i < k ? QStringLiteral("A") : QStringLiteral("B")});
        QString error;
        const QVariantList r = grade(*student, QStringLiteral("%1 из %2").arg(k).arg(n),
                                     QStringLiteral("Тема %1").arg(n), sheet(entries), kNone, &error);
        QVERIFY2(r.size() == 5, qPrintable(error));
        const grading::Grade expected = grading::grade(k, n);
        const QString what = QStringLiteral("%1 of %2").arg(k).arg(n);
        QVERIFY2(r.value(0).toInt() == k && r.value(1).toInt() == n, qPrintable(what));
        QVERIFY2(r.value(2).toString() == expected.fivePoint, qPrintable(what + u' ' + r.value(2).toString()));
        QVERIFY2(r.value(3).toString() == expected.letterText, qPrintable(what + u' ' + r.value(3).toString()));
        QVERIFY2(r.value(4).toString() == expected.letter, qPrintable(what + u' ' + r.value(4).toString()));
        ++graded;
    }

    QCOMPARE(admin->scalar("SELECT count(*) FROM result").toInt(), graded);
    for (const QVariantList& row : admin->rows("SELECT fio, kol, ocenka, data = (now() AT TIME ZONE "
                                               "(SELECT value FROM norvena_setting WHERE name = 'time_zone'))::date "
                                               "FROM result")) {
        const QStringList kn = row.value(0).toString().split(QStringLiteral(" из "));
        const int k = kn.value(0).toInt();
        const int n = kn.value(1).toInt();
        QCOMPARE(row.value(1).toString(), QString::number(n));
        QCOMPARE(row.value(2).toString(), grading::grade(k, n).letter);
        QVERIFY(row.value(3).toBool());
    }
}

// A topic without questions: the server refuses as the program does, and
// stores nothing.
void TestServer::gradingWithoutQuestions()
{
    QString programs;
    try {
        grading::grade(0, 0);
    } catch (const Error& e) {
        programs = e.message();
    }
    auto student = m_server->student();
    QSqlQuery q(student->db());
    q.prepare(QStringLiteral("SELECT norvena_grade(?::uuid, NULL, ?, ?, ?)"));
    q.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
    q.addBindValue(QStringLiteral("Иванов"));
    q.addBindValue(QStringLiteral("Пустая тема"));
    q.addBindValue(QStringLiteral("[]"));
    QVERIFY(!q.exec());
    QCOMPARE(engineMessage(q.lastError()), programs);
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM result").toInt(), 0);
}

// A student is graded on the questions and letters of the run he or she
// started, whatever the teacher adds, deletes or corrects meanwhile; a new
// choice of the topic starts from the questions as they then stand.
void TestServer::runKeepsTheQuestionsOfItsStart()
{
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 3, QStringLiteral("B"));
    auto student = m_server->student();
    int count = 0;
    const QString run = startRun(*student, QStringLiteral("Пушкин"), &count);
    QCOMPARE(count, 3);

    auto teacher = m_server->teacher();
    QVERIFY(teacher->exec("UPDATE test SET otv = 'E' WHERE id = ?", {ids[0]}));
    QVERIFY(teacher->exec("DELETE FROM test WHERE id = ?", {ids[1]}));
    QVERIFY(teacher->exec("INSERT INTO test (rasdel, otv) VALUES ('Пушкин', 'C')"));

    const QString answers = sheet({{ids[0], "B"}, {ids[1], "B"}, {ids[2], "B"}});
    QCOMPARE(grade(*student, "Петров", "Пушкин", answers, run).mid(0, 2), (QVariantList{3, 3}));

    const QString again = startRun(*student, QStringLiteral("Пушкин"), &count);
    QCOMPARE(count, 3);
    QCOMPARE(grade(*student, "Петров", "Пушкин", answers, again).mid(0, 2), (QVariantList{1, 3}));

    // The run is the server's, not the session's: another session (the
    // copy after a lost connection) grades against it too.
    auto other = m_server->student();
    QCOMPARE(grade(*other, "Петров", "Пушкин", answers, run).mid(0, 2), (QVariantList{3, 3}));
    // Without a run: the topic's questions as they stand.
    QCOMPARE(grade(*other, "Сидоров", "Пушкин", answers).mid(0, 2), (QVariantList{1, 3}));
}

// A sheet that names one question many times, or questions of another
// topic, gains nothing; absent letters are equal to absent correct letters.
void TestServer::sheetCountsEachQuestionOnce()
{
    const QList<int> ids = addQuestions(QStringLiteral("Гоголь"), 4, QStringLiteral("D"));
    const QList<int> others = addQuestions(QStringLiteral("Толстой"), 2, QStringLiteral("D"));
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("UPDATE test SET otv = NULL WHERE id = ?", {ids[3]}));
    auto student = m_server->student();
    const QString answers =
        sheet({{ids[0], "D"}, {ids[0], "D"}, {ids[0], "D"}, {others[0], "D"}, {others[1], "D"}, {ids[3], QVariant()}});
    QCOMPARE(grade(*student, "", "Гоголь", answers).mid(0, 2), (QVariantList{2, 4}));
    // The first entry for a question counts; a question the sheet leaves
    // out is not answered, even where its correct letter is absent.
    QCOMPARE(grade(*student, "", "Гоголь", sheet({{ids[1], "A"}, {ids[1], "D"}, {ids[2], "D"}})).value(0).toInt(), 1);
}

// The calls the test window makes: a run of a topic, a grading of its sheet
// (absent letters and absent question numbers included), and a grading with
// no topic chosen, against every question.
void TestServer::programsGradingCalls()
{
    const QList<int> ids = addQuestions(QStringLiteral("Поэма 'Мцыри'"), 4, QStringLiteral("B"));
    addQuestions(QStringLiteral("Гоголь"), 6, QStringLiteral("B"));
    // The program's own connection, as the course's settings file makes it.
    Connection student(QStringLiteral("ADOConnection1"));
    student.setConnectionString(QStringLiteral("Data Source=%1/test.mdb").arg(m_folder->path()));
    student.open();
    QVERIFY(student.server());
    const QUuid run = QUuid::createUuid();
    QCOMPARE(server_grading::startRun(student, run, QStringLiteral("Поэма 'Мцыри'")), 4);
    const QUuid attempt = QUuid::createUuid();
    const QList<QPair<QVariant, QVariant>> answers{{ids[0], "B"}, {ids[1], QVariant()}, {QVariant(), "B"}, {ids[3], "B"}};
    const server_grading::Outcome o =
        server_grading::grade(student, attempt, run, QStringLiteral("Сидоров Пётр"), QStringLiteral("Поэма 'Мцыри'"),
                              answers);
    QCOMPARE(o.correct, 2);
    QCOMPARE(o.questions, 4);
    QCOMPARE(o.fivePoint, QStringLiteral("3"));
    QCOMPARE(o.letterText, QStringLiteral("D (1.0)"));
    QCOMPARE(o.letter, QStringLiteral("D"));

    // Sent again under the same key (its answer lost on the way): the same
    // outcome, and no second row.
    const server_grading::Outcome twice =
        server_grading::grade(student, attempt, run, QStringLiteral("Сидоров Пётр"), QStringLiteral("Поэма 'Мцыри'"),
                              answers);
    QCOMPARE(twice.correct, 2);
    QCOMPARE(twice.letter, QStringLiteral("D"));

    const server_grading::Outcome all = server_grading::grade(student, QUuid::createUuid(), QUuid(), QString(), QVariant(), {});
    QCOMPARE(all.questions, 10);
    QCOMPARE(all.correct, 0);
    QCOMPARE(m_server->administrator()->rows("SELECT fio, kol, ocenka FROM result ORDER BY rowid"),
             (QList<QVariantList>{{"Сидоров Пётр", "4", "D"}, {"", "10", "F"}}));
}

void TestServer::damagedSheet()
{
    addQuestions(QStringLiteral("Гоголь"), 2);
    auto student = m_server->student();
    for (const char* damaged : {"not json", "{\"a\": 1}", "[[\"x\", \"A\"]]"}) {
        QString error;
        QVERIFY(grade(*student, "", "Гоголь", QString::fromLatin1(damaged), kNone, &error).isEmpty());
        QVERIFY2(error.contains(QStringLiteral("The answer sheet sent for grading is damaged")), qPrintable(error));
    }
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM result").toInt(), 0);
}

void TestServer::studentIsRefused_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("read the correct letters") << "SELECT otv FROM test";
    QTest::newRow("read whole question rows") << "SELECT * FROM test";
    QTest::newRow("read the letters through a join") << "SELECT t.id FROM test t WHERE t.otv = 'A'";
    QTest::newRow("read the run records") << "SELECT * FROM norvena_run";
    QTest::newRow("read the gradings") << "SELECT * FROM norvena_graded";
    QTest::newRow("read the runs' answers") << "SELECT verno FROM otvety";
    QTest::newRow("write an answer") << "INSERT INTO otvety (result, id, nom, otv, verno) VALUES (1, 1, 1, 'A', 'A')";
    QTest::newRow("take answers away") << "DELETE FROM otvety";
    QTest::newRow("change the zone of the results' day") << "UPDATE norvena_setting SET value = 'Etc/GMT-14'";
    QTest::newRow("make a table of the session's own")
        << "CREATE TEMP TABLE norvena_run (run uuid, topic text, ids integer[], letters text[])";
    QTest::newRow("catalogue entry without a title") << "INSERT INTO media (file) VALUES ('x.avi')";
    QTest::newRow("catalogue entry without a file") << "INSERT INTO media (name) VALUES ('Фильм')";
    QTest::newRow("catalogue entry with an absent title") << "INSERT INTO media (name, file) VALUES (NULL, 'x.avi')";
    QTest::newRow("catalogue entry with a chosen key")
        << "INSERT INTO media (rowid, name, file) OVERRIDING SYSTEM VALUE VALUES (1, 'a', 'b')";
    QTest::newRow("change a catalogue entry") << "UPDATE media SET name = NULL";
    QTest::newRow("catalogue entry outside the media folder")
        << "INSERT INTO media (name, file) VALUES ('Лекция', '../../../bin/sh')";
    QTest::newRow("catalogue entry with a full path") << "INSERT INTO media (name, file) VALUES ('Лекция', '/etc/passwd')";
    QTest::newRow("catalogue entry with a drive") << "INSERT INTO media (name, file) VALUES ('Лекция', 'C:x.exe')";
    QTest::newRow("count the pages of the results") << "SELECT pg_relation_size('result')";
    QTest::newRow("the size of the database") << "SELECT pg_database_size(current_database())";
    QTest::newRow("the position of the server's log") << "SELECT pg_current_wal_insert_lsn()";
    QTest::newRow("a large object") << "SELECT lo_from_bytea(0, '\\x00')";
    QTest::newRow("spill without limit") << "SET temp_file_limit = -1";
    QTest::newRow("another PC's password") << "ALTER ROLE norvena_pc2 PASSWORD 'x'";
    QTest::newRow("another PC's settings") << "ALTER ROLE norvena_pc2 SET default_transaction_read_only = on";
    QTest::newRow("the group's settings") << "ALTER ROLE norvena_students SET statement_timeout = '1ms'";
    QTest::newRow("the teacher's password") << "ALTER ROLE norvena_teacher PASSWORD 'x'";
    QTest::newRow("a higher connection limit") << "ALTER ROLE CURRENT_USER CONNECTION LIMIT 1000";
    QTest::newRow("end another PC's sessions")
        << "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename IN ('norvena_pc2', "
           "'norvena_teacher')";
    QTest::newRow("store a result")
        << "INSERT INTO result (fio, data, kol, ocenka) VALUES ('Хакер', current_date, '40', 'A')";
    QTest::newRow("change a result") << "UPDATE result SET ocenka = 'A'";
    QTest::newRow("delete a result") << "DELETE FROM result";
    QTest::newRow("empty the results") << "TRUNCATE result";
    QTest::newRow("change a correct letter") << "UPDATE test SET otv = 'A'";
    QTest::newRow("add a question") << "INSERT INTO test (rasdel, otv) VALUES ('Пушкин', 'A')";
    QTest::newRow("delete a question") << "DELETE FROM test";
    QTest::newRow("change a topic") << "UPDATE temi SET rasdel = 'x'";
    QTest::newRow("add a topic") << "INSERT INTO temi (rasdel) VALUES ('x')";
    QTest::newRow("change the grading rules") << "UPDATE norvena_grade_rule SET from_percent = 0";
    QTest::newRow("make a table") << "CREATE TABLE public.result2 (fio text)";
    QTest::newRow("replace the grading function")
        << "CREATE OR REPLACE FUNCTION public.norvena_outcome(p_attempt uuid, OUT correct integer, "
           "OUT questions integer, OUT five_point text, OUT letter_text text, OUT letter_code text) "
           "LANGUAGE sql AS $$ SELECT 40, 40, '5', 'A (4.0)', 'A' $$";
    QTest::newRow("become the teacher") << "SET ROLE norvena_teacher";
}

// Each statement is refused, and the results, the questions and the rules
// are as they were. A student's session sees no stored result.
void TestServer::studentIsRefused()
{
    QFETCH(QString, statement);
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 2);
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO result (fio, data, kol, ocenka) VALUES ('Иванов', '2024-05-20', '2', 'F')"));
    QVERIFY(admin->exec("INSERT INTO media (name, file) VALUES ('Фильм', 'фильм.avi')"));
    const char* everything = "SELECT 'result', rowid, fio || data || kol || ocenka FROM result UNION ALL "
                             "SELECT 'test', rowid, id || ' ' || nom || ' ' || nom1 || test || rasdel || otv "
                             "FROM test UNION ALL SELECT 'media', rowid, coalesce(name, '-') || coalesce(file, '-') "
                             "FROM media UNION ALL SELECT 'setting', 0, value FROM norvena_setting "
                             "UNION ALL SELECT 'roles', 0, string_agg(rolname || rolpassword || rolconnlimit "
                             "|| coalesce(array_to_string(s.setconfig, ','), ''), ';' ORDER BY rolname) "
                             "FROM pg_authid a LEFT JOIN pg_db_role_setting s ON s.setrole = a.oid "
                             "WHERE rolname LIKE 'norvena%' ORDER BY 1, 2";
    const auto before = admin->rows(everything);
    QCOMPARE(before.size(), 6);
    const auto rules = admin->rows("SELECT * FROM norvena_grade_rule ORDER BY 1, 2");

    auto student = m_server->student();
    QVERIFY2(student->isOpen(), qPrintable(student->openError()));
    auto otherPc = m_server->otherPc();
    QVERIFY2(otherPc->isOpen(), qPrintable(otherPc->openError()));
    int count = 0;
    startRun(*student, QStringLiteral("Пушкин"), &count);
    QCOMPARE(count, 2);
    QString error;
    QVERIFY2(!student->exec(statement, {}, &error), "the statement was carried out");
    QVERIFY2(!error.isEmpty(), "no message");

    QCOMPARE(admin->rows(everything), before);
    QCOMPARE(admin->rows("SELECT * FROM norvena_grade_rule ORDER BY 1, 2"), rules);
    auto again = m_server->student();
    QCOMPARE(again->rows("SELECT * FROM result").size(), 0);
    QCOMPARE(otherPc->scalar("SELECT 1").toInt(), 1); // still connected
}

// What the test window and the catalogue need of the server as a student.
void TestServer::studentMayDoWhatTheCopyDoes()
{
    addQuestions(QStringLiteral("Пушкин"), 2);
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO temi (rasdel) VALUES ('Пушкин')"));
    auto student = m_server->student();
    QCOMPARE(student->rows("SELECT rowid, id, nom, nom1, test, rasdel FROM test").size(), 2);
    QCOMPARE(student->rows("SELECT rasdel FROM temi").size(), 1);
    QVERIFY(student->exec("INSERT INTO media (name, file) VALUES ('Фильм', 'фильм.avi')"));
    QVERIFY(student->exec("INSERT INTO media (name, file) VALUES ('', '') RETURNING rowid, name, file"));
    QCOMPARE(student->rows("SELECT name, file FROM media").size(), 2);
    QCOMPARE(student->rows("SELECT * FROM result").size(), 0);
}

void TestServer::teacherMayDoWhatTheEditorAndRegisterDo()
{
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 2, QStringLiteral("E"));
    auto student = m_server->student();
    QVERIFY(!grade(*student, "Иванов", "Пушкин", sheet({{ids[0], "E"}})).isEmpty());

    auto teacher = m_server->teacher();
    QVERIFY2(teacher->isOpen(), qPrintable(teacher->openError()));
    QCOMPARE(teacher->rows("SELECT otv FROM test").size(), 2);
    QVERIFY(teacher->exec("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (3, 3, 'Новый', 'Пушкин', 'A')"));
    QVERIFY(teacher->exec("UPDATE test SET nom1 = nom1 + 10"));
    QVERIFY(teacher->exec("DELETE FROM test WHERE id = ?", {ids[1]}));
    QCOMPARE(teacher->rows("SELECT fio, kol, ocenka FROM result").value(0), (QVariantList{"Иванов", "2", "D"}));
    // The run's answers, for the statistics: each question of the run with
    // the letter given and its own; they go with their result row.
    QCOMPARE(teacher->rows("SELECT a.id, a.nom, coalesce(a.otv, '(none)'), a.verno, a.rasdel FROM otvety a "
                           "JOIN result r ON r.rowid = a.result ORDER BY a.nom"),
             (QList<QVariantList>{{ids[0], 1, "E", "E", "Пушкин"}, {ids[1], 2, "(none)", "E", "Пушкин"}}));
    QVERIFY(teacher->exec("UPDATE result SET fio = 'Иванов И.И.'"));
    QVERIFY(teacher->exec("INSERT INTO result (fio, data, kol, ocenka) VALUES ('Петров', '2024-01-02', '3', 'C')"));
    QVERIFY(teacher->exec("DELETE FROM result WHERE fio = 'Петров'"));
    QVERIFY(teacher->exec("DELETE FROM result WHERE fio = 'Иванов И.И.'"));
    QCOMPARE(teacher->scalar("SELECT count(*) FROM otvety").toInt(), 0);
    QVERIFY(teacher->exec("INSERT INTO temi (rasdel) VALUES ('Гоголь')")); // the editor's question import
    QVERIFY(teacher->exec("INSERT INTO media (name, file) VALUES ('a', 'b')"));
    QVERIFY(teacher->exec("UPDATE media SET file = 'c'"));
    QVERIFY(teacher->exec("DELETE FROM media"));

    PgSession wrong(*m_cluster, m_server->database(), QString::fromLatin1(ServerCourse::kTeacher),
                    QStringLiteral("quartz"));
    QVERIFY(!wrong.isOpen());
    QVERIFY2(wrong.openError().contains(QStringLiteral("password authentication failed")),
             qPrintable(wrong.openError()));
}

// Setting up again keeps the rows and gives the same rights.
void TestServer::setUpIsRepeatable()
{
    addQuestions(QStringLiteral("Пушкин"), 2);
    server::Roles roles = ServerCourse::roles();
    roles.pcPassword.clear();
    roles.teacherPassword.clear();
    server::setUp(m_server->admin(), roles); // passwords kept
    auto student = m_server->student();
    QVERIFY2(student->isOpen(), qPrintable(student->openError()));
    QCOMPARE(student->rows("SELECT id FROM test").size(), 2);
    QString error;
    QVERIFY(!student->exec("SELECT otv FROM test", {}, &error));
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM norvena_grade_rule").toInt(),
             int(grading::fivePointRules().size() + grading::letterRules().size()));
}

// Grading inside a transaction of the student's own tells nothing: the
// grade is refused until the result row is committed, and rolled back the
// row is gone with what could have been learnt. Each grade told costs a
// row the teacher sees, which the student cannot take back.
void TestServer::gradeIsToldOnlyOnceStored_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("read");
    QTest::newRow("in the grading's transaction") << QStringList{"BEGIN"} << "outcome";
    QTest::newRow("in a savepoint released") << QStringList{"BEGIN", "SAVEPOINT a"} << "RELEASE SAVEPOINT a";
    QTest::newRow("in a savepoint rolled back") << QStringList{"BEGIN", "SAVEPOINT a"} << "ROLLBACK TO SAVEPOINT a";
    QTest::newRow("in one statement with the grading") << QStringList{"BEGIN"} << "together";
}

void TestServer::gradeIsToldOnlyOnceStored()
{
    QFETCH(QStringList, before);
    QFETCH(QString, read);
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 3, QStringLiteral("C"));
    auto student = m_server->student();
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString answers = sheet({{ids[0], "C"}});
    for (const QString& statement : before)
        QVERIFY(student->exec(statement));
    QString error;
    const char* outcome = "SELECT correct FROM norvena_outcome(?::uuid)";
    if (read == QLatin1String("together")) {
        QVERIFY(!student->exec("SELECT norvena_grade(?::uuid, NULL, 'Хакер', 'Пушкин', ?), "
                               "(SELECT correct FROM norvena_outcome(?::uuid))",
                               {key, answers, key}, &error));
    } else {
        QVERIFY(student->exec("SELECT norvena_grade(?::uuid, NULL, 'Хакер', 'Пушкин', ?)", {key, answers}, &error));
        if (read != QLatin1String("outcome"))
            QVERIFY(student->exec(read));
        QVERIFY2(student->rows(outcome, {key}, &error).isEmpty(), "the grade was told inside the transaction");
    }
    QVERIFY2(error.contains(QStringLiteral("commit the grading first")) || error.contains("aborted") ||
                 error.contains(QStringLiteral("No grading is stored")),
             qPrintable(error));
    student->exec("ROLLBACK");
    QVERIFY(student->rows(outcome, {key}, &error).isEmpty());
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM result").toInt(), 0);

    // Committed, the grade is told, and its row stays for good.
    QCOMPARE(grade(*student, "Хакер", "Пушкин", answers).mid(0, 2), (QVariantList{1, 3}));
    QVERIFY(!student->exec("DELETE FROM result"));
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM result").toInt(), 1);
}

// Whatever the session asks the server to say (plans, parse trees, every
// level of message), no message tells a correct letter.
void TestServer::noMessageTellsALetter()
{
    // Letters in an order that no message would show by chance.
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 1, QStringLiteral("E"));
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO test (rasdel, otv) VALUES ('Пушкин', 'D'), ('Пушкин', 'D'), ('Пушкин', 'B')"));
    auto student = m_server->student();
    for (const char* setting : {"SET client_min_messages = debug5", "SET debug_print_plan = on",
                                "SET debug_print_parse = on", "SET debug_print_rewritten = on",
                                "SET debug_pretty_print = off", "SET trace_sort = on"})
        QVERIFY2(student->exec(setting), setting);

    // Every message the server sends the session, as any client sees it.
    QStringList messages;
    const QVariant handle = student->db().driver()->handle();
    QVERIFY2(qstrcmp(handle.typeName(), "pg_conn*") == 0, handle.typeName());
    PGconn* connection = *static_cast<PGconn* const*>(handle.constData());
    PQsetNoticeProcessor(
        connection, [](void* to, const char* m) { static_cast<QStringList*>(to)->append(QString::fromUtf8(m)); },
        &messages);
    const QString run = startRun(*student, QStringLiteral("Пушкин"));
    QVariantList graded = grade(*student, "Хакер", "Пушкин", sheet({{ids[0], "A"}}), run);
    QString error;
    grade(*student, "Хакер", "Пушкин", "not json", run, &error);
    PQsetNoticeProcessor(connection, nullptr, nullptr);

    QCOMPARE(graded.mid(0, 2), (QVariantList{0, 4}));
    // The session's own statements are talked about (so messages do come)...
    QVERIFY2(messages.join(u'\n').contains(QStringLiteral("norvena_grade")), qPrintable(messages.join(u'\n')));
    // ...but nothing of the letters the functions work with.
    for (const QString& m : std::as_const(messages)) {
        QVERIFY2(!m.contains(QStringLiteral("E,D,D,B")) && !m.contains(QStringLiteral("\"E\",\"D\"")) &&
                     !m.contains(QStringLiteral("letters")) && !m.contains(QStringLiteral("otv")),
                 qPrintable(m));
    }
    QVERIFY(!error.contains(QStringLiteral("E,D")));
}

// The day of a result is the server's day in the zone that setup stored,
// whatever zone the client's session or its role asks for.
void TestServer::resultIsDatedInTheAdministratorsZone_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("reconnect");
    QTest::newRow("session far ahead") << "SET TimeZone = 'Etc/GMT-14'" << false;
    QTest::newRow("session far behind") << "SET TimeZone = 'Etc/GMT+12'" << false;
    QTest::newRow("POSIX zone a week away") << "SET TimeZone = 'XXX-167'" << false;
    QTest::newRow("the role's own setting") << "ALTER ROLE CURRENT_USER SET TimeZone = 'XXX+167'" << true;
}

void TestServer::resultIsDatedInTheAdministratorsZone()
{
    QFETCH(QString, statement);
    QFETCH(bool, reconnect);
    addQuestions(QStringLiteral("Пушкин"), 1);
    addQuestions(QStringLiteral("Лермонтов"), 2, QStringLiteral("B"));
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("UPDATE norvena_setting SET value = 'Europe/Moscow' WHERE name = 'time_zone'"));
    auto student = m_server->student();
    QVERIFY(student->exec(statement));
    if (reconnect)
        student = m_server->student();
    QVERIFY(!grade(*student, "Иванов", "Пушкин", "[]").isEmpty());
    QCOMPARE(admin->scalar("SELECT data = (now() AT TIME ZONE 'Europe/Moscow')::date FROM result").toBool(), true);
    // Through the program as well.
    QVERIFY(programsRun(QString::fromLatin1(ServerCourse::kStudent), QString::fromUtf8(ServerCourse::kStudentPassword))
                .endsWith(QStringLiteral("of 2")));
    QCOMPARE(admin->scalar("SELECT count(*) FROM result WHERE data <> (now() AT TIME ZONE 'Europe/Moscow')::date")
                 .toInt(),
             0);
    QVERIFY(admin->exec("ALTER ROLE norvena_student RESET ALL"));
}

// What a student may do to the role of his or her own PC stops no other PC:
// the other PC takes a whole test run and is graded; where the PC's own
// copy can still log in, it works too, since it sets its session itself.
void TestServer::onePcCannotStopAnother_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("ownPcWorks");
    QTest::newRow("own password") << "ALTER ROLE CURRENT_USER PASSWORD 'x'" << false;
    QTest::newRow("read-only transactions") << "ALTER ROLE CURRENT_USER SET default_transaction_read_only = on" << true;
    QTest::newRow("statement time-out") << "ALTER ROLE CURRENT_USER SET statement_timeout = '1ms'" << true;
    QTest::newRow("lock time-out") << "ALTER ROLE CURRENT_USER SET lock_timeout = '1ms'" << true;
    QTest::newRow("idle session time-out") << "ALTER ROLE CURRENT_USER SET idle_session_timeout = '1ms'" << true;
    QTest::newRow("search path") << "ALTER ROLE CURRENT_USER SET search_path = pg_catalog" << true;
    QTest::newRow("row security off") << "ALTER ROLE CURRENT_USER SET row_security = off" << true;
    QTest::newRow("a library to load") << "ALTER ROLE CURRENT_USER SET local_preload_libraries = 'nothing'" << true;
    QTest::newRow("in the database only")
        << "ALTER ROLE CURRENT_USER IN DATABASE %1 SET default_transaction_read_only = on" << true;
    QTest::newRow("end every session of the lab")
        << "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid <> pg_backend_pid()" << true;
}

void TestServer::onePcCannotStopAnother()
{
    QFETCH(QString, statement);
    QFETCH(bool, ownPcWorks);
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO test (rasdel, otv) VALUES ('Лермонтов', 'B'), ('Лермонтов', 'A')"));
    auto other = m_server->otherPc();
    auto teacher = m_server->teacher();
    QVERIFY(other->isOpen() && teacher->isOpen());

    auto student = m_server->student();
    QString error;
    student->exec(statement.arg(m_server->database()), {}, &error); // refused or not: what it leaves counts

    QCOMPARE(programsRun(QString::fromLatin1(ServerCourse::kOtherPc), QString::fromUtf8(ServerCourse::kOtherPcPassword)),
             QStringLiteral("1 of 2"));
    QCOMPARE(other->scalar("SELECT 1").toInt(), 1);   // its session was not ended
    QCOMPARE(teacher->scalar("SELECT 1").toInt(), 1); // nor the teacher's
    if (ownPcWorks)
        QCOMPARE(programsRun(QString::fromLatin1(ServerCourse::kStudent),
                             QString::fromUtf8(ServerCourse::kStudentPassword)),
                 QStringLiteral("1 of 2"));
    QVERIFY(admin->exec("ALTER ROLE norvena_student RESET ALL"));
    QVERIFY(admin->exec(QStringLiteral("ALTER ROLE norvena_student IN DATABASE %1 RESET ALL").arg(m_server->database())));
    QVERIFY(admin->exec("ALTER ROLE norvena_student PASSWORD 'ученик 1'"));
}

// One PC may hold only a few sessions: the others and the teacher still
// find room on a server whose slots a student tries to fill.
void TestServer::connectionSlotsLeaveRoomForOthers()
{
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO test (rasdel, otv) VALUES ('Лермонтов', 'B'), ('Лермонтов', 'A')"));
    std::vector<std::unique_ptr<PgSession>> hoard;
    QString refused;
    for (int i = 0; i < 200 && refused.isEmpty(); ++i) {
        hoard.push_back(m_server->student());
        if (!hoard.back()->isOpen())
            refused = hoard.back()->openError();
    }
    QCOMPARE(int(hoard.size()), server::kPcConnectionLimit + 1);
    QVERIFY2(refused.contains(QStringLiteral("too many connections")), qPrintable(refused));
    QCOMPARE(programsRun(QString::fromLatin1(ServerCourse::kOtherPc), QString::fromUtf8(ServerCourse::kOtherPcPassword)),
             QStringLiteral("1 of 2"));
    auto teacher = m_server->teacher();
    QVERIFY2(teacher->isOpen(), qPrintable(teacher->openError()));
}

// What a call may cost the server is bounded: a sheet or a topic far
// larger than any course is refused before it is worked on.
void TestServer::oversizedInputIsRefusedAtOnce_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("message");
    QString million = QStringLiteral("[");
    for (int i = 0; i < 1000000; ++i)
        million += QStringLiteral("[1,\"A\"],");
    million += QStringLiteral("[1,\"A\"]]");
    QString many = QStringLiteral("[");
    for (int i = 0; i < 20000; ++i)
        many += QStringLiteral("[1,null],");
    many += QStringLiteral("[1,null]]");
    QTest::newRow("a sheet of a million entries")
        << "SELECT norvena_grade(gen_random_uuid(), NULL, '', 'Пушкин', ?)" << million << "too long";
    QTest::newRow("a sheet of 20001 entries")
        << "SELECT norvena_grade(gen_random_uuid(), NULL, '', 'Пушкин', ?)" << many << "too long";
    QTest::newRow("a topic of a megabyte")
        << "SELECT norvena_start_run(gen_random_uuid(), ?)" << QString(1 << 20, u'я') << "too long";
}

void TestServer::oversizedInputIsRefusedAtOnce()
{
    QFETCH(QString, call);
    QFETCH(QString, argument);
    QFETCH(QString, message);
    addQuestions(QStringLiteral("Пушкин"), 2);
    auto student = m_server->student();
    QElapsedTimer timer;
    timer.start();
    QString error;
    QVERIFY(!student->exec(call, {argument}, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM result").toInt(), 0);
}

// A wrong password of the teacher's role is answered only after a pause
// (the server's auth_delay, as the lab is set up): guessing is slow.
void TestServer::failedTeacherLoginsAreSlowed()
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 3; ++i) {
        PgSession guess(*m_cluster, m_server->database(), QString::fromLatin1(ServerCourse::kTeacher),
                        QStringLiteral("guess %1").arg(i));
        QVERIFY(!guess.isOpen());
    }
    QVERIFY2(timer.elapsed() >= 3 * PgCluster::kAuthDelayMs, qPrintable(QString::number(timer.elapsed())));
}

// A PC that starts runs or sends gradings by the thousand (to fill the
// server, or results under classmates' names) is stopped after its hour's
// share; the other PCs go on.
void TestServer::onePcsFloodIsBounded_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("call");
    QTest::newRow("test runs") << "runs_per_pc_and_hour" << "SELECT norvena_start_run(gen_random_uuid(), 'Лермонтов')";
    QTest::newRow("gradings") << "gradings_per_pc_and_hour"
                              << "SELECT norvena_grade(gen_random_uuid(), NULL, 'Иванов', 'Лермонтов', '[]')";
}

void TestServer::onePcsFloodIsBounded()
{
    QFETCH(QString, setting);
    QFETCH(QString, call);
    addQuestions(QStringLiteral("Лермонтов"), 2, QStringLiteral("B"));
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO norvena_setting VALUES (?, '3')", {setting}));
    auto student = m_server->student();
    for (int i = 0; i < 3; ++i)
        QVERIFY(student->exec(call));
    QString error;
    QVERIFY(!student->exec(call, {}, &error));
    QVERIFY2(error.contains(QStringLiteral("Too many")), qPrintable(error));
    QCOMPARE(programsRun(QString::fromLatin1(ServerCourse::kOtherPc), QString::fromUtf8(ServerCourse::kOtherPcPassword)),
             QStringLiteral("2 of 2"));
}

// The rows a grading writes take the same room for every grade, so that
// counting pages (or the log) inside a rolled-back transaction tells
// nothing even where a function for it is left.
void TestServer::gradingsTakeTheSameRoomWhateverTheGrade()
{
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 20, QStringLiteral("C"));
    auto student = m_server->student();
    // k of 20: 0 "F", 10 "D", 12 "C-", 19 "A" (letters of one and of two characters).
    for (int k : {0, 10, 12, 19}) {
        QList<QPair<int, QVariant>> entries;
        for (int i = 0; i < 20; ++i)
            entries.append({ids[i], i < k ? "C" : "A"});
        QVERIFY(!grade(*student, "abcd", "Пушкин", sheet(entries)).isEmpty());
    }
    auto admin = m_server->administrator();
    QCOMPARE(admin->rows("SELECT DISTINCT pg_column_size(r.*) FROM result r").size(), 1);
    QCOMPARE(admin->rows("SELECT DISTINCT pg_column_size(g.*) FROM norvena_graded g").size(), 1);
    QCOMPARE(admin->rows("SELECT DISTINCT pg_column_size(a.*) FROM otvety a").size(), 1);
    QCOMPARE(admin->scalar("SELECT count(*) FROM otvety").toInt(), 4 * 20);
    QCOMPARE(admin->rows("SELECT ocenka FROM result ORDER BY rowid"),
             (QList<QVariantList>{{"F"}, {"D"}, {"C-"}, {"A"}}));
}

// The server's statistics of what a statement read (which a session sees
// for its own transaction, even rolled back) are the same for every grade,
// whatever plans the session asks for.
void TestServer::gradingDoesTheSameWorkWhateverTheGrade()
{
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 11, QStringLiteral("C"));
    auto student = m_server->student();
    for (const char* setting : {"SET enable_seqscan = off", "SET enable_sort = off", "SET enable_bitmapscan = off"})
        QVERIFY(student->exec(setting));
    // What the statement reads of the questions, the rules and the results
    // (the clean-up and the quota read the PC's earlier gradings, which do
    // not depend on the grade).
    const char* reads = "SELECT string_agg(c.relname || ' ' || pg_stat_get_xact_tuples_returned(c.oid) || ' ' || "
                        "pg_stat_get_xact_tuples_fetched(c.oid) || ' ' || pg_stat_get_xact_numscans(c.oid), ';' "
                        "ORDER BY c.relname) FROM pg_class c WHERE c.relname IN ('norvena_grade_rule', "
                        "'norvena_grade_rule_pkey', 'test', 'norvena_test_rasdel', 'result', 'result_pkey')";
    QSet<QString> readings;
    for (int k : {0, 5, 9, 10, 11}) {
        QList<QPair<int, QVariant>> entries;
        for (int i = 0; i < 11; ++i)
            entries.append({ids[i], i < k ? "C" : "A"});
        QVERIFY(student->exec("BEGIN"));
        const QString before = student->scalar(reads).toString();
        QVERIFY(student->exec("SELECT norvena_grade(gen_random_uuid(), NULL, 'x', 'Пушкин', ?)", {sheet(entries)}));
        const QString after = student->scalar(reads).toString();
        QVERIFY(student->exec("ROLLBACK"));
        // The difference, relation by relation.
        const QStringList b = before.split(u';');
        const QStringList a = after.split(u';');
        QStringList delta;
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QStringList x = b.value(i).split(u' ');
            const QStringList y = a.value(i).split(u' ');
            delta << y.value(0) + u' ' + QString::number(y.value(1).toLongLong() - x.value(1).toLongLong()) + u' ' +
                         QString::number(y.value(2).toLongLong() - x.value(2).toLongLong()) + u' ' +
                         QString::number(y.value(3).toLongLong() - x.value(3).toLongLong());
        }
        readings.insert(delta.join(u';'));
    }
    QVERIFY2(readings.size() == 1, qPrintable(QStringList(readings.values()).join(u'\n')));
}

// A PC's session that takes the group's role is held to the catalogue's
// rule all the same.
void TestServer::theGroupsRoleKeepsTheCatalogueRule_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("no title") << "INSERT INTO media (name, file) VALUES (NULL, 'a.avi')";
    QTest::newRow("a path") << "INSERT INTO media (name, file) VALUES ('Лекция', '../../bin/sh')";
    QTest::newRow("a path by update") << "UPDATE media SET file = '/etc/passwd'";
}

void TestServer::theGroupsRoleKeepsTheCatalogueRule()
{
    QFETCH(QString, statement);
    auto student = m_server->student();
    QVERIFY(student->exec("SET ROLE norvena_students"));
    QString error;
    QVERIFY(!student->exec(statement, {}, &error));
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM media WHERE file LIKE '%/%' OR name IS NULL")
                 .toInt(),
             0);
}

// A result is dated with the day it is stored: a grading sent in a
// transaction opened long before (to date it back) is refused.
void TestServer::gradingInAnOldTransactionIsRefused()
{
    addQuestions(QStringLiteral("Пушкин"), 1);
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO norvena_setting VALUES ('grading_patience', '1 second')"));
    auto student = m_server->student();
    QVERIFY(student->exec("BEGIN"));
    QVERIFY(student->exec("SELECT 1"));
    QTest::qWait(1500);
    QString error;
    QVERIFY(!student->exec("SELECT norvena_grade(gen_random_uuid(), NULL, 'x', 'Пушкин', '[]')", {}, &error));
    QVERIFY2(error.contains(QStringLiteral("transaction of its own")), qPrintable(error));
    student->exec("ROLLBACK");
    QVERIFY(!grade(*student, "x", "Пушкин", "[]").isEmpty());
}

// The clean-up of old runs and gradings skips what another session holds:
// a student who keeps it locked in an open transaction stops nobody.
void TestServer::oldRunsHeldByOneSessionStopNobody()
{
    addQuestions(QStringLiteral("Лермонтов"), 2, QStringLiteral("B"));
    auto admin = m_server->administrator();
    QVERIFY(admin->exec("INSERT INTO norvena_run (run, topic, ids, letters, started) "
                        "SELECT gen_random_uuid(), 'x', '{}', '{}', now() - interval '3 days' FROM generate_series(1, 5)"));
    QVERIFY(admin->exec("INSERT INTO norvena_graded (attempt, xact, correct, questions, graded) "
                        "SELECT gen_random_uuid(), pg_current_xact_id(), 0, 1, now() - interval '3 days' "
                        "FROM generate_series(1, 5)"));
    auto holder = m_server->student();
    QVERIFY(holder->exec("BEGIN"));
    QVERIFY(holder->exec("SELECT norvena_start_run(gen_random_uuid(), 'Лермонтов')"));
    QVERIFY(holder->exec("SELECT norvena_grade(gen_random_uuid(), NULL, 'x', 'Лермонтов', '[]')"));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(programsRun(QString::fromLatin1(ServerCourse::kOtherPc), QString::fromUtf8(ServerCourse::kOtherPcPassword)),
             QStringLiteral("2 of 2"));
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(holder->exec("ROLLBACK"));
}

// What a student, the teacher or a careless administrator changed is told
// by check, and setup run again brings it back.
void TestServer::checkTellsWhatSetUpMends_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("told");
    QTest::newRow("a PC role's setting") << "ALTER ROLE norvena_student SET statement_timeout = '1ms'"
                                         << "settings of its own";
    QTest::newRow("a PC role's limit") << "ALTER ROLE norvena_pc2 CONNECTION LIMIT -1" << "connection limit";
    QTest::newRow("the group may log in") << "ALTER ROLE norvena_students LOGIN" << "can log in";
    QTest::newRow("letters readable") << "GRANT SELECT ON test TO norvena_students" << "correct letters";
    QTest::newRow("a right given to a PC") << "GRANT DELETE ON result TO norvena_pc2" << "norvena_pc2";
    QTest::newRow("row security off") << "ALTER TABLE result DISABLE ROW LEVEL SECURITY" << "row-level security";
    QTest::newRow("a function replaced")
        << "CREATE OR REPLACE FUNCTION norvena_start_run(p_run uuid, p_topic text) RETURNS integer "
           "LANGUAGE sql SECURITY DEFINER AS $$ SELECT 1 $$"
        << "body differs";
    QTest::newRow("a function's settings") << "ALTER FUNCTION norvena_outcome(uuid) RESET ALL" << "settings are";
    QTest::newRow("the catalogue's rule") << "DROP TRIGGER norvena_media_named ON media" << "title or a file";
    QTest::newRow("a size function for everybody")
        << "GRANT EXECUTE ON FUNCTION pg_relation_size(regclass) TO PUBLIC" << "pg_relation_size";
    QTest::newRow("no limit on a PC's temporary files") << "ALTER ROLE norvena_pc2 RESET temp_file_limit"
                                                        << "temporary files";
}

void TestServer::checkTellsWhatSetUpMends()
{
    QFETCH(QString, statement);
    QFETCH(QString, told);
    addQuestions(QStringLiteral("Лермонтов"), 2, QStringLiteral("B"));
    const server::Roles roles = ServerCourse::roles();
    QCOMPARE(server::check(m_server->admin(), roles), QStringList());
    auto admin = m_server->administrator();
    QVERIFY(admin->exec(statement));
    const QStringList differences = server::check(m_server->admin(), roles);
    QVERIFY2(differences.join(u'\n').contains(told), qPrintable(differences.join(u'\n')));
    server::Roles again = roles;
    again.pcPassword.clear();
    again.teacherPassword.clear();
    server::setUp(m_server->admin(), again);
    QCOMPARE(server::check(m_server->admin(), roles), QStringList());
    QCOMPARE(programsRun(QString::fromLatin1(ServerCourse::kStudent), QString::fromUtf8(ServerCourse::kStudentPassword)),
             QStringLiteral("2 of 2"));
}

QTEST_GUILESS_MAIN(TestServer)
#include "tst_server.moc"
