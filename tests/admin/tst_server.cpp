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
    void forgedRunRecordIsRefused();
    void sheetsOfOtherSessionsAreOutOfReach();
    void teacherMayDoWhatTheEditorAndRegisterDo();
    void setUpIsRepeatable();

private:
    // Adds n questions of the topic, each with the correct letter; their ids.
    QList<int> addQuestions(const QString& topic, int n, const QString& letter = QStringLiteral("A"));
    static QString sheet(const QList<QPair<int, QVariant>>& entries);

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
        const auto rows = student->rows(
            QStringLiteral("SELECT * FROM norvena_grade(?, ?, ?)"),
            {QStringLiteral("%1 из %2").arg(k).arg(n), QStringLiteral("Тема %1").arg(n), sheet(entries)}, &error);
        QVERIFY2(rows.size() == 1, qPrintable(error));
        const grading::Grade expected = grading::grade(k, n);
        const QVariantList& r = rows.first();
        const QString what = QStringLiteral("%1 of %2").arg(k).arg(n);
        QVERIFY2(r.value(0).toInt() == k && r.value(1).toInt() == n, qPrintable(what));
        QVERIFY2(r.value(2).toString() == expected.fivePoint, qPrintable(what + u' ' + r.value(2).toString()));
        QVERIFY2(r.value(3).toString() == expected.letterText, qPrintable(what + u' ' + r.value(3).toString()));
        QVERIFY2(r.value(4).toString() == expected.letter, qPrintable(what + u' ' + r.value(4).toString()));
        ++graded;
    }

    auto admin = m_server->administrator();
    QCOMPARE(admin->scalar("SELECT count(*) FROM result").toInt(), graded);
    for (const QVariantList& row : admin->rows("SELECT fio, kol, ocenka, data = current_date FROM result")) {
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
    q.prepare(QStringLiteral("SELECT * FROM norvena_grade(?, ?, ?)"));
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
    QCOMPARE(student->scalar("SELECT norvena_start_run(?)", {QStringLiteral("Пушкин")}).toInt(), 3);

    auto teacher = m_server->teacher();
    QVERIFY(teacher->exec("UPDATE test SET otv = 'E' WHERE id = ?", {ids[0]}));
    QVERIFY(teacher->exec("DELETE FROM test WHERE id = ?", {ids[1]}));
    QVERIFY(teacher->exec("INSERT INTO test (rasdel, otv) VALUES ('Пушкин', 'C')"));

    const QString answers = sheet({{ids[0], "B"}, {ids[1], "B"}, {ids[2], "B"}});
    auto graded = student->rows("SELECT correct, questions FROM norvena_grade('Петров', 'Пушкин', ?)", {answers});
    QCOMPARE(graded.value(0), (QVariantList{3, 3}));

    QCOMPARE(student->scalar("SELECT norvena_start_run(?)", {QStringLiteral("Пушкин")}).toInt(), 3);
    graded = student->rows("SELECT correct, questions FROM norvena_grade('Петров', 'Пушкин', ?)", {answers});
    QCOMPARE(graded.value(0), (QVariantList{1, 3}));

    // Another session has no run of its own: the topic's questions as they stand.
    auto other = m_server->student();
    graded = other->rows("SELECT correct, questions FROM norvena_grade('Сидоров', 'Пушкин', ?)", {answers});
    QCOMPARE(graded.value(0), (QVariantList{1, 3}));
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
    const auto graded = student->rows("SELECT correct, questions FROM norvena_grade('', 'Гоголь', ?)", {answers});
    QCOMPARE(graded.value(0), (QVariantList{2, 4}));
    // The first entry for a question counts; a question the sheet leaves
    // out is not answered, even where its correct letter is absent.
    const auto first = student->rows("SELECT correct FROM norvena_grade('', 'Гоголь', ?)",
                                     {sheet({{ids[1], "A"}, {ids[1], "D"}, {ids[2], "D"}})});
    QCOMPARE(first.value(0).value(0).toInt(), 1);
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
    QCOMPARE(server_grading::startRun(student, QStringLiteral("Поэма 'Мцыри'")), 4);
    const server_grading::Outcome o =
        server_grading::grade(student, QStringLiteral("Сидоров Пётр"), QStringLiteral("Поэма 'Мцыри'"),
                              {{ids[0], "B"}, {ids[1], QVariant()}, {QVariant(), "B"}, {ids[3], "B"}});
    QCOMPARE(o.correct, 2);
    QCOMPARE(o.questions, 4);
    QCOMPARE(o.fivePoint, QStringLiteral("3"));
    QCOMPARE(o.letterText, QStringLiteral("D (1.0)"));
    QCOMPARE(o.letter, QStringLiteral("D"));

    const server_grading::Outcome all = server_grading::grade(student, QString(), QVariant(), {});
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
        QVERIFY(!student->exec("SELECT * FROM norvena_grade('', 'Гоголь', ?)", {QString::fromLatin1(damaged)}, &error));
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
    QTest::newRow("read the run record") << "SELECT * FROM pg_temp.norvena_run";
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
        << "CREATE OR REPLACE FUNCTION public.norvena_grade(p_fio text, p_topic text, p_sheet text, "
           "OUT correct integer, OUT questions integer, OUT five_point text, OUT letter_text text, "
           "OUT letter_code text) LANGUAGE sql AS $$ SELECT 40, 40, '5', 'A (4.0)', 'A' $$";
    QTest::newRow("call the run record's helper") << "SELECT norvena_run_table()";
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
    const char* everything = "SELECT 'result', rowid, fio || data || kol || ocenka FROM result UNION ALL "
                             "SELECT 'test', rowid, id || ' ' || nom || ' ' || nom1 || test || rasdel || otv "
                             "FROM test ORDER BY 1, 2";
    const auto before = admin->rows(everything);
    QCOMPARE(before.size(), 3);
    const auto rules = admin->rows("SELECT * FROM norvena_grade_rule ORDER BY 1, 2");

    auto student = m_server->student();
    QVERIFY2(student->isOpen(), qPrintable(student->openError()));
    QCOMPARE(student->scalar("SELECT norvena_start_run('Пушкин')").toInt(), 2);
    QString error;
    QVERIFY2(!student->exec(statement, {}, &error), "the statement was carried out");
    QVERIFY2(!error.isEmpty(), "no message");

    QCOMPARE(admin->rows(everything), before);
    QCOMPARE(admin->rows("SELECT * FROM norvena_grade_rule ORDER BY 1, 2"), rules);
    auto again = m_server->student();
    QCOMPARE(again->rows("SELECT * FROM result").size(), 0);
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
    QCOMPARE(student->rows("SELECT name, file FROM media").size(), 1);
    QVERIFY(student->exec("CREATE TEMP TABLE testing (nom varchar(10), nom1 integer, otv varchar(1))"));
    QVERIFY(student->exec("INSERT INTO testing VALUES ('1', 1, 'A')"));
    QVERIFY(student->exec("UPDATE testing SET otv = 'B'"));
    QVERIFY(student->exec("DELETE FROM testing"));
    QCOMPARE(student->rows("SELECT * FROM result").size(), 0);
}

// A run record that the student's session made itself, letters and all,
// is not taken for the server's.
void TestServer::forgedRunRecordIsRefused()
{
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 2, QStringLiteral("C"));
    auto student = m_server->student();
    QVERIFY(student->exec("CREATE TEMP TABLE norvena_run (topic text PRIMARY KEY, ids integer[], letters text[])"));
    QVERIFY(student->exec("INSERT INTO norvena_run VALUES ('Пушкин', ?::integer[], '{A}')",
                          {QStringLiteral("{%1}").arg(ids[0])}));
    QString error;
    QVERIFY(!student->exec("SELECT norvena_start_run('Пушкин')", {}, &error));
    QVERIFY(!student->exec("SELECT * FROM norvena_grade('Хакер', 'Пушкин', ?)", {sheet({{ids[0], "A"}})}, &error));
    QVERIFY2(error.contains(QStringLiteral("not made by the server")), qPrintable(error));
    QCOMPARE(m_server->administrator()->scalar("SELECT count(*) FROM result").toInt(), 0);
}

// Each copy's answer sheet is its own: another session can neither see nor
// touch it.
void TestServer::sheetsOfOtherSessionsAreOutOfReach()
{
    auto first = m_server->student();
    QVERIFY(first->exec("CREATE TEMP TABLE testing (nom varchar(10), nom1 integer, otv varchar(1))"));
    QVERIFY(first->exec("INSERT INTO testing VALUES ('1', 7, 'A')"));
    const QString schemaName =
        first
            ->scalar("SELECT n.nspname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                     "WHERE c.oid = 'pg_temp.testing'::regclass")
            .toString();
    QVERIFY(!schemaName.isEmpty());

    for (auto* other : {m_server->student().release(), m_server->teacher().release()}) {
        std::unique_ptr<PgSession> session(other);
        QString error;
        QVERIFY(!session->exec(QStringLiteral("SELECT * FROM %1.testing").arg(schemaName), {}, &error));
        QVERIFY(!session->exec(QStringLiteral("DELETE FROM %1.testing").arg(schemaName), {}, &error));
        QVERIFY(session->exec("CREATE TEMP TABLE testing (nom varchar(10), nom1 integer, otv varchar(1))"));
        QCOMPARE(session->rows("SELECT * FROM testing").size(), 0);
    }
    QCOMPARE(first->rows("SELECT nom, nom1, otv FROM testing").value(0), (QVariantList{"1", 7, "A"}));
}

void TestServer::teacherMayDoWhatTheEditorAndRegisterDo()
{
    const QList<int> ids = addQuestions(QStringLiteral("Пушкин"), 2, QStringLiteral("E"));
    auto student = m_server->student();
    student->rows("SELECT * FROM norvena_grade('Иванов', 'Пушкин', ?)", {sheet({{ids[0], "E"}})});

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
    server::Roles roles;
    roles.student = QString::fromLatin1(ServerCourse::kStudent);
    roles.teacher = QString::fromLatin1(ServerCourse::kTeacher);
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
