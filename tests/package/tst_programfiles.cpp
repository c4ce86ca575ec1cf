// Where the program finds the files that come with it (beside its own file,
// or in the installed layout), and how the desktop menu's launcher reads its
// settings and chooses the course folder.

#include "launcher/Launcher.h"
#include "platform/ProgramFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Relative paths and contents of the files under a folder.
QMap<QString, QByteArray> treeOf(const QString& root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree.insert(QDir(root).relativeFilePath(path), readFile(path));
    }
    return tree;
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A small demo course with the names a course has: Cyrillic, blanks.
QString makeDemo(const QString& root)
{
    const QString demo = root + QStringLiteral("/share/norvena/course");
    writeFile(demo + QStringLiteral("/1.txt"), "\xcf\xf3\xf8\xea\xe8\xed\r\n");
    writeFile(demo + QStringLiteral("/Пушкин А. С./Пушкин — презентация.pps"), "pps");
    writeFile(demo + QStringLiteral("/умкд/Лекция1.htm"), "<html></html>");
    writeFile(demo + QStringLiteral("/test.mdb"), "database");
    // Installed files are read-only to the user.
    ::chmod(QFile::encodeName(demo + QStringLiteral("/test.mdb")).constData(), 0444);
    return demo;
}

} // namespace

class TestProgramFiles : public QObject {
    Q_OBJECT

private slots:
    void locate_data();
    void locate();
    void settings_data();
    void settings();
    void badSettings_data();
    void badSettings();
    void configuredCourse();
    void firstStartCopiesDemoCourse();
    void failedCopyLeavesNothing();
};

void TestProgramFiles::locate_data()
{
    QTest::addColumn<bool>("beside");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("build tree") << true << false << "bin/guide.htm";
    QTest::newRow("installed") << false << true << "share/norvena/guide.htm";
    QTest::newRow("both: beside wins") << true << true << "bin/guide.htm";
    QTest::newRow("neither: beside") << false << false << "bin/guide.htm";
}

void TestProgramFiles::locate()
{
    QFETCH(bool, beside);
    QFETCH(bool, installed);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QDir().mkpath(root.filePath("bin"));
    if (beside)
        writeFile(root.filePath("bin/guide.htm"), "beside");
    if (installed)
        writeFile(root.filePath("share/norvena/guide.htm"), "installed");
    QCOMPARE(ProgramFiles::locate(root.filePath("bin"), "../share/norvena", "guide.htm"), root.filePath(expected));
}

void TestProgramFiles::settings_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("course");
    QTest::newRow("no file") << QByteArray() << "";
    QTest::newRow("comments only") << QByteArray("# course = /srv/x\n\n   \n#course=/srv/y") << "";
    QTest::newRow("blanks and Cyrillic") << QByteArray("  course =  /srv/курс литературы  \n")
                                         << "/srv/курс литературы";
    QTest::newRow("no blanks, CR LF") << QByteArray("course=/srv/x\r\n") << "/srv/x";
    QTest::newRow("quoted") << QByteArray("course = \"/srv/a b/\"\n") << "/srv/a b";
    QTest::newRow("home") << QByteArray("course = ~/Норвена") << "<home>/Норвена";
    QTest::newRow("the last one holds") << QByteArray("course = /srv/a\ncourse = /srv/b\n") << "/srv/b";
    QTest::newRow("emptied") << QByteArray("course = /srv/a\ncourse =\n") << "";
}

void TestProgramFiles::settings()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, course);
    QTemporaryDir dir;
    const QString path = dir.filePath("norvena.conf");
    if (!content.isNull())
        writeFile(path, content);
    const QString home = dir.filePath("home");
    course.replace(QStringLiteral("<home>"), home);
    try {
        QCOMPARE(Launcher::readSettings(path, home).course, course);
    } catch (const Launcher::Failure& failure) {
        QFAIL(qPrintable(failure.text));
    }
}

void TestProgramFiles::badSettings_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("no equals sign") << QByteArray("course /srv/x\n")
                                    << "Ошибка в строке 1 файла настроек «<file>»: ожидается «имя = значение», "
                                       "а стоит «course /srv/x».";
    QTest::newRow("unknown name") << QByteArray("# the course\ncours = /srv/x\n")
                                  << "Ошибка в строке 2 файла настроек «<file>»: неизвестный параметр «cours».";
    QTest::newRow("relative folder") << QByteArray("course = srv/x\n")
                                     << "Ошибка в строке 1 файла настроек «<file>»: папка курса «srv/x» должна быть "
                                        "задана полным путём.";
    QTest::newRow("unreadable") << QByteArray() << "Не удалось прочитать файл настроек «<file>»: ";
}

void TestProgramFiles::badSettings()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("norvena.conf");
    if (content.isNull())
        QDir().mkpath(path); // a folder where the file should be: cannot be read, even by root
    else
        writeFile(path, content);
    message.replace(QStringLiteral("<file>"), path);
    try {
        Launcher::readSettings(path, dir.filePath("home"));
        QFAIL("no failure");
    } catch (const Launcher::Failure& failure) {
        QVERIFY2(failure.text.startsWith(message), qPrintable(failure.text));
    }
}

void TestProgramFiles::configuredCourse()
{
    QTemporaryDir root;
    const QString demo = makeDemo(root.path());
    const QString own = root.filePath("home/.local/share/norvena/course");
    const QString lab = root.filePath("srv/курс кафедры");
    QDir().mkpath(lab);

    QCOMPARE(Launcher::courseFolder({lab}, "/etc/norvena/norvena.conf", own, demo), lab);
    QVERIFY(!QFileInfo::exists(own)); // no copy of the demo course made

    // A configured folder that is not there (a share not mounted): said so,
    // and no other course is used in its place.
    const QString missing = root.filePath("mnt/курс");
    try {
        Launcher::courseFolder({missing}, "/etc/norvena/norvena.conf", own, demo);
        QFAIL("no failure");
    } catch (const Launcher::Failure& failure) {
        QCOMPARE(failure.text, QStringLiteral("Папка курса «%1» не найдена. Её задаёт администратор в файле "
                                              "«/etc/norvena/norvena.conf».")
                                   .arg(missing));
    }
    QVERIFY(!QFileInfo::exists(own));
}

void TestProgramFiles::firstStartCopiesDemoCourse()
{
    QTemporaryDir root;
    const QString demo = makeDemo(root.path());
    const QString own = root.filePath("home/.local/share/norvena/course"); // no folder of it exists yet

    QCOMPARE(Launcher::courseFolder({}, "norvena.conf", own, demo), own);
    QCOMPARE(treeOf(own), treeOf(demo));
    QCOMPARE(entriesOf(QFileInfo(own).absolutePath()), QStringList{"course"}); // no temporary folder left
    // The user's copy is the user's to write, the database included.
    QFile database(own + QStringLiteral("/test.mdb"));
    QVERIFY(database.permissions() & QFile::WriteOwner);
    QVERIFY(database.open(QIODevice::ReadWrite));
    database.close();

    // Later starts use the copy as it is, with what was written into it.
    writeFile(own + QStringLiteral("/test.mdb"), "results");
    QFile::remove(own + QStringLiteral("/1.txt"));
    QCOMPARE(Launcher::courseFolder({}, "norvena.conf", own, demo), own);
    QCOMPARE(readFile(own + QStringLiteral("/test.mdb")), QByteArray("results"));
    QVERIFY(!QFileInfo::exists(own + QStringLiteral("/1.txt")));
}

void TestProgramFiles::failedCopyLeavesNothing()
{
    QTemporaryDir root;
    const QString demo = makeDemo(root.path());
    const QString data = root.filePath("home/.local/share/norvena");

    // A special file in the demo course cannot be copied: the copy stops
    // half-way and nothing of it is left.
    const QString fifo = demo + QStringLiteral("/умкд/pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    try {
        Launcher::courseFolder({}, "norvena.conf", data + QStringLiteral("/course"), demo);
        QFAIL("no failure");
    } catch (const Launcher::Failure& failure) {
        QVERIFY2(failure.text.startsWith(
                     QStringLiteral("Не удалось скопировать учебный курс-пример в «%1/course»: ").arg(data)),
                 qPrintable(failure.text));
    }
    QCOMPARE(entriesOf(data), QStringList());
    QFile::remove(fifo);

    // Failures that stop the copy before it starts, each with its reason.
    const auto failureOf = [&](const QString& own, const QString& demoCourse) {
        try {
            Launcher::courseFolder({}, "norvena.conf", own, demoCourse);
        } catch (const Launcher::Failure& failure) {
            return failure.text;
        }
        return QString();
    };
    writeFile(root.filePath("file"), "a file");
    QVERIFY2(failureOf(root.filePath("file/norvena/course"), demo)
                 .startsWith(QStringLiteral("Не удалось создать папку «%1»: ").arg(root.filePath("file/norvena"))),
             qPrintable(failureOf(root.filePath("file/norvena/course"), demo)));
    QCOMPARE(failureOf(root.filePath("file"), demo),
             QStringLiteral("На месте папки курса «%1» лежит файл.").arg(root.filePath("file")));
    QCOMPARE(failureOf(data + QStringLiteral("/course"), root.filePath("nowhere")),
             QStringLiteral("Учебный курс-пример не найден: нет папки «%1». Обратитесь к администратору.")
                 .arg(root.filePath("nowhere")));
    QCOMPARE(entriesOf(data), QStringList());
}

QTEST_GUILESS_MAIN(TestProgramFiles)
#include "tst_programfiles.moc"
