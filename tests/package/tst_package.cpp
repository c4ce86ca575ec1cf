// The Debian package: built by CPack from this build tree into a temporary
// folder, checked (dependencies, files, desktop entry, AppStream data,
// lintian), unpacked into a temporary root, and started from there the way
// the desktop menu starts it, headless, up to the title window.

#include "platform/ProgramFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString& program, const QStringList& arguments, int timeoutMs = 300000)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted() || !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = program.toUtf8() + " did not finish: " + process.errorString().toUtf8();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString where(const QString& tool)
{
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        qWarning("%s is not installed (scripts/setup.sh installs it)", qPrintable(tool));
    return path;
}

// What a started process left behind: its log on stderr and, while it runs,
// its program file and working directory.
struct Started {
    QByteArray log;
    bool titleShown = false;
    bool running = false;
    QString executable;
    QString workingDirectory;
};

// Starts the installed launcher headless and waits until the program shows
// its title window, reports an error, or `until` appears on stderr.
Started startFromMenu(const QString& launcher, const QString& home, const QString& settings,
                      const QByteArray& until = "title window shown")
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("NORVENA_CONFIG"), settings);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("norvena.*=true"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QDir::rootPath());
    process.start(launcher, {});
    Started started;
    if (!process.waitForStarted(10000)) {
        started.log = process.errorString().toUtf8();
        return started;
    }
    QElapsedTimer clock;
    clock.start();
    while (!started.log.contains(until) && !started.log.contains("error report:") &&
           process.state() == QProcess::Running && clock.elapsed() < 60000) {
        process.waitForReadyRead(200);
        started.log += process.readAllStandardError();
    }
    started.titleShown = started.log.contains("title window shown");
    started.running = process.state() == QProcess::Running;
    if (started.running) {
        const QString proc = QStringLiteral("/proc/%1/").arg(process.processId());
        started.executable = QFileInfo(proc + QStringLiteral("exe")).symLinkTarget();
        started.workingDirectory = QFileInfo(proc + QStringLiteral("cwd")).symLinkTarget();
    }
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished();
    started.log += process.readAllStandardError();
    return started;
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QString deb;
    QString root; // the package unpacked

    QString installed(const QString& path) const { return root + path; }
    QString launcher() const { return installed(QStringLiteral(NORVENA_INSTALL_BINDIR "/norvena-start")); }
    QString demoCourse() const { return installed(QStringLiteral(NORVENA_INSTALL_DATADIR "/norvena/course")); }

private slots:
    void initTestCase();
    void control_data();
    void control();
    void files_data();
    void files();
    void programFindsItsFiles();
    void desktopFilesValidate();
    void lintianFindsNoError();
    void menuStartsProgramOnOwnCopyOfDemoCourse();
    void menuStartsProgramInConfiguredCourse();
    void missingConfiguredCourseIsReported();
};

void TestPackage::initTestCase()
{
    QVERIFY(work.isValid());
    const Run cpack =
        run(QStringLiteral(NORVENA_CPACK),
            {"-G", "DEB", "--config", NORVENA_BINARY_DIR "/CPackConfig.cmake", "-B", work.filePath("out")});
    QVERIFY2(cpack.exitCode == 0, cpack.out + cpack.err);
    const QStringList debs = QDir(work.filePath("out")).entryList({"norvena_*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    deb = work.filePath("out/" + debs.first());
    root = work.filePath("root");
    const Run unpack = run(QStringLiteral("dpkg-deb"), {"-x", deb, root});
    QVERIFY2(unpack.exitCode == 0, unpack.err);
    qInfo("%s: %lld bytes", qPrintable(debs.first()), QFileInfo(deb).size());
}

void TestPackage::control_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("name") << "Package"
                          << "^norvena$";
    QTest::newRow("section") << "Section"
                             << "^education$";
    // Found by dpkg-shlibdeps in the program and the module.
    for (const char* library :
         {"libqt6widgets6", "libqt6sql6", "libjpeg62-turbo", "libqt6webenginewidgets6", "libqt6charts6"})
        QTest::newRow(library) << "Depends" << QStringLiteral("(^|, )%1 \\(>= ").arg(library);
    // Needed at run time, linked by no binary.
    for (const char* package : {"libqt6sql6-sqlite", "fonts-liberation2", "xdg-utils"})
        QTest::newRow(package) << "Depends" << QStringLiteral("(^|, )%1(,|$)").arg(package);
}

void TestPackage::control()
{
    QFETCH(QString, field);
    QFETCH(QString, pattern);
    const Run fields = run(QStringLiteral("dpkg-deb"), {"-f", deb, field});
    QVERIFY2(fields.exitCode == 0, fields.err);
    const QString value = QString::fromUtf8(fields.out).trimmed();
    QVERIFY2(QRegularExpression(pattern).match(value).hasMatch(), qPrintable(value));
}

void TestPackage::files_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    const QString bin = QStringLiteral(NORVENA_INSTALL_BINDIR);
    const QString share = QStringLiteral(NORVENA_INSTALL_DATADIR);
    const QString id = QStringLiteral(NORVENA_APP_ID);
    QTest::newRow("program") << bin + "/norvena" << true;
    QTest::newRow("launcher") << bin + "/norvena-start" << true;
    QTest::newRow("module") << NORVENA_INSTALL_MODULEDIR "/" NORVENA_WEBVIEW_MODULE << false;
    QTest::newRow("user guide") << share + "/norvena/руководство пользователя.htm" << false;
    QTest::newRow("demo register") << share + "/norvena/course/1.txt" << false;
    QTest::newRow("demo database") << share + "/norvena/course/test.mdb" << false;
    QTest::newRow("demo materials") << share + "/norvena/course/умкд/Лекция1.htm" << false;
    QTest::newRow("desktop entry") << share + "/applications/" + id + ".desktop" << false;
    QTest::newRow("AppStream") << share + "/metainfo/" + id + ".metainfo.xml" << false;
    QTest::newRow("icon") << share + "/icons/hicolor/48x48/apps/" + id + ".png" << false;
    QTest::newRow("scalable icon") << share + "/icons/hicolor/scalable/apps/" + id + ".svg" << false;
    QTest::newRow("manual") << share + "/man/man1/norvena-start.1.gz" << false;
    QTest::newRow("copyright") << NORVENA_INSTALL_DOCDIR "/copyright" << false;
    QTest::newRow("settings") << NORVENA_SETTINGS_FILE << false;
}

void TestPackage::files()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile(), qPrintable(path));
    QCOMPARE(file.isExecutable(), executable);
}

void TestPackage::programFindsItsFiles()
{
    // The relative paths compiled into the program lead, from the installed
    // program's folder, to the installed module and guide.
    const QString bin = installed(QStringLiteral(NORVENA_INSTALL_BINDIR));
    QCOMPARE(ProgramFiles::locate(bin, ProgramFiles::installedModuleDir(), QStringLiteral(NORVENA_WEBVIEW_MODULE)),
             installed(QStringLiteral(NORVENA_INSTALL_MODULEDIR "/" NORVENA_WEBVIEW_MODULE)));
    QCOMPARE(
        ProgramFiles::locate(bin, ProgramFiles::installedDataDir(), QStringLiteral("руководство пользователя.htm")),
        installed(QStringLiteral(NORVENA_INSTALL_DATADIR "/norvena/руководство пользователя.htm")));
    // The demo database is made afresh from its seed, whatever was done to
    // the one in the source tree: no stored results.
    QFile seed(QStringLiteral(NORVENA_SOURCE_DIR "/course/test.sql"));
    QVERIFY(seed.open(QIODevice::ReadOnly));
    const Run counts = run(QStringLiteral("sqlite3"),
                           {demoCourse() + "/test.mdb", "SELECT count(*) FROM result; SELECT count(*) FROM testing"});
    QVERIFY2(counts.exitCode == 0, counts.err);
    QCOMPARE(counts.out.split('\n').value(0).toInt(), int(seed.readAll().count("INSERT INTO result")));
    QCOMPARE(counts.out.split('\n').value(1).toInt(), 0); // no answer sheet
}

void TestPackage::desktopFilesValidate()
{
    const QString share = installed(QStringLiteral(NORVENA_INSTALL_DATADIR));
    const QString id = QStringLiteral(NORVENA_APP_ID);
    const QString desktopFileValidate = where(QStringLiteral("desktop-file-validate"));
    QVERIFY(!desktopFileValidate.isEmpty());
    const Run desktop = run(desktopFileValidate, {share + "/applications/" + id + ".desktop"});
    QVERIFY2(desktop.exitCode == 0 && desktop.out.isEmpty(), desktop.out + desktop.err);
    const QString appstreamcli = where(QStringLiteral("appstreamcli"));
    QVERIFY(!appstreamcli.isEmpty());
    const Run metainfo = run(appstreamcli, {"validate", "--no-net", share + "/metainfo/" + id + ".metainfo.xml"});
    QVERIFY2(metainfo.exitCode == 0, metainfo.out + metainfo.err);

    // The menu runs the launcher, which the package installs on the PATH.
    QFile entry(share + "/applications/" + id + ".desktop");
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    QVERIFY(text.contains("\nExec=norvena-start\n"));
    QVERIFY(text.contains("\nIcon=" + id.toUtf8() + "\n"));
}

void TestPackage::lintianFindsNoError()
{
    const QString lintian = where(QStringLiteral("lintian"));
    QVERIFY(!lintian.isEmpty());
    const Run check = run(lintian, {"--fail-on", "error", deb});
    // Warnings are shown; errors fail.
    if (!check.out.isEmpty())
        qInfo("%s", check.out.constData());
    QVERIFY2(check.exitCode == 0, check.out + check.err);
}

void TestPackage::menuStartsProgramOnOwnCopyOfDemoCourse()
{
    const QString home = work.filePath("student");
    QVERIFY(QDir().mkpath(home));
    const Started started = startFromMenu(launcher(), home, installed(QStringLiteral(NORVENA_SETTINGS_FILE)));
    QVERIFY2(!started.log.contains("error report:"), started.log.constData());
    QVERIFY2(started.titleShown, started.log.constData());
    QVERIFY2(started.running, "the program ended by itself");
    // The launcher became the installed program, in the user's own course.
    const QString own = home + QStringLiteral("/.local/share/norvena/course");
    QCOMPARE(started.executable, installed(QStringLiteral(NORVENA_INSTALL_BINDIR "/norvena")));
    QCOMPARE(started.workingDirectory, own);
    QVERIFY(QFileInfo(own + QStringLiteral("/test.mdb")).isWritable());
    QCOMPARE(QFileInfo(own + QStringLiteral("/1.txt")).size(), QFileInfo(demoCourse() + "/1.txt").size());
}

void TestPackage::menuStartsProgramInConfiguredCourse()
{
    // The administrator's course folder, with blanks and Cyrillic letters.
    const QString lab = work.filePath("srv/курс кафедры");
    QVERIFY(QDir().mkpath(lab));
    QVERIFY(run(QStringLiteral("cp"), {"-R", demoCourse() + "/.", lab}).exitCode == 0);
    QFile settings(work.filePath("lab.conf"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    QFile installedSettings(installed(QStringLiteral(NORVENA_SETTINGS_FILE)));
    QVERIFY(installedSettings.open(QIODevice::ReadOnly));
    settings.write(installedSettings.readAll() + "course = " + lab.toUtf8() + "\n");
    settings.close();

    const QString home = work.filePath("teacher");
    QVERIFY(QDir().mkpath(home));
    const Started started = startFromMenu(launcher(), home, settings.fileName());
    QVERIFY2(started.titleShown && !started.log.contains("error report:"), started.log.constData());
    QCOMPARE(started.workingDirectory, lab);
    QVERIFY(!QFileInfo::exists(home + QStringLiteral("/.local/share/norvena"))); // no own copy made
}

void TestPackage::missingConfiguredCourseIsReported()
{
    const QString missing = work.filePath("mnt/курс");
    QFile settings(work.filePath("missing.conf"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("course = " + missing.toUtf8() + "\n");
    settings.close();

    // The launcher says why in a message box (and on stderr) and does not
    // start the program.
    const Started started = startFromMenu(launcher(), work.filePath("teacher"), settings.fileName(), "norvena-start:");
    QVERIFY2(started.log.contains(QStringLiteral("norvena-start: Папка курса «%1» не найдена.").arg(missing).toUtf8()),
             started.log.constData());
    QVERIFY2(started.running, "no message box");
    QCOMPARE(started.executable, launcher());
    QVERIFY(!started.titleShown);
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
