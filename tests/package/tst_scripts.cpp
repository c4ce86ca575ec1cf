// The README's two commands, scripts/run.sh and scripts/test.sh, run against
// stand-ins for the build tools: both must configure and build build/ the
// same way, so that going from one to the other rebuilds nothing that did not
// change, and the test run must still treat warnings as errors.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeExecutable(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther);
}

} // namespace

class TestScripts : public QObject {
    Q_OBJECT

private:
    QTemporaryDir work;

    // Runs the script of a copy of the project's scripts, with every tool it
    // calls replaced by one that writes its name and arguments to a log;
    // returns the log's lines.
    QStringList toolsCalledBy(const QString& script)
    {
        const QString root = work.path() + QStringLiteral("/root");
        const QString tools = work.path() + QStringLiteral("/tools");
        const QString log = work.path() + QStringLiteral("/") + script + QStringLiteral(".log");
        QFile::remove(log);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), tools + u':' + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("TOOL_LOG"), log);
        env.insert(QStringLiteral("NORVENA_SANITIZE"), QStringLiteral("OFF"));
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "NORVENA_WERROR"})
            env.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("bash"), {root + QStringLiteral("/scripts/") + script});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            qWarning() << script << process.readAllStandardError();
            return {QStringLiteral("%1 failed").arg(script)};
        }
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(work.isValid());
        const QString root = work.path() + QStringLiteral("/root");
        QVERIFY(QDir().mkpath(root + QStringLiteral("/scripts")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/course")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/build")));
        for (const char* name : {"setup.sh", "run.sh", "test.sh"})
            QVERIFY(QFile::copy(QStringLiteral(NORVENA_SOURCE_DIR "/scripts/") + QString::fromLatin1(name),
                                root + QStringLiteral("/scripts/") + QString::fromLatin1(name)));
        const QString tools = work.path() + QStringLiteral("/tools");
        QVERIFY(QDir().mkpath(tools));
        for (const char* name : {"cmake", "ctest", "xvfb-run"})
            writeExecutable(tools + u'/' + QString::fromLatin1(name),
                            "#!/bin/sh\necho \"$(basename \"$0\") $*\" >> \"$TOOL_LOG\"\n");
        // Every package the set-up asks for is there.
        writeExecutable(tools + QStringLiteral("/dpkg-query"), "#!/bin/sh\necho 'install ok installed'\n");
    }

    void runAndTestBuildTheSameWay()
    {
        const QRegularExpression buildTool(QStringLiteral("^cmake |failed$"));
        const QStringList run = toolsCalledBy(QStringLiteral("run.sh")).filter(buildTool);
        const QStringList test = toolsCalledBy(QStringLiteral("test.sh")).filter(buildTool);
        QCOMPARE(run.size(), 2); // configure, then build
        QCOMPARE(test, run);
        QVERIFY2(test[0].contains(QStringLiteral("-DNORVENA_WERROR=ON")), qPrintable(test[0]));
    }
};

QTEST_MAIN(TestScripts)
#include "tst_scripts.moc"
