// The real program, started headless on a copy of the demo course, gets as
// far as showing its title window without reporting any error.

#include "support/CourseFixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSmoke : public QObject {
    Q_OBJECT

private slots:
    void programStartsOnDemoCourse();
};

void TestSmoke::programStartsOnDemoCourse()
{
    QVERIFY2(QFileInfo::exists(QStringLiteral(NORVENA_BINARY)), NORVENA_BINARY);
    QTemporaryDir course;
    QVERIFY(course.isValid());
    CourseFixture::copyTree(CourseFixture::demoCourse(), course.path());

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("norvena.*=true"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(course.path());
    program.start(QStringLiteral(NORVENA_BINARY), {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

    // Every error report is logged before its box is shown, so a report
    // during start-up shows up here instead of the title window's line.
    QByteArray log;
    QElapsedTimer clock;
    clock.start();
    while (!log.contains("title window shown") && !log.contains("error report:") &&
           program.state() == QProcess::Running && clock.elapsed() < 60000) {
        program.waitForReadyRead(200);
        log += program.readAllStandardError();
    }
    // A second more, in which the window is painted.
    if (log.contains("title window shown"))
        program.waitForFinished(1000);
    log += program.readAllStandardError();
    const bool running = program.state() == QProcess::Running;
    program.terminate();
    if (!program.waitForFinished(10000))
        program.kill();

    QVERIFY2(!log.contains("error report:"), log.constData());
    QVERIFY2(log.contains("title window shown"), log.constData());
    QVERIFY2(running, "the program ended by itself");
}

QTEST_GUILESS_MAIN(TestSmoke)
#include "tst_smoke.moc"
