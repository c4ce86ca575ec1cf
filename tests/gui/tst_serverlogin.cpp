// A course on a server: the teacher enters with the teacher role's
// password, checked by the server; a settings file or a server that cannot
// be used is reported once at start-up and start-up goes on.

#include "app/Forms.h"
#include "forms/Globals.h"
#include "app/Unit3.h"
#include "data/Connection.h"
#include "data/Table.h"
#include "forms/Unit1.h"
#include "forms/Unit10.h"
#include "forms/Unit6.h"
#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
#include "support/CourseFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QString kTeacherNotice = QStringLiteral("Вы вошли в программу как преподаватель!");
const QString kStudentNotice = QStringLiteral("Вы вошли в программу как обычный пользователь!");

} // namespace

class TestServerLogin : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void teacherLogin_data();
    void teacherLogin();
    void unusableServerIsReportedOnce_data();
    void unusableServerIsReportedOnce();
    void teacherNotLetInMayTryAgain_data();
    void teacherNotLetInMayTryAgain();

private:
    void logIn(bool ticked, const QString& password);

    std::unique_ptr<CourseFixture> course;
    std::unique_ptr<ServerCourse> server;
};

void TestServerLogin::init()
{
    course = std::make_unique<CourseFixture>();
    server = std::make_unique<ServerCourse>(course->root());
    QVERIFY2(server->error().isEmpty(), qPrintable(server->error()));
}

void TestServerLogin::cleanup()
{
    const QString problems = course->platform.verifyDone();
    course.reset();
    server.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void TestServerLogin::logIn(bool ticked, const QString& password)
{
    Form3->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(ticked);
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(password);
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
}

void TestServerLogin::teacherLogin_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("teacher");
    QTest::addColumn<QString>("refusal"); // words of the error box before the student's notice

    const QString role = QString::fromUtf8(ServerCourse::kTeacherPassword);
    QTest::newRow("the teacher role's password") << true << role << true << "";
    QTest::newRow("a wrong password") << true << "o'Brien" << false << "password authentication failed";
    QTest::newRow("the single file's password does not open a server")
        << true << "quartz" << false << "password authentication failed";
    QTest::newRow("the right password, box not ticked") << false << role << false << "";
    QTest::newRow("empty, box not ticked") << false << "" << false << "";
}

// The role decides what the copy may do on the server: the teacher's copy
// reads the correct letters, a student's does not.
void TestServerLogin::teacherLogin()
{
    QFETCH(bool, ticked);
    QFETCH(QString, password);
    QFETCH(bool, teacher);
    QFETCH(QString, refusal);

    course->start();
    QVERIFY2(course->platform.boxes.isEmpty(), qPrintable(course->platform.texts("error").join('\n')));
    QVERIFY(!Form6->tblTest->fieldNames().contains(QStringLiteral("otv")));
    logIn(ticked, password);

    QCOMPARE(UserRole, teacher ? QStringLiteral("prepod") : QStringLiteral("student"));
    QCOMPARE(course->platform.texts("notice"), QStringList{teacher ? kTeacherNotice : kStudentNotice});
    const QStringList errors = course->platform.texts("error");
    if (refusal.isEmpty()) {
        QCOMPARE(errors, QStringList());
    } else {
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(refusal), qPrintable(errors[0]));
    }
    QCOMPARE(Form1->Button7->isVisible(), teacher);

    // Every table object is open again, over the login the role got.
    for (Table* t : {Form6->tblTemi, Form6->tblTest, Form6->tblTesting, Form6->tblResult, Form6->tblMedia})
        QVERIFY2(t->active(), qPrintable(t->objectName()));
    QCOMPARE(Form6->tblTest->fieldNames().contains(QStringLiteral("otv")), teacher);
    QCOMPARE(Form6->tblResult->recordCount() > 0, teacher); // the demo course's stored results
    QCOMPARE(Form6->ADOConnection1->database().userName(),
             QString::fromLatin1(teacher ? ServerCourse::kTeacher : ServerCourse::kStudent));
    course->platform.clear();
}

void TestServerLogin::unusableServerIsReportedOnce_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown engine") << QByteArray("[server]\nengine=oracle\n")
                                    << "norvena.ini: unknown database engine \"oracle\" (postgresql or file)";
    QTest::newRow("no server at the address")
        << QByteArray("[server]\nengine=postgresql\nhost=/nonexistent-socket-folder\ndatabase=norvena\n")
        << "connection to server on socket \"/nonexistent-socket-folder/.s.PGSQL.5432\" failed";
    QTest::newRow("a database that is not there") << QByteArray() << "database \"nowhere\" does not exist";
}

void TestServerLogin::unusableServerIsReportedOnce()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, message);
    if (settings.isEmpty()) {
        settings = server
                       ->settingsText(QString::fromLatin1(ServerCourse::kStudent),
                                      QString::fromUtf8(ServerCourse::kStudentPassword))
                       .replace(server->database(), QStringLiteral("nowhere"))
                       .toUtf8();
    }
    course->writeFile(QStringLiteral("norvena.ini"), settings);
    course->start();
    const QStringList errors = course->platform.texts("error");
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(message), qPrintable(errors[0]));
    QVERIFY(Form10); // start-up went on: every window was made
    QVERIFY(!Form6->tblTest->active());
    course->platform.clear();

    // Mended, the course is used at the next open.
    course->writeFile(QStringLiteral("norvena.ini"),
                      server
                          ->settingsText(QString::fromLatin1(ServerCourse::kStudent),
                                         QString::fromUtf8(ServerCourse::kStudentPassword))
                          .toUtf8());
    Form6->tblTest->open();
    QVERIFY(Form6->tblTest->recordCount() > 0);
}

// A server that does not let the teacher in at all (stopped, or without
// room for the teacher's session) is said to be so, and the title window
// stays for another try, which waits a moment after a refusal; the
// students' login is back meanwhile.
void TestServerLogin::teacherNotLetInMayTryAgain_data()
{
    QTest::addColumn<QString>("cause");
    QTest::newRow("server stopped") << "stopped";
    QTest::newRow("no room for the teacher") << "full";
}

void TestServerLogin::teacherNotLetInMayTryAgain()
{
    QFETCH(QString, cause);
    course->start();
    QVERIFY(course->platform.boxes.isEmpty());
    QString error;
    auto admin = server->administrator();
    if (cause == QLatin1String("stopped"))
        server->cluster().halt();
    else
        QVERIFY(admin->exec("ALTER ROLE norvena_teacher CONNECTION LIMIT 0"));
    Form3->show();
    logIn(true, QString::fromUtf8(ServerCourse::kTeacherPassword));
    const QStringList errors = course->platform.texts("error");
    QVERIFY2(errors.size() >= 1 && errors[0].startsWith(QStringLiteral("Сервер курса не впустил преподавателя")),
             qPrintable(errors.join(u'\n')));
    QVERIFY(Form3->isVisible());
    QVERIFY(!Form1->isVisible());
    QCOMPARE(UserRole, QString());
    course->platform.clear();

    // Mended; pressed again at once, the login waits a moment first.
    if (cause == QLatin1String("stopped"))
        QVERIFY2(server->cluster().restart(&error), qPrintable(error));
    else
        QVERIFY(server->administrator()->exec("ALTER ROLE norvena_teacher CONNECTION LIMIT -1"));
    logIn(true, QString::fromUtf8(ServerCourse::kTeacherPassword));
    QCOMPARE(course->platform.texts("notice").size(), 1);
    QVERIFY2(course->platform.texts("notice")[0].startsWith(QStringLiteral("Подождите")),
             qPrintable(course->platform.texts("notice")[0]));
    QVERIFY(Form3->isVisible());
    course->platform.clear();
    QTest::qWait(1100);
    logIn(true, QString::fromUtf8(ServerCourse::kTeacherPassword));
    QCOMPARE(UserRole, QStringLiteral("prepod"));
    QCOMPARE(course->platform.texts("notice"), QStringList{kTeacherNotice});
    QVERIFY(Form6->tblTest->fieldNames().contains(QStringLiteral("otv")));
    course->platform.clear();
}

QTEST_MAIN(TestServerLogin)
#include "tst_serverlogin.moc"
