// The main window: the author register, choosing authors and the working
// directory, opening presentations and documents, the teacher's add and
// remove, the teaching-materials panels and the exit.

#include "app/Forms.h"
#include "forms/Globals.h"
#include "app/Unit3.h"
#include "forms/AuthorRegister.h"
#include "forms/MaterialPanels.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"
#include "platform/Cp1251.h"
#include "platform/ErrorReport.h"
#include "platform/FileListBox.h"
#include "platform/FileSystem.h"
#include "support/CourseFixture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>

#include <cerrno>
#include <memory>
#include <unistd.h>

namespace {

// The register's bytes for a text, from the code page's literal values
// (А … я are 0xC0 … 0xFF, Ё is 0xA8, ё 0xB8, ASCII stays), not from the
// program's own encoder.
QByteArray win1251(QStringView text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            bytes += char(u);
        else if (u >= u'А' && u <= u'я')
            bytes += char(0xC0 + (u - u'А'));
        else if (u == u'Ё')
            bytes += '\xA8';
        else if (u == u'ё')
            bytes += '\xB8';
        else
            qFatal("no byte for U+%04X in the test's table", unsigned(u));
    }
    return bytes;
}

QStringList items(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result.append(list->item(i)->text());
    return result;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void registerParsing_data();
    void registerParsing();
    void registerWritesCrLfAfterEveryEntry();
    void registerKeepsEveryByte();
    void missingRegisterIsReportedAndListStaysEmpty();

    void choosingAuthorsMovesTheWorkingDirectory();
    void choosingAuthorWithoutFolderReportsAndReturnsHome();
    void emptyEntryListsTheCourseRoot();
    void launchButtonsNeedASelection();
    void listsKeepTheirSelectedLine_data();
    void listsKeepTheirSelectedLine();
    void fileListsInRussianAlphabetOrder();

    void addAuthor_data();
    void addAuthor();
    void addWithEmptyEditShowsNotice();
    void addReportsUnwritableRegister();
    void addReportsFolderThatCannotBeCreated();
    void refusedNameLeavesTheListAsTheFile();
    void fullDiskKeepsTheRegister_data();
    void fullDiskKeepsTheRegister();
    void readOnlyFolderStillTakesTheRegister();
    void removeAuthor_data();
    void removeAuthor();

    void fullStopRule_data();
    void fullStopRule();

    void panelsSwitchWithoutToggling();
    void materialButtons_data();
    void materialButtons();
    void everyMaterialOfTheDemoCourseExists();
    void materialReplacesAuthorDocument();
    void materialsWithoutTheirFolderStillShowTheViewer();
    void srspDoesNothing();
    void exitEndsTheProgram();
    void testsButtonFollowsTheRole_data();
    void testsButtonFollowsTheRole();

private:
    // Writes the register and author folders, then starts the program and
    // logs in (as teacher when asked).
    void startWith(const QByteArray& registerBytes, bool teacher = false);
    void chooseAuthor(int row);

    std::unique_ptr<CourseFixture> course;
};

void TestMainWindow::init() { course = std::make_unique<CourseFixture>(); }

void TestMainWindow::cleanup()
{
    FileSystem::setWriteFault({});
    if (course) {
        const QString problems = course->platform.verifyDone();
        course.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }
}

void TestMainWindow::startWith(const QByteArray& registerBytes, bool teacher)
{
    course->writeFile(QStringLiteral("1.txt"), registerBytes);
    course->start();
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(teacher ? QStringLiteral("quartz") : QString());
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
    QVERIFY(Form1->isVisible());
    course->platform.clear();
}

void TestMainWindow::chooseAuthor(int row) { selectRow(Form1->ListBox1, row); }

void TestMainWindow::registerParsing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    const QStringList ab{QStringLiteral("Пушкин"), QStringLiteral("Гоголь")};
    QTest::newRow("CR LF") << win1251(QStringLiteral("Пушкин\r\nГоголь\r\n")) << ab;
    QTest::newRow("bare LF") << win1251(QStringLiteral("Пушкин\nГоголь\n")) << ab;
    QTest::newRow("bare CR") << win1251(QStringLiteral("Пушкин\rГоголь\r")) << ab;
    QTest::newRow("last line without break") << win1251(QStringLiteral("Пушкин\r\nГоголь")) << ab;
    QTest::newRow("mixed line ends") << win1251(QStringLiteral("a\nb\r\nc\rd")) << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty lines inside") << QByteArray("a\r\n\r\nb\n\nc") << QStringList{"a", "", "b", "", "c"};
    QTest::newRow("LF then CR is two breaks") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("NUL ends the text") << QByteArray("a\r\nb\0c\r\nd", 10) << QStringList{"a", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only a line break") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("blanks are kept") << QByteArray(" a \r\n") << QStringList{" a "};
}

void TestMainWindow::registerParsing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QCOMPARE(AuthorRegister::parse(bytes), entries);
    startWith(bytes);
    QCOMPARE(items(Form1->ListBox1), entries);
}

void TestMainWindow::registerWritesCrLfAfterEveryEntry()
{
    startWith(win1251(QStringLiteral("Пушкин\nГоголь")), true);
    Form1->Edit3->setText(QStringLiteral("Лермонтов"));
    click(Form1->Button7);
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), win1251(QStringLiteral("Пушкин\r\nГоголь\r\nЛермонтов\r\n")));
    QCOMPARE(AuthorRegister::parse(course->readFile(QStringLiteral("1.txt"))), items(Form1->ListBox1));
}

void TestMainWindow::registerKeepsEveryByte()
{
    // Every byte value that can stand in a line (all but NUL, CR and LF),
    // 0x98 among them, which the code page leaves unassigned.
    QList<QByteArray> lines;
    for (int b = 1; b < 256;) {
        QByteArray line;
        for (; line.size() < 16 && b < 256; ++b)
            if (b != '\r' && b != '\n')
                line += char(b);
        lines << line;
    }
    const auto file = [](const QList<QByteArray>& entries) {
        QByteArray bytes;
        for (const QByteArray& entry : entries)
            bytes += entry + "\r\n";
        return bytes;
    };
    startWith(lines.join('\n'), true);
    QCOMPARE(Form1->ListBox1->count(), lines.size());

    Form1->Edit3->setText(QStringLiteral("Новый"));
    click(Form1->Button7);
    QCOMPARE(course->platform.boxes.size(), 0);
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), file(lines) + "\xcd\xee\xe2\xfb\xe9\r\n");

    // Removing a line leaves every other one byte for byte.
    {
        const QSignalBlocker quiet(Form1->ListBox1); // no author is chosen: the lines have no folders
        Form1->ListBox1->setCurrentRow(9);
    }
    course->platform.answers = {true};
    click(Form1->Button8);
    QCOMPARE(course->platform.boxes.size(), 1); // the question
    QList<QByteArray> remaining = lines;
    remaining.removeAt(9);
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), file(remaining) + "\xcd\xee\xe2\xfb\xe9\r\n");
}

void TestMainWindow::missingRegisterIsReportedAndListStaysEmpty()
{
    QFile::remove(course->path(QStringLiteral("1.txt")));
    course->start();
    const QStringList errors = course->platform.texts(QStringLiteral("error"));
    QVERIFY(!errors.isEmpty());
    QCOMPARE(errors.first(), QStringLiteral("Cannot open file \"%1\". No such file or directory.")
                                 .arg(QDir::toNativeSeparators(course->path(QStringLiteral("1.txt")))));
    QCOMPARE(course->platform.boxes.first().caption, QStringLiteral("Норвена"));
    QCOMPARE(Form1->ListBox1->count(), 0);
    QVERIFY(Form3 && !Form3->isVisible()); // shown only once the message loop runs
}

void TestMainWindow::choosingAuthorsMovesTheWorkingDirectory()
{
    const QString a = QStringLiteral("Автор \"А\" 'первый'");
    const QString b = QStringLiteral("Автор Б");
    for (const QString& name : {a, b}) {
        course->makeFolder(name);
        course->writeFile(name + QStringLiteral("/Слайды ") + name + QStringLiteral(".PPS"), "x");
        course->writeFile(name + QStringLiteral("/Статья.htm"), "<p>x</p>");
        course->writeFile(name + QStringLiteral("/Заметки.txt"), "x");
    }
    startWith(win1251(a + QStringLiteral("\r\n") + b));
    const QString home = HomeDir;
    QCOMPARE(home, course->root());
    QCOMPARE(Form1->FileListBox1->count(), 0);

    for (int row : {0, 1, 0}) {
        const QString name = row == 0 ? a : b;
        chooseAuthor(row);
        QCOMPARE(course->platform.boxes.size(), 0);
        QCOMPARE(QDir::currentPath(), home + u'/' + name);
        QCOMPARE(items(Form1->FileListBox1), QStringList{QStringLiteral("Слайды ") + name + QStringLiteral(".PPS")});
        QCOMPARE(items(Form1->FileListBox2), QStringList{QStringLiteral("Статья.htm")});

        selectRow(Form1->FileListBox1, 0);
        click(Form1->Button2);
        QCOMPARE(course->platform.launches.size(), 1);
        QCOMPARE(course->platform.launches.last().file,
                 home + u'/' + name + QStringLiteral("/Слайды ") + name + QStringLiteral(".PPS"));
        QCOMPARE(course->platform.launches.last().operation, QStringLiteral("Open"));
        QCOMPARE(course->platform.launches.last().showCommand, 1);

        selectRow(Form1->FileListBox2, 0);
        click(Form1->Button6);
        QVERIFY(Form2->isVisible());
        QCOMPARE(Form2->windowTitle(), QStringLiteral("Статья.htm"));
        course->platform.clear();
    }
}

void TestMainWindow::choosingAuthorWithoutFolderReportsAndReturnsHome()
{
    course->makeFolder(QStringLiteral("Есть"));
    course->writeFile(QStringLiteral("Есть/a.pps"), "x");
    course->writeFile(QStringLiteral("Есть/a.htm"), "x");
    course->writeFile(QStringLiteral("корень.pps"), "x");
    startWith(win1251(QStringLiteral("Есть\r\nНет такой папки\r\n")));
    chooseAuthor(0);
    chooseAuthor(1);
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList{QStringLiteral("File not found.")});
    QCOMPARE(QDir::currentPath(), HomeDir);
    QCOMPARE(items(Form1->FileListBox1), QStringList{QStringLiteral("корень.pps")});
    QCOMPARE(items(Form1->FileListBox2), QStringList{QStringLiteral("a.htm")}); // the previous author's documents
}

void TestMainWindow::emptyEntryListsTheCourseRoot()
{
    course->writeFile(QStringLiteral("корень.pps"), "x");
    course->writeFile(QStringLiteral("корень.htm"), "x");
    startWith(QByteArray("\r\n"));
    chooseAuthor(0);
    QCOMPARE(course->platform.boxes.size(), 0);
    QCOMPARE(items(Form1->FileListBox1), QStringList{QStringLiteral("корень.pps")});
    QCOMPARE(items(Form1->FileListBox2), QStringList{QStringLiteral("корень.htm")});
    QCOMPARE(QDir::currentPath(), HomeDir);
}

void TestMainWindow::launchButtonsNeedASelection()
{
    startWith(win1251(QStringLiteral("Пушкин А. С.\r\n")));
    click(Form1->Button2);
    click(Form1->Button6);
    chooseAuthor(0);
    QVERIFY(Form1->FileListBox1->count() > 0);
    click(Form1->Button2);
    click(Form1->Button6);
    QVERIFY(course->platform.launches.isEmpty());
    QVERIFY(!Form2->isVisible());
    QVERIFY(course->platform.boxes.isEmpty());
}

// Single-selection lists keep one selected line once one was chosen: a
// click beside the lines or Ctrl on the selected line takes nothing away.
void TestMainWindow::listsKeepTheirSelectedLine_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("gesture");
    for (const char* list : {"ListBox1", "FileListBox1", "FileListBox2"})
        for (const char* gesture : {"click beside the lines", "Ctrl+click on the line", "Ctrl+Space on the line"})
            QTest::addRow("%s, %s", list, gesture) << QString::fromLatin1(list) << QString::fromLatin1(gesture);
}

void TestMainWindow::listsKeepTheirSelectedLine()
{
    QFETCH(QString, list);
    QFETCH(QString, gesture);
    for (const char* name : {"a", "b"}) {
        course->makeFolder(QString::fromLatin1(name));
        course->writeFile(QString::fromLatin1(name) + QStringLiteral("/doc.htm"), "x");
        course->writeFile(QString::fromLatin1(name) + QStringLiteral("/show.pps"), "x");
    }
    startWith(QByteArray("a\r\nb\r\n"), true);
    chooseAuthor(1);
    QListWidget* widget = Form1->findChild<QListWidget*>(list);
    QVERIFY(widget);
    if (widget != Form1->ListBox1)
        selectRow(widget, 0);
    const int row = widget->currentRow();
    QVERIFY(widget->item(row)->isSelected());

    const QRect line = widget->visualItemRect(widget->item(row));
    if (gesture.startsWith(QLatin1String("click"))) {
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, QPoint(20, widget->viewport()->height() - 4));
    } else if (gesture.startsWith(QLatin1String("Ctrl+click"))) {
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::ControlModifier, line.center());
    } else {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Space, Qt::ControlModifier);
    }
    QCOMPARE(widget->selectedItems().size(), 1);
    QCOMPARE(widget->currentRow(), row);
    QCOMPARE(items(Form1->FileListBox2), QStringList{QStringLiteral("doc.htm")});
    QVERIFY(course->platform.boxes.isEmpty());

    // "Удалить" removes the author the file lists show.
    course->platform.answers = {true};
    click(Form1->Button8);
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), QByteArray("a\r\n"));
}

void TestMainWindow::fileListsInRussianAlphabetOrder()
{
    course->makeFolder(QStringLiteral("Автор"));
    for (const QString& name :
         {QStringLiteral("яблоко.htm"), QStringLiteral("Ёлка.htm"), QStringLiteral("ель.htm"),
          QStringLiteral("Жук.htm"), QStringLiteral("ежевика.htm"), QStringLiteral("Еда.htm"), QStringLiteral("ёж.pps"),
          QStringLiteral("Ёрш.pps"), QStringLiteral("юг.pps"), QStringLiteral("Елена.pps")})
        course->writeFile(QStringLiteral("Автор/") + name, "x");
    startWith(QByteArray("\xc0\xe2\xf2\xee\xf0\r\n")); // "Автор"
    chooseAuthor(0);
    // "ё" and "Ё" stand with "е", letter case ignored.
    QCOMPARE(items(Form1->FileListBox2),
             (QStringList{QStringLiteral("Еда.htm"), QStringLiteral("ежевика.htm"), QStringLiteral("Ёлка.htm"),
                          QStringLiteral("ель.htm"), QStringLiteral("Жук.htm"), QStringLiteral("яблоко.htm")}));
    QCOMPARE(items(Form1->FileListBox1), (QStringList{QStringLiteral("ёж.pps"), QStringLiteral("Елена.pps"),
                                                      QStringLiteral("Ёрш.pps"), QStringLiteral("юг.pps")}));
}

void TestMainWindow::addAuthor_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folderExists");
    QTest::newRow("new name with quotes and Cyrillic") << QStringLiteral("Д'Артаньян \"Шарль\" Ёлкин") << false;
    QTest::newRow("name of blanks only") << QStringLiteral("   ") << false;
    QTest::newRow("folder already there") << QStringLiteral("Гоголь") << true;
    QTest::newRow("name already in the list") << QStringLiteral("Пушкин") << true;
}

void TestMainWindow::addAuthor()
{
    QFETCH(QString, name);
    QFETCH(bool, folderExists);
    for (const char* existing : {"Пушкин", "Гоголь", "Я"}) {
        course->makeFolder(QString::fromUtf8(existing));
        course->writeFile(QString::fromUtf8(existing) + QStringLiteral("/keep.htm"), "keep");
    }
    startWith(win1251(QStringLiteral("Пушкин\r\nЯ")), true);
    QVERIFY(Form1->Button7->isVisible() && Form1->Button8->isVisible() && Form1->Edit3->isVisible());
    QVERIFY(Form1->Edit3->text().isEmpty());
    chooseAuthor(1);
    const QString cwd = QDir::currentPath();

    Form1->Edit3->setText(name);
    click(Form1->Button7);

    QCOMPARE(items(Form1->ListBox1), (QStringList{QStringLiteral("Пушкин"), QStringLiteral("Я"), name}));
    QCOMPARE(Form1->ListBox1->currentRow(), 1); // the selection does not change
    QCOMPARE(course->readFile(QStringLiteral("1.txt")),
             win1251(QStringLiteral("Пушкин\r\nЯ\r\n") + name + QStringLiteral("\r\n")));
    QVERIFY(QFileInfo(course->path(name)).isDir());
    if (folderExists)
        QCOMPARE(course->readFile(name + QStringLiteral("/keep.htm")), QByteArray("keep"));
    QVERIFY(Form1->Edit3->text().isEmpty());
    QCOMPARE(QDir::currentPath(), cwd);
    QVERIFY(course->platform.boxes.isEmpty());
}

void TestMainWindow::addWithEmptyEditShowsNotice()
{
    startWith(QByteArray("a\n"), true);
    click(Form1->Button7);
    QCOMPARE(course->platform.texts(QStringLiteral("notice")), QStringList{QStringLiteral("Вы не ввели ФИО!")});
    QCOMPARE(course->platform.boxes.first().caption, QStringLiteral("Норвена"));
    QCOMPARE(items(Form1->ListBox1), QStringList{"a"});
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), QByteArray("a\n")); // not rewritten
}

void TestMainWindow::addReportsUnwritableRegister()
{
    startWith(QByteArray("a\r\n"), true);
    // The register cannot be replaced while a folder stands in its place.
    QFile::remove(course->path(QStringLiteral("1.txt")));
    course->makeFolder(QStringLiteral("1.txt"));
    Form1->Edit3->setText(QStringLiteral("Новый"));
    click(Form1->Button7);
    const QStringList errors = course->platform.texts(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("Cannot create file \"%1\". ")
                                           .arg(QDir::toNativeSeparators(course->path(QStringLiteral("1.txt"))))),
             qPrintable(errors.first()));
    QVERIFY(errors.first().endsWith(u'.'));
    QCOMPARE(items(Form1->ListBox1), (QStringList{"a", QStringLiteral("Новый")}));
    QVERIFY(!QFileInfo::exists(course->path(QStringLiteral("Новый"))));
    QCOMPARE(Form1->Edit3->text(), QStringLiteral("Новый"));
}

void TestMainWindow::addReportsFolderThatCannotBeCreated()
{
    startWith(QByteArray("a\r\n"), true);
    course->writeFile(QStringLiteral("Файл"), "a plain file where the folder would go");
    Form1->Edit3->setText(QStringLiteral("Файл"));
    click(Form1->Button7);
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList{QStringLiteral("I/O error 183.")});
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), win1251(QStringLiteral("a\r\nФайл\r\n")));
    QCOMPARE(Form1->Edit3->text(), QStringLiteral("Файл"));
}

void TestMainWindow::refusedNameLeavesTheListAsTheFile()
{
    startWith(QByteArray("a\r\n"), true);
    Form1->Edit3->setText(QStringLiteral("Ὅμηρος"));
    click(Form1->Button7);
    const QStringList errors = course->platform.texts(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("Cannot create file \"%1\". The name \"Ὅμηρος\"")
                                           .arg(QDir::toNativeSeparators(course->path(QStringLiteral("1.txt"))))),
             qPrintable(errors.first()));
    QCOMPARE(items(Form1->ListBox1), QStringList{"a"});
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), QByteArray("a\r\n"));
    QCOMPARE(Form1->Edit3->text(), QStringLiteral("Ὅμηρος"));
    QVERIFY(!QFileInfo::exists(course->path(QStringLiteral("Ὅμηρος"))));

    // The next add and remove work as before.
    course->platform.clear();
    Form1->Edit3->setText(QStringLiteral("Гомер"));
    click(Form1->Button7);
    course->platform.answers = {true};
    click(Form1->Button8);
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList{});
    QCOMPARE(items(Form1->ListBox1), (QStringList{"a", QStringLiteral("Гомер")}));
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), QByteArray("a\r\n\xc3\xee\xec\xe5\xf0\r\n"));
}

void TestMainWindow::fullDiskKeepsTheRegister_data()
{
    QTest::addColumn<bool>("add");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("adding") << true << QStringList{"a", "b", QStringLiteral("Новый")};
    QTest::newRow("removing") << false << QStringList{"b"};
}

void TestMainWindow::fullDiskKeepsTheRegister()
{
    QFETCH(bool, add);
    QFETCH(QStringList, listed);
    course->makeFolder(QStringLiteral("a"));
    startWith(QByteArray("a\r\nb\r\n"), true);
    chooseAuthor(0);
    Form1->Edit3->setText(QStringLiteral("Новый"));
    FileSystem::setWriteFault(
        [](FileSystem::WriteStep step) { return step == FileSystem::WriteStep::Write ? ENOSPC : 0; });
    if (!add)
        course->platform.answers = {true};
    click(add ? Form1->Button7 : Form1->Button8);

    // Reported with the system's reason; the file keeps its content, the
    // list has changed, the name stays in the edit and no folder is made.
    QCOMPARE(course->platform.texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Cannot create file \"%1\". No space left on device.")
                             .arg(QDir::toNativeSeparators(course->path(QStringLiteral("1.txt"))))});
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), QByteArray("a\r\nb\r\n"));
    QCOMPARE(items(Form1->ListBox1), listed);
    QCOMPARE(Form1->Edit3->text(), QStringLiteral("Новый"));
    QVERIFY(!QFileInfo::exists(course->path(QStringLiteral("Новый"))));

    // With room on the disk again, the next change writes the whole list.
    FileSystem::setWriteFault({});
    click(Form1->Button7);
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), (add ? QByteArray("a\r\nb\r\n") : QByteArray("b\r\n")) +
                                                            "\xcd\xee\xe2\xfb\xe9\r\n" +
                                                            (add ? "\xcd\xee\xe2\xfb\xe9\r\n" : ""));
}

void TestMainWindow::readOnlyFolderStillTakesTheRegister()
{
    course->makeFolder(QStringLiteral("Новый"));
    startWith(QByteArray("a\r\n"), true);
    // The folder takes no new file; "1.txt" itself can be written. The
    // system refuses root nothing, so for root the refusal is injected.
    const QFile::Permissions folderPermissions = QFile::permissions(course->root());
    if (::geteuid() == 0)
        FileSystem::setWriteFault(
            [](FileSystem::WriteStep step) { return step == FileSystem::WriteStep::CreateNew ? EACCES : 0; });
    else
        QVERIFY(QFile::setPermissions(course->root(), QFile::ReadOwner | QFile::ExeOwner));
    Form1->Edit3->setText(QStringLiteral("Новый"));
    click(Form1->Button7);
    QFile::setPermissions(course->root(), folderPermissions);
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList{});
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), QByteArray("a\r\n\xcd\xee\xe2\xfb\xe9\r\n"));
}

void TestMainWindow::removeAuthor_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("answer No") << false << 1 << QStringList{"a", "b", "c"} << QByteArray("a\nb\nc");
    QTest::newRow("Yes, nothing selected") << true << -1 << QStringList{"a", "b", "c"} << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("Yes, middle selected") << true << 1 << QStringList{"a", "c"} << QByteArray("a\r\nc\r\n");
    QTest::newRow("Yes, last selected") << true << 2 << QStringList{"a", "b"} << QByteArray("a\r\nb\r\n");
}

void TestMainWindow::removeAuthor()
{
    QFETCH(bool, yes);
    QFETCH(int, selected);
    QFETCH(QStringList, remaining);
    QFETCH(QByteArray, file);
    for (const char* name : {"a", "b", "c"}) {
        course->makeFolder(QString::fromLatin1(name));
        course->writeFile(QString::fromLatin1(name) + QStringLiteral("/doc.htm"), "x");
    }
    startWith(QByteArray("a\nb\nc"), true);
    if (selected >= 0)
        chooseAuthor(selected);
    const QString cwd = QDir::currentPath();
    Form1->Edit3->setText(QStringLiteral("typed"));
    course->platform.answers = {yes};

    click(Form1->Button8);

    QCOMPARE(course->platform.texts(QStringLiteral("information-yes-no")),
             QStringList{QStringLiteral("Вы действительно хотите удалить запись?")});
    QCOMPARE(course->platform.boxes.first().caption, QStringLiteral("Information"));
    QCOMPARE(items(Form1->ListBox1), remaining);
    QCOMPARE(course->readFile(QStringLiteral("1.txt")), file);
    QCOMPARE(Form1->Edit3->text(), yes ? QString() : QStringLiteral("typed"));
    if (yes)
        QVERIFY(Form1->ListBox1->selectedItems().isEmpty());
    // The folder, the file lists and the working directory stay.
    QVERIFY(QFileInfo(course->path(QStringLiteral("b"))).isDir());
    QCOMPARE(QDir::currentPath(), cwd);
    if (selected >= 0)
        QCOMPARE(Form1->FileListBox2->count(), 1);
}

void TestMainWindow::fullStopRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << QStringLiteral("Disk full") << QStringLiteral("Disk full.");
    QTest::newRow("Cyrillic letter") << QStringLiteral("Ошибка") << QStringLiteral("Ошибка.");
    QTest::newRow("digit") << QStringLiteral("I/O error 183") << QStringLiteral("I/O error 183.");
    QTest::newRow("slash, code above the full stop") << QStringLiteral("a/") << QStringLiteral("a/.");
    QTest::newRow("full stop") << QStringLiteral("Done.") << QStringLiteral("Done.");
    QTest::newRow("exclamation mark") << QStringLiteral("Стоп!") << QStringLiteral("Стоп!");
    QTest::newRow("closing parenthesis") << QStringLiteral("(Null)") << QStringLiteral("(Null)");
    QTest::newRow("hyphen, code below") << QStringLiteral("a -") << QStringLiteral("a -");
    QTest::newRow("empty") << QString() << QString();
}

void TestMainWindow::fullStopRule()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ErrorReport::withFullStop(text), shown);
    ErrorReport::show(text);
    QCOMPARE(course->platform.boxes.size(), 1);
    QCOMPARE(course->platform.boxes.first().kind, QStringLiteral("error"));
    QCOMPARE(course->platform.boxes.first().caption, QStringLiteral("Норвена"));
    QCOMPARE(course->platform.boxes.first().text, shown);
}

void TestMainWindow::panelsSwitchWithoutToggling()
{
    startWith(QByteArray("a\r\n"));
    QVERIFY(!Form1->sPanel2->isVisible() && !Form1->sPanel3->isVisible());
    QCOMPARE(Form1->sPanel2->geometry(), QRect(8, 424, 577, 121));
    QCOMPARE(Form1->sPanel3->geometry(), QRect(8, 424, 577, 145));
    click(Form1->Button3);
    QVERIFY(Form1->sPanel2->isVisible() && !Form1->sPanel3->isVisible());
    click(Form1->Button3);
    QVERIFY(Form1->sPanel2->isVisible() && !Form1->sPanel3->isVisible());
    click(Form1->Button30);
    QVERIFY(!Form1->sPanel2->isVisible() && Form1->sPanel3->isVisible());
    click(Form1->Button30);
    QVERIFY(!Form1->sPanel2->isVisible() && Form1->sPanel3->isVisible());
}

// Every material button of both panels, with the literal values of the
// course's table of materials: button, its caption, the file in "умкд" and
// the viewer's caption.
void TestMainWindow::materialButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("viewerCaption");
    const auto row = [](int panel, const char* button, const char* caption, const char* file, const char* viewer) {
        QTest::addRow("part %d, %s", panel - 1, button)
            << QString::fromLatin1(button) << panel << QString::fromUtf8(caption) << QString::fromUtf8(file)
            << QString::fromUtf8(viewer);
    };
    row(2, "Button10", "Лекция 1", "Лекция1.htm", "Лекция 1");
    row(2, "Button11", "Лекция 2", "Лекция2.htm", "Лекция 2");
    row(2, "Button12", "Лекция 3", "Лекция3.htm", "Лекция 3");
    row(2, "Button13", "Лекция 4", "Лекция4.htm", "Лекция 4");
    row(2, "Button14", "Лекция 5", "Лекция5.htm", "Лекция 5");
    row(2, "Button15", "Лекция 6", "Лекция6.htm", "Лекция 6");
    row(2, "Button16", "Лекция 7", "Лекция7.htm", "Лекция 7");
    row(2, "Button17", "Лекция 8", "Лекция8.htm", "Лекция 8");
    row(2, "Button18", "Лекция 9", "Лекция9.htm", "Лекция 9");
    row(2, "Button19", "Лекция 10", "Лекция10.htm", "Лекция 10");
    row(2, "Button20", "Лекция 11", "Лекция11.htm", "Лекция 11");
    row(2, "Button21", "Лекция 12", "Лекция12.htm", "Лекция 12");
    row(2, "Button22", "Лекция 13", "Лекция13.htm", "Лекция 13");
    row(2, "Button23", "Лекция 14", "Лекция14.htm", "Лекция 14");
    row(2, "Button24", "Вопросы к рубежному контролю", "Вопросы к рубежному контролю.htm",
        "Вопросы к рубежному контролю");
    row(2, "Button25", "Планы практических занятий", "Планы практических занятий.htm", "Планы практических занятий");
    row(2, "Button26", "Экзаменационные вопросы", "Экзаменационные вопросы.htm", "Экзаменационные вопросы");
    row(3, "Button59", "Лекция 1", "Лекция1-2.htm", "Лекция 1");
    row(3, "Button60", "Лекция 2", "Лекция2-2.htm", "Лекция 2");
    row(3, "Button51", "Лекция 3", "Лекция3-2.htm", "Лекция 3");
    row(3, "Button52", "Лекция 4", "Лекция4-2.htm", "Лекция 4");
    row(3, "Button53", "Лекция 5", "Лекция5-2.htm", "Лекция 5");
    row(3, "Button54", "Лекция 6", "Лекция6-2.htm", "Лекция 6");
    row(3, "Button55", "Лекция 7", "Лекция7-2.htm", "Лекция 7");
    row(3, "Button56", "Лекция 8", "Лекция8-2.htm", "Лекция 8");
    row(3, "Button57", "Лекция 9", "Лекция9-2.htm", "Лекция 9");
    row(3, "Button58", "Лекция 10", "Лекция10-2.htm", "Лекция 10");
    row(3, "Button61", "Лекция 11", "Лекция11-2.htm", "Лекция 11");
    row(3, "Button45", "Лекционные занятия", "Лекционные занятия.htm", "Лекционные занятия");
    row(3, "Button46", "Практические занятия", "Практические занятия.htm", "Практические занятия");
    row(3, "Button48", "СРС и источники", "СРС и источники.htm", "СРС и источники");
    row(3, "Button50", "Вопросы к рубежным контролям + экзаменационные",
        "Вопросы к рубежным контролям2 + экзаменационные.htm", "Вопросы к рубежным контролям2 + экзаменационные");
    row(3, "Button49", "Планы практических занятий", "Планы практических занятий2.htm", "Планы практических занятий 2");
}

void TestMainWindow::materialButtons()
{
    QFETCH(QString, button);
    QFETCH(int, panel);
    QFETCH(QString, caption);
    QFETCH(QString, file);
    QFETCH(QString, viewerCaption);
    course->makeFolder(QStringLiteral("Автор"));
    startWith(QByteArray("\xc0\xe2\xf2\xee\xf0\r\n")); // "Автор"
    chooseAuthor(0);                                   // the working directory moves away
    click(panel == 2 ? Form1->Button3 : Form1->Button30);
    QPushButton* b = Form1->materialButton(button);
    QVERIFY(b && b->isVisible());
    QCOMPARE(b->parentWidget(), panel == 2 ? Form1->sPanel2 : Form1->sPanel3);
    QCOMPARE(b->text(), caption);
    click(b);
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->windowTitle(), viewerCaption);
    auto* view = Form2->findChild<HtmlView*>();
    QVERIFY(view);
    QCOMPARE(view->location(), HomeDir + QStringLiteral("/умкд/") + file);
    QVERIFY(QFileInfo::exists(view->location()));
    QVERIFY(course->platform.boxes.isEmpty());
}

void TestMainWindow::everyMaterialOfTheDemoCourseExists()
{
    int materials = 0;
    for (const MaterialButton& row : kMaterialButtons) {
        if (!row.file)
            continue;
        ++materials;
        const QString path = CourseFixture::demoCourse() + QStringLiteral("/умкд/") + QString::fromUtf16(row.file);
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    }
    QCOMPARE(materials, 33);
}

void TestMainWindow::materialReplacesAuthorDocument()
{
    startWith(win1251(QStringLiteral("Пушкин А. С.\r\n")));
    chooseAuthor(0);
    selectRow(Form1->FileListBox2, 0);
    click(Form1->Button6);
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Биография А. С. Пушкина.htm"));
    click(Form1->Button30);
    click(Form1->materialButton(QStringLiteral("Button45")));
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Лекционные занятия"));
    QCOMPARE(Form2->findChild<HtmlView*>()->location(), HomeDir + QStringLiteral("/умкд/Лекционные занятия.htm"));
}

void TestMainWindow::materialsWithoutTheirFolderStillShowTheViewer()
{
    QDir(course->path(QStringLiteral("умкд"))).removeRecursively();
    startWith(QByteArray("a\r\n"));
    click(Form1->Button3);
    click(Form1->materialButton(QStringLiteral("Button25")));
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Планы практических занятий"));
    QVERIFY(course->platform.boxes.isEmpty());
}

void TestMainWindow::srspDoesNothing()
{
    startWith(QByteArray("a\r\n"));
    click(Form1->Button30);
    QPushButton* srsp = Form1->materialButton(QStringLiteral("Button47"));
    QCOMPARE(srsp->text(), QStringLiteral("СРСП"));
    click(srsp);
    QVERIFY(!Form2->isVisible());
    QVERIFY(course->platform.boxes.isEmpty());
}

void TestMainWindow::exitEndsTheProgram()
{
    startWith(QByteArray("a\r\n"));
    Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/Лекция1.htm"), QStringLiteral("Лекция 1"));
    QCOMPARE(Form1->Button9->text(), QStringLiteral("Выход "));
    click(Form1->Button9);
    QCOMPARE(course->platform.quitCodes, QList<int>{0});
}

void TestMainWindow::testsButtonFollowsTheRole_data()
{
    QTest::addColumn<bool>("teacher");
    QTest::newRow("student opens the test window") << false;
    QTest::newRow("teacher opens the test editor") << true;
}

void TestMainWindow::testsButtonFollowsTheRole()
{
    QFETCH(bool, teacher);
    startWith(QByteArray("a\r\n"), teacher);
    click(Form1->Button44);
    QCOMPARE(Form6->isVisible(), !teacher);
    QCOMPARE(Form8->isVisible(), teacher);
    QVERIFY(course->platform.boxes.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
