// A course on a PostgreSQL server: the server's grading follows the
// program's rules, and a student holding the settings file and any SQL
// client can neither read a correct letter nor store, change or delete a
// result other than by grading a sheet.

#include "admin/ServerSetup.h"
#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
#include "platform/Error.h"

#include "data/Connection.h"
#include "data/ServerGrading.h"
#include "data/SqlError.h"
#include "forms/Grading.h"
#include "support/GradingCases.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>
#include <QUuid>
#include <QTest>

#include <memory>

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

    auto admin = m_server->administrator();
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
    QTest::newRow("change the zone of the results' day") << "UPDATE norvena_setting SET value = 'Etc/GMT-14'";
    QTest::newRow("make a table of the session's own")
        << "CREATE TEMP TABLE norvena_run (run uuid, topic text, ids integer[], letters text[])";
    QTest::newRow("catalogue entry without a title") << "INSERT INTO media (file) VALUES ('x.avi')";
    QTest::newRow("catalogue entry without a file") << "INSERT INTO media (name) VALUES ('Фильм')";
    QTest::newRow("catalogue entry with an absent title") << "INSERT INTO media (name, file) VALUES (NULL, 'x.avi')";
    QTest::newRow("catalogue entry with a chosen key")
        << "INSERT INTO media (rowid, name, file) OVERRIDING SYSTEM VALUE VALUES (1, 'a', 'b')";
    QTest::newRow("change a catalogue entry") << "UPDATE media SET name = NULL";
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
    QVERIFY(teacher->exec("UPDATE result SET fio = 'Иванов И.И.'"));
    QVERIFY(teacher->exec("INSERT INTO result (fio, data, kol, ocenka) VALUES ('Петров', '2024-01-02', '3', 'C')"));
    QVERIFY(teacher->exec("DELETE FROM result WHERE fio = 'Петров'"));
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

QTEST_GUILESS_MAIN(TestServer)
#include "tst_server.moc"
