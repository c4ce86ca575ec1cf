// The demo course's database, made from course/test.sql as the build makes
// it, read through the table objects: the rules the windows rely on hold for
// its data.

#include "data/Connection.h"
#include "data/Table.h"

#include <QDate>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestCourse : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<Connection> conn;

    std::unique_ptr<Table> table(const char* object, const char* name)
    {
        auto t = std::make_unique<Table>(object, conn.get(), name);
        t->open();
        return t;
    }

private slots:
    void initTestCase()
    {
        const QString seed = QFINDTESTDATA("../../course/test.sql");
        QVERIFY(!seed.isEmpty());
        const QString sqlite = QStandardPaths::findExecutable("sqlite3");
        if (sqlite.isEmpty())
            QSKIP("the sqlite3 shell is not installed");
        QProcess p;
        p.start(sqlite, {"-bail", dir.filePath("test.mdb"), ".read " + seed});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        conn = std::make_unique<Connection>("ADOConnection1");
        conn->setConnectionString("Data Source=" + dir.filePath("test.mdb"));
    }

    void topicsAndQuestions()
    {
        auto temi = table("tblTemi", "temi");
        auto test = table("tblTest", "test");
        QStringList topics;
        for (temi->first(); topics.size() < temi->recordCount(); temi->next())
            topics << temi->text("rasdel");

        const int all = test->recordCount();
        QVERIFY(all > 0);
        // Running numbers 1..N in table order; letters A..E; every question
        // under a listed topic, its choices on lines of their own.
        QSet<QString> used;
        test->first();
        for (int i = 1; i <= all; ++i, test->next()) {
            QCOMPARE(test->value("nom1"), QVariant(qlonglong(i)));
            QVERIFY(QStringList({"A", "B", "C", "D", "E"}).contains(test->text("otv")));
            QVERIFY2(topics.contains(test->text("rasdel")), qPrintable(test->text("rasdel")));
            QVERIFY(test->text("test").contains(QRegularExpression("\nA\\) .+\nB\\) .+\nC\\) .+\nD\\) .+\nE\\) .+")));
            used << test->text("rasdel");
        }

        // Numbers within each topic 1..M under the topic filter.
        int large = 0;
        int withQuote = 0;
        int empty = 0;
        test->setFiltered(true);
        for (const QString& topic : std::as_const(topics)) {
            QString quoted = topic;
            quoted.replace("'", "''");
            test->setFilter("rasdel='" + quoted + "'");
            const int m = test->recordCount();
            test->first();
            for (int k = 1; k <= m; ++k, test->next())
                QCOMPARE(test->value("nom"), QVariant(qlonglong(k)));
            large += m >= 10;
            withQuote += topic.contains('\'') && m > 0;
            empty += m == 0;
        }
        QVERIFY(large >= 2);
        QCOMPARE(withQuote, 1);
        QCOMPARE(empty, 1);
    }

    void otherTables()
    {
        QCOMPARE(table("tblTesting", "testing")->recordCount(), 0);

        auto result = table("tblResult", "result");
        QVERIFY(result->recordCount() > 0);
        QCOMPARE(result->value("data").typeId(), QMetaType::QDate);
        QVERIFY(result->value("data").toDate().isValid());

        auto media = table("tblMedia", "media");
        const Table::LocateOptions options = Table::CaseInsensitive | Table::PartialKey;
        const QList<QPair<QString, QString>> entries = {{"Пушкин — портрет", "pushkin.png"},
                                                        {"Чтение: Лермонтов. Парус", "lermontov-parus.wav"},
                                                        {"Чтение: Лермонтов", "lermontov.wav"}};
        for (const auto& [name, file] : entries) {
            QVERIFY(media->locate("name", name, options));
            QCOMPARE(media->text("file"), file);
        }
    }
};

QTEST_GUILESS_MAIN(TestCourse)
#include "tst_course.moc"
