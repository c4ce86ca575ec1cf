// The multimedia window: opening the catalogue, launching an entry's file
// through the shell and adding entries, on the test window's tblMedia.

#include "support/CourseFixture.h"
#include "support/SideConnection.h"

#include "app/Forms.h"
#include "data/Table.h"
#include "forms/Unit1.h"
#include "forms/Unit10.h"
#include "forms/Unit6.h"
#include "platform/ErrorReport.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString kConversionError = QStringLiteral("Could not convert variant of type (Null) into type (String)");

// One row of table media; a null QVariant is an absent value.
struct Entry {
    QVariant name;
    QVariant file;
};

// "'text'" for a text, "(absent)" for an absent value: rows compare readably.
QString shown(const QVariant& v) { return v.isNull() ? QStringLiteral("(absent)") : u'\'' + v.toString() + u'\''; }

QStringList shown(const QList<Entry>& rows)
{
    QStringList result;
    for (const Entry& row : rows)
        result << shown(row.name) + u' ' + shown(row.file);
    return result;
}

// The media rows of the course's database file, read outside the program,
// in their stored order.
QList<Entry> catalogue(SideConnection& db)
{
    QList<Entry> rows;
    for (const QVariantList& row : db.rows(QStringLiteral("SELECT name, file FROM media ORDER BY rowid")))
        rows.append({row.value(0), row.value(1)});
    return rows;
}

const QString kPlainMedia = QStringLiteral("CREATE TABLE media (name VARCHAR(100), file VARCHAR(255))");

// Gives the course's database exactly these media rows, in this stored
// order, with the media table defined as given, and starts the program.
bool startWith(CourseFixture& course, const QList<Entry>& rows, const QString& mediaTable = kPlainMedia)
{
    {
        SideConnection db(course.path(QStringLiteral("test.mdb")));
        if (!db.exec(QStringLiteral("DROP TABLE media")) || !db.exec(mediaTable))
            return false;
        for (const Entry& row : rows) {
            if (!db.exec(QStringLiteral("INSERT INTO media (name, file) VALUES (?, ?)"), {row.name, row.file}))
                return false;
        }
    }
    course.start();
    if (!course.platform.boxes.isEmpty()) {
        qWarning() << "start-up reported:" << course.platform.texts(QStringLiteral("error"));
        return false;
    }
    return true;
}

QList<Entry> stored(const CourseFixture& course)
{
    SideConnection db(course.path(QStringLiteral("test.mdb")));
    return catalogue(db);
}

// "Видео" of the main window: the opening runs as its handler does.
void openMedia()
{
    ErrorReport::run([] { Form10->OpenMedia(); });
}

QStringList lines()
{
    QStringList result;
    for (int i = 0; i < Form10->sListBox1->count(); ++i)
        result << Form10->sListBox1->item(i)->text();
    return result;
}

// Types the text into the edit key by key, Cyrillic letters included.
void typeInto(QLineEdit* edit, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// Selects a line of the list and presses "Запустить".
void launchLine(int row)
{
    selectRow(Form10->sListBox1, row);
    click(Form10->sButton1);
}

QString canonical(const QString& folder) { return QFileInfo(folder).canonicalFilePath(); }

} // namespace

class MediaWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openingListsTheNamesAndClearsTheEdits();
    void launchOpensTheFileOfTheSelectedEntry_data();
    void launchOpensTheFileOfTheSelectedEntry();
    void launchResolvesAgainstTheWorkingDirectoryOfTheMoment();
    void longMediaPathArrivesWhole();
    void emptyCatalogue();
    void absentNameStopsTheList();
    void absentFileLaunchesNothing();
    void addStoresTheTextsAsTyped_data();
    void addStoresTheTextsAsTyped();
    void refusedAddStaysPendingAndComesBack();
    void openingRetriesATableThatFailedAtStartUp();
    void demoCatalogueFilesArePresent();
};

void MediaWindowTest::openingListsTheNamesAndClearsTheEdits()
{
    CourseFixture course;
    QVERIFY(startWith(course, {{QStringLiteral("Лермонтов"), QStringLiteral("lermontov.wav")},
                               {QStringLiteral("Пушкин"), QStringLiteral("pushkin.png")},
                               {QStringLiteral("Лермонтов. Парус"), QStringLiteral("lermontov-parus.wav")}}));
    QVERIFY(!Form10->isVisible());

    Form10->sListBox1->addItems({QStringLiteral("old line")});
    Form10->sEdit1->setText(QStringLiteral("one"));
    Form10->sEdit2->setText(QStringLiteral("two"));
    Form10->sEdit3->setText(QStringLiteral("three"));
    openMedia();

    QVERIFY(Form10->isVisible());
    QCOMPARE(lines(), QStringList({"Лермонтов", "Пушкин", "Лермонтов. Парус"}));
    QCOMPARE(Form10->sEdit1->text(), QString());
    QCOMPARE(Form10->sEdit2->text(), QString());
    QCOMPARE(Form10->sEdit3->text(), QString());
    QVERIFY(Form10->sEdit1->isHidden());
    QVERIFY(course.platform.boxes.isEmpty());

    // Tab order; the hidden edit keeps its place between the button and the list.
    const QList<QWidget*> controls = {Form10->sButton1, Form10->sEdit1, Form10->sListBox1,
                                      Form10->sEdit2,   Form10->sEdit3, Form10->sButton2};
    QList<QWidget*> chain;
    QWidget* w = Form10->sButton1;
    do {
        if (controls.contains(w))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != Form10->sButton1);
    QCOMPARE(chain, controls);
}

void MediaWindowTest::launchOpensTheFileOfTheSelectedEntry_data()
{
    // Rows in stored order; each line, when launched, opens its own file.
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("title before longer title")
        << QStringList{"Парус", "Парус. Чтение"} << QStringList{"parus.png", "parus-reading.wav"};
    QTest::newRow("longer title before title")
        << QStringList{"Парус. Чтение", "Парус"} << QStringList{"parus-reading.wav", "parus.png"};
    QTest::newRow("three titles, each the start of the next, scrambled")
        << QStringList{"Лермонтов. Парус", "Пушкин", "Лермонтов. Парус (чтение)", "Лермонтов"}
        << QStringList{"b.wav", "p.png", "c.wav", "a.wav"};
    QTest::newRow("titles differing in letter case only from a longer one")
        << QStringList{"ПАРУС. ЧТЕНИЕ", "парус"} << QStringList{"upper.wav", "lower.wav"};
}

void MediaWindowTest::launchOpensTheFileOfTheSelectedEntry()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, files);
    CourseFixture course;
    QList<Entry> rows;
    for (int i = 0; i < names.size(); ++i)
        rows.append({names[i], files[i]});
    QVERIFY(startWith(course, rows));
    openMedia();
    QCOMPARE(lines(), names);

    // Launch each line twice, in an order that leaves the table's current
    // row elsewhere each time.
    QList<int> order;
    for (int i = int(names.size()) - 1; i >= 0; --i)
        order << i;
    for (int i = 0; i < names.size(); ++i)
        order << i;
    for (int row : order) {
        course.platform.launches.clear();
        launchLine(row);
        QCOMPARE(Form10->sEdit1->text(), names[row]);
        QCOMPARE(course.platform.launches.size(), 1);
        const TestPlatform::Launch launch = course.platform.launches.first();
        QCOMPARE(launch.file, "media/" + files[row]);
        QVERIFY(launch.operation.isNull()); // the file's default action
        QCOMPARE(launch.parameters, QString());
        QCOMPARE(launch.directory, QString());
        QCOMPARE(launch.showCommand, 5);
    }
    QVERIFY(course.platform.boxes.isEmpty());
}

void MediaWindowTest::launchResolvesAgainstTheWorkingDirectoryOfTheMoment()
{
    CourseFixture course;
    QVERIFY(startWith(course, {{QStringLiteral("Пушкин"), QStringLiteral("pushkin.png")}}));
    openMedia();

    // Before any author was chosen: "media" under the course root.
    launchLine(0);
    QCOMPARE(course.platform.launches.size(), 1);
    QCOMPARE(course.platform.launches[0].file, QStringLiteral("media/pushkin.png"));
    QCOMPARE(canonical(course.platform.launches[0].workingDirectory), canonical(course.root()));
    QVERIFY(QFileInfo::exists(course.path(QStringLiteral("media/pushkin.png"))));

    // Choosing an author in the main window moves the working directory into
    // the author's folder; the same entry is then looked for in "media" under it.
    Form1->show();
    selectRow(Form1->ListBox1, 0);
    const QString author = course.path(Form1->ListBox1->item(0)->text());
    QVERIFY(QFileInfo(author).isDir());
    launchLine(0);
    QCOMPARE(course.platform.launches.size(), 2);
    QCOMPARE(course.platform.launches[1].file, QStringLiteral("media/pushkin.png"));
    QCOMPARE(canonical(course.platform.launches[1].workingDirectory), canonical(author));

    // Neither the window nor the launch moves it.
    openMedia();
    launchLine(0);
    QCOMPARE(canonical(QDir::currentPath()), canonical(author));
    QVERIFY(course.platform.boxes.isEmpty());
}

void MediaWindowTest::longMediaPathArrivesWhole()
{
    // Far beyond 79 characters, and beyond 79 bytes in any 8-bit code page.
    const QString file = QStringLiteral("Лермонтов - Парус - чтение наизусть учащимися второго курса - "
                                        "весенний семестр - полная запись без сокращений.wav");
    QVERIFY(file.size() > 100);
    CourseFixture course;
    QVERIFY(startWith(course,
                      {{QStringLiteral("Короткая"), QStringLiteral("short.wav")}, {QStringLiteral("Длинная"), file}}));
    openMedia();
    launchLine(1);
    QCOMPARE(course.platform.launches.size(), 1);
    QCOMPARE(course.platform.launches[0].file, "media/" + file);
    QVERIFY(course.platform.boxes.isEmpty());
}

void MediaWindowTest::emptyCatalogue()
{
    CourseFixture course;
    QVERIFY(startWith(course, {}));
    openMedia();
    QCOMPARE(Form10->sListBox1->count(), 0);

    click(Form10->sButton1);
    QVERIFY(course.platform.launches.isEmpty());
    QVERIFY(course.platform.boxes.isEmpty());
    QCOMPARE(Form10->sEdit1->text(), QString());
}

void MediaWindowTest::absentNameStopsTheList()
{
    CourseFixture course;
    QVERIFY(startWith(course, {{QStringLiteral("Первая"), QStringLiteral("1.wav")},
                               {QStringLiteral("Вторая"), QStringLiteral("2.wav")},
                               {QVariant(), QStringLiteral("3.wav")},
                               {QStringLiteral("Четвёртая"), QStringLiteral("4.wav")}}));
    Form10->sEdit2->setText(QStringLiteral("typed"));
    Form10->sEdit3->setText(QStringLiteral("typed.wav"));
    openMedia();

    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList{kConversionError});
    QCOMPARE(course.platform.boxes[0].caption, QStringLiteral("Норвена"));
    QVERIFY(Form10->isVisible());
    QCOMPARE(lines(), QStringList({"Первая", "Вторая"}));
    QCOMPARE(Form10->sEdit2->text(), QStringLiteral("typed"));
    QCOMPARE(Form10->sEdit3->text(), QStringLiteral("typed.wav"));

    // The lines that made it still launch their own files.
    launchLine(1);
    QCOMPARE(course.platform.launches.size(), 1);
    QCOMPARE(course.platform.launches[0].file, QStringLiteral("media/2.wav"));
}

void MediaWindowTest::absentFileLaunchesNothing()
{
    CourseFixture course;
    QVERIFY(startWith(
        course, {{QStringLiteral("С файлом"), QStringLiteral("ok.wav")}, {QStringLiteral("Без файла"), QVariant()}}));
    openMedia();
    QVERIFY(course.platform.boxes.isEmpty());

    launchLine(1);
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList{kConversionError});
    QVERIFY(course.platform.launches.isEmpty());
    QCOMPARE(Form10->sEdit1->text(), QStringLiteral("Без файла"));

    launchLine(0);
    QCOMPARE(course.platform.launches.size(), 1);
    QCOMPARE(course.platform.launches[0].file, QStringLiteral("media/ok.wav"));
}

void MediaWindowTest::addStoresTheTextsAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");

    QTest::newRow("a title and its file")
        << QStringLiteral("Лермонтов. Парус") << QStringLiteral("lermontov-parus.wav");
    QTest::newRow("empty texts") << QString() << QString();
    QTest::newRow("a file that does not exist, blanks kept")
        << QStringLiteral("  Нет такого  ") << QStringLiteral(" nowhere/missing.avi ");
}

void MediaWindowTest::addStoresTheTextsAsTyped()
{
    QFETCH(QString, name);
    QFETCH(QString, file);
    CourseFixture course;
    const QList<Entry> before = {{QStringLiteral("Пушкин"), QStringLiteral("pushkin.png")},
                                 {QStringLiteral("Лермонтов"), QStringLiteral("lermontov.wav")}};
    QVERIFY(startWith(course, before));
    openMedia();

    Form10->sEdit2->clear();
    Form10->sEdit3->clear();
    typeInto(Form10->sEdit2, name);
    typeInto(Form10->sEdit3, file);
    click(Form10->sButton2);

    QVERIFY(course.platform.boxes.isEmpty());
    QCOMPARE(Form10->sEdit2->text(), QString());
    QCOMPARE(Form10->sEdit3->text(), QString());
    QCOMPARE(lines(), QStringList({"Пушкин", "Лермонтов", name}));
    // Stored as texts, empty ones included: never as absent values.
    QList<Entry> want = before;
    want.append({name.isNull() ? QStringLiteral("") : name, file.isNull() ? QStringLiteral("") : file});
    QCOMPARE(shown(stored(course)), shown(want));

    // Reopening shows the same lines and empty edits.
    Form10->sEdit2->setText(QStringLiteral("left over"));
    openMedia();
    QCOMPARE(lines(), QStringList({"Пушкин", "Лермонтов", name}));
    QCOMPARE(Form10->sEdit2->text(), QString());

    // The new line launches its own file.
    launchLine(2);
    QCOMPARE(course.platform.launches.size(), 1);
    QCOMPARE(course.platform.launches[0].file, "media/" + file);
    QVERIFY(course.platform.boxes.isEmpty());
}

void MediaWindowTest::refusedAddStaysPendingAndComesBack()
{
    // A catalogue whose database refuses entries without a title.
    CourseFixture course;
    QVERIFY(startWith(course, {{QStringLiteral("Пушкин"), QStringLiteral("pushkin.png")}},
                      QStringLiteral("CREATE TABLE media (name VARCHAR(100) CHECK (name <> ''), file VARCHAR(255))")));
    openMedia();
    selectRow(Form10->sListBox1, 0);

    Form10->sEdit3->setText(QStringLiteral("untitled.wav"));
    click(Form10->sButton2);
    const QStringList errors = course.platform.texts(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    QVERIFY(!errors[0].isEmpty());
    QCOMPARE(Form10->sEdit2->text(), QString());
    QCOMPARE(Form10->sEdit3->text(), QStringLiteral("untitled.wav"));
    QCOMPARE(lines(), QStringList{"Пушкин"});
    QVERIFY(Form10->sListBox1->item(0)->isSelected());
    QCOMPARE(Form6->tblMedia->state(), Table::State::Insert);
    QCOMPARE(shown(stored(course)), QStringList{"'Пушкин' 'pushkin.png'"});

    // Launching locates on the table, which tries the pending row again first.
    click(Form10->sButton1);
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList({errors[0], errors[0]}));
    QVERIFY(course.platform.launches.isEmpty());

    // So does filling the list when the window is opened again.
    openMedia();
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList({errors[0], errors[0], errors[0]}));
    QCOMPARE(Form10->sEdit3->text(), QStringLiteral("untitled.wav"));
    QCOMPARE(Form6->tblMedia->state(), Table::State::Insert);
    QCOMPARE(shown(stored(course)), QStringList{"'Пушкин' 'pushkin.png'"});
}

void MediaWindowTest::openingRetriesATableThatFailedAtStartUp()
{
    // The catalogue's table is missing when the program starts: tblMedia
    // reports that and stays closed. Once the table is back, opening the
    // window opens it.
    CourseFixture course;
    const QString database = course.path(QStringLiteral("test.mdb"));
    {
        SideConnection db(database);
        QVERIFY(db.exec(QStringLiteral("DELETE FROM media")));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO media (name, file) VALUES ('Пушкин', 'pushkin.png')")));
        QVERIFY(db.exec(QStringLiteral("ALTER TABLE media RENAME TO media_away")));
    }
    course.start();
    QCOMPARE(course.platform.texts(QStringLiteral("error")).size(), 1);
    QVERIFY(!Form6->tblMedia->active());
    course.platform.clear();

    QVERIFY(SideConnection(database).exec(QStringLiteral("ALTER TABLE media_away RENAME TO media")));
    openMedia();
    QVERIFY(course.platform.boxes.isEmpty());
    QCOMPARE(lines(), QStringList{"Пушкин"});
    launchLine(0);
    QCOMPARE(course.platform.launches.size(), 1);
    QCOMPARE(course.platform.launches[0].file, QStringLiteral("media/pushkin.png"));
}

void MediaWindowTest::demoCatalogueFilesArePresent()
{
    // Every entry of the demo course opens a file that the course has.
    CourseFixture course;
    course.start();
    QVERIFY(course.platform.boxes.isEmpty());
    openMedia();
    QVERIFY(course.platform.boxes.isEmpty());
    QVERIFY(Form10->sListBox1->count() > 0);
    for (int row = 0; row < Form10->sListBox1->count(); ++row) {
        course.platform.launches.clear();
        launchLine(row);
        QCOMPARE(course.platform.launches.size(), 1);
        const QString file = course.platform.launches[0].file;
        QVERIFY2(QFileInfo(course.path(file)).isFile(), qPrintable(file));
    }
}

QTEST_MAIN(MediaWindowTest)
#include "tst_media.moc"
