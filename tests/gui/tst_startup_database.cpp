// Start-up with the course's database missing or damaged: every failure is
// reported, start-up goes on, and the table objects are opened later, once
// the file is there, against the working directory of that moment.

#include "app/Forms.h"
#include "forms/Globals.h"
#include "data/Connection.h"
#include "data/Table.h"
#include "forms/Unit1.h"
#include "forms/Unit10.h"
#include "forms/Unit6.h"
#include "support/CourseFixture.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

class TestStartupDatabase : public QObject {
    Q_OBJECT

private slots:
    void init() { course = std::make_unique<CourseFixture>(); }
    void cleanup()
    {
        const QString problems = course->platform.verifyDone();
        course.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    void failuresAreReportedAndStartUpGoesOn_data();
    void failuresAreReportedAndStartUpGoesOn();
    void closedTablesRefuseOtherOperations();
    void demoDatabaseOpensEveryTable();

private:
    std::unique_ptr<CourseFixture> course;
};

void TestStartupDatabase::failuresAreReportedAndStartUpGoesOn_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("unable to open database file.");
    QTest::newRow("damaged") << QByteArray(4096, 'x') << QStringLiteral("file is not a database.");
}

void TestStartupDatabase::failuresAreReportedAndStartUpGoesOn()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString database = course->path(QStringLiteral("test.mdb"));
    const QByteArray good = course->readFile(QStringLiteral("test.mdb"));
    QVERIFY(!good.isEmpty());
    QFile::remove(database);
    if (!content.isEmpty())
        course->writeFile(QStringLiteral("test.mdb"), content);

    course->start();

    // The connection's failure, then one for each of the five table objects.
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList(6, message));
    for (const auto& box : course->platform.boxes)
        QCOMPARE(box.caption, QStringLiteral("Норвена"));
    QVERIFY(Form10 != nullptr); // every window was created
    QCOMPARE(QFileInfo(database).size(), qint64(content.size())); // nothing created or changed
    for (Table* table : {Form6->tblTemi, Form6->tblTest, Form6->tblTesting, Form6->tblResult, Form6->tblMedia})
        QVERIFY(!table->active());

    // Once the file is there, the next opening finds it, relative to the
    // working directory of that moment: an author's folder after a choice.
    course->platform.clear();
    course->makeFolder(QStringLiteral("Автор"));
    QVERIFY(QDir::setCurrent(course->path(QStringLiteral("Автор"))));
    course->writeFile(QStringLiteral("Автор/test.mdb"), good);
    Form1->Button5->click(); // "Видео" opens the media table
    QVERIFY(course->platform.boxes.isEmpty());
    QVERIFY(Form6->ADOConnection1->isOpen());
    QVERIFY(Form6->tblMedia->active());
    QVERIFY(Form10->sListBox1->count() > 0);
    QVERIFY(!Form6->tblTest->active()); // the others open when they are needed
}

void TestStartupDatabase::closedTablesRefuseOtherOperations()
{
    QFile::remove(course->path(QStringLiteral("test.mdb")));
    course->start();
    course->platform.clear();
    try {
        Form6->tblTest->first();
        QFAIL("a closed table moved");
    } catch (const std::exception& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("tblTest: Cannot perform this operation on a closed dataset"));
    }
}

void TestStartupDatabase::demoDatabaseOpensEveryTable()
{
    course->start();
    QVERIFY2(course->platform.boxes.isEmpty(),
             qPrintable(course->platform.boxes.isEmpty() ? QString() : course->platform.boxes.first().text));
    for (Table* table : {Form6->tblTemi, Form6->tblTest, Form6->tblTesting, Form6->tblResult, Form6->tblMedia}) {
        QVERIFY(table->active());
        QCOMPARE(table->state(), Table::State::Browse);
        QVERIFY(!table->filtered());
    }
    QVERIFY(Form6->tblTemi->recordCount() > 0);
    QCOMPARE(Form6->tblTemi->currentIndex(), 0);
    QCOMPARE(Form6->DataSource4.DataSet, Form6->tblResult);
}

QTEST_MAIN(TestStartupDatabase)
#include "tst_startup_database.moc"
