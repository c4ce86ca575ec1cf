// The load of a computer lab: 30 copies of the program, each a process with
// its own connection, take tests at the same time (choose a topic of 40
// questions, answer, grade, store), while a teacher's copy saves and deletes
// questions. On a server of the test's own (socket only) and, for
// comparison, on one shared test.mdb. Bounded: 3 runs per student, at most
// 400 teacher actions, a deadline for all. No error may be shown, no result
// lost or stored twice, every student graded on the run he or she started.
// The figures (results per second, 99th percentile of a topic choice and of
// a grading) are printed, not judged.

#include "admin/ServerSetup.h"
#include "data/Settings.h"
#include "platform/Error.h"
#include "data/Schema.h"
#include "forms/Grading.h"
#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
#include "support/SideConnection.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kStudents = 30;
constexpr int kRuns = 3;
constexpr int kQuestions = 40;
constexpr int kTopics = 3;
constexpr int kTeacherActions = 400;
constexpr int kDeadlineMs = 240000;
const char* const kLetters[] = {"A", "B", "C", "D", "E"};

QString topicName(int t) { return QStringLiteral("Тема %1").arg(t + 1); }

double percentile99(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(0.99 * double(values.size())));
    return values[std::max<size_t>(rank, 1) - 1];
}

} // namespace

class TestLoad : public QObject {
    Q_OBJECT
private slots:
    void lab_data();
    void lab();
};

void TestLoad::lab_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("postgresql") << true;
    QTest::newRow("one shared test.mdb") << false;
}

void TestLoad::lab()
{
    QFETCH(bool, server);
    QTemporaryDir course;
    {
        SideConnection db(course.filePath("test.mdb"));
        for (const schema::Table& t : schema::tables())
            QVERIFY(db.exec(schema::fileDdl(t)));
        QVERIFY(db.exec("BEGIN"));
        int number = 0;
        for (int t = 0; t < kTopics; ++t) {
            QVERIFY(db.exec("INSERT INTO temi (rasdel) VALUES (?)", {topicName(t)}));
            for (int k = 1; k <= kQuestions; ++k) {
                const QString letter = QString::fromLatin1(kLetters[(k + t) % 5]);
                ++number;
                QVERIFY(db.exec("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)",
                                {k, number, QStringLiteral("Вопрос %1 темы %2, ответ %3").arg(k).arg(t + 1).arg(letter),
                                 topicName(t), letter}));
            }
        }
        QVERIFY(db.exec("COMMIT"));
    }
    std::unique_ptr<ServerCourse> onServer;
    if (server) {
        onServer = std::make_unique<ServerCourse>(course.path());
        QVERIFY2(onServer->error().isEmpty(), qPrintable(onServer->error()));
    }

    const QString stop = course.filePath("stop");
    // The teacher is at work before the students begin, and stops when the
    // last of them has finished: the rate of the teacher's actions is taken
    // over the same span on both engines.
    QProcess teacher;
    teacher.start(QStringLiteral(NORVENA_LOADCLIENT),
                  {course.path(), "teacher", server ? QString::fromUtf8(ServerCourse::kTeacherPassword) : QString(),
                   QString::number(kTeacherActions), stop});

    QVERIFY(teacher.waitForReadyRead(30000));
    QElapsedTimer teacherSpan;
    teacherSpan.start();

    QElapsedTimer wall;
    wall.start();
    std::vector<std::unique_ptr<QProcess>> students;
    for (int i = 0; i < kStudents; ++i) {
        // On a server every PC of the lab logs in with a role of its own,
        // from a settings file of its own.
        QString folder = course.path();
        if (server) {
            const QString pc = QStringLiteral("norvena_load_pc%1").arg(i + 1);
            const QString password = QStringLiteral("пароль %1").arg(i + 1);
            try {
                server::addPc(onServer->admin(), ServerCourse::roles(), pc, password);
            } catch (const Error& e) {
                QFAIL(qPrintable(e.message()));
            }
            folder = course.filePath(QStringLiteral("pc%1").arg(i + 1));
            QVERIFY(QDir().mkpath(folder));
            QFile ini(QDir(folder).filePath(QString::fromLatin1(DatabaseSettings::kFileName)));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(onServer->settingsText(pc, password).toUtf8());
        }
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(NORVENA_LOADCLIENT), {folder, "student", QStringLiteral("Студент %1").arg(i + 1),
                                                      QString::number(kRuns), topicName(i % kTopics)});
        students.push_back(std::move(p));
    }
    const QDeadlineTimer deadline(kDeadlineMs);
    QStringList lines;
    for (auto& p : students) {
        QVERIFY2(p->waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 1))),
                 "a student did not finish in time");
        lines += QString::fromUtf8(p->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(p->exitCode() == 0, qPrintable(QString::fromUtf8(p->readAllStandardError())));
    }
    const double seconds = double(wall.elapsed()) / 1000.0;
    QFile(stop).open(QIODevice::WriteOnly);
    const double teacherSeconds = double(teacherSpan.elapsed()) / 1000.0;
    QVERIFY2(teacher.waitForFinished(60000), "the teacher did not stop");
    const QStringList teacherLines =
        QString::fromUtf8(teacher.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);

    // On the server no copy may meet an error. The shared file is the
    // comparison: its copies wait for one another's write lock, a few
    // seconds at most, and the errors they then show are counted.
    QStringList errors;
    for (const QString& line : lines + teacherLines)
        if (line.startsWith("ERROR"))
            errors << line;
    if (server)
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));

    // Every run stored once, with the grade of the answers given to the
    // 40 questions of the run.
    QList<QVariantList> stored;
    if (server) {
        stored = onServer->administrator()->rows("SELECT fio, kol, ocenka FROM result");
    } else {
        SideConnection db(course.filePath("test.mdb"));
        stored = db.rows("SELECT fio, kol, ocenka FROM result");
    }
    QHash<QString, QVariantList> byName;
    for (const QVariantList& row : std::as_const(stored)) {
        QVERIFY2(!byName.contains(row[0].toString()), qPrintable("stored twice: " + row[0].toString()));
        byName.insert(row[0].toString(), row);
    }
    std::vector<double> choices, gradings;
    int runs = 0;
    for (const QString& line : std::as_const(lines)) {
        const QStringList f = line.split(u'\t');
        if (f.value(0) != "RUN")
            continue;
        ++runs;
        QCOMPARE(f[3].toInt(), kQuestions);
        const QVariantList row = byName.value(f[1]);
        QVERIFY2(!row.isEmpty(), qPrintable("lost: " + f[1]));
        QCOMPARE(row[1].toString(), QString::number(kQuestions));
        QCOMPARE(row[2].toString(), grading::grade(f[2].toInt(), kQuestions).letter);
        choices.push_back(f[4].toDouble());
        gradings.push_back(f[5].toDouble());
    }
    // A run that reported no error is stored once; nothing else is stored.
    QCOMPARE(int(stored.size()), runs);
    if (server)
        QCOMPARE(runs, kStudents * kRuns);
    const int actions = int(teacherLines.filter(QStringLiteral("ACTION")).size());
    if (server)
        QVERIFY(actions > 0);

    qInfo("LOAD %s: %d students x %d runs of %d questions, %d results in %.1f s = %.2f results/s; "
          "topic choice p99 %.1f ms, grading p99 %.1f ms; teacher saved and deleted %d questions meanwhile "
          "(%.1f pairs/s); %d error boxes",
          QTest::currentDataTag(), kStudents, kRuns, kQuestions, runs, seconds, double(runs) / seconds,
          percentile99(choices), percentile99(gradings), actions, double(actions) / std::max(teacherSeconds, 0.001),
          int(errors.size()));
}

QTEST_GUILESS_MAIN(TestLoad)
#include "tst_load.moc"
