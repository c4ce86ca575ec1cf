// The table object against real database files: moves, pending changes,
// posts and deletes, filtering, locate and refresh.

#include "DbFixture.h"

#include "data/Connection.h"
#include "data/Table.h"
#include "platform/HandlerScope.h"
#include "platform/Error.h"

#include <QDate>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using fixture::question;

namespace {

const QString kMcyri = QStringLiteral("Поэма 'Мцыри'");

// The message of the Error that f throws, or "<no error>".
QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

// The visible rows' values of a field, walked from the first row; an absent
// value shows as "<null>".
QStringList column(Table& t, const QString& field)
{
    QStringList out;
    t.first();
    for (int i = 0; i < t.recordCount(); ++i) {
        const QVariant v = t.value(field);
        out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        t.next();
    }
    return out;
}

QString filterFor(const QString& topic)
{
    QString t = topic;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral("rasdel='%1'").arg(t);
}

} // namespace

class TestTable : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<fixture::Db> db;
    std::unique_ptr<Connection> conn;
    std::unique_ptr<Table> test;    // the questions, 9 rows, ids 1..9
    std::unique_ptr<Table> testing; // the answer sheet, nom "12" down to "1"
    std::unique_ptr<Table> result;  // empty
    std::unique_ptr<Table> media;

private slots:
    void init()
    {
        db = std::make_unique<fixture::Db>();
        QStringList data = {
            question(1, 1, "Пушкин", "A"),
            question(1, 2, "Лермонтов", "B"),
            question(2, 3, "Пушкин", "C"),
            question(1, 4, kMcyri, ""),
            question(3, 5, "Пушкин", "D"),
            question(2, 6, "Лермонтов", "E"),
            question(2, 7, kMcyri, "A"),
            question(1, 8, "", ""),
            "INSERT INTO test (nom, nom1, test) VALUES (1, 9, 'Без темы')",
            "INSERT INTO media VALUES ('Чтение: Лермонтов. Парус', 'lermontov-parus.wav')",
            "INSERT INTO media VALUES ('Чтение: Лермонтов', 'lermontov.wav')",
            "INSERT INTO media VALUES ('Пушкин — портрет', 'pushkin.png')",
        };
        // The sheet stored from "12" down to "1", so that the first stored
        // row beginning with "1" is not the row "1".
        for (int k = 12; k >= 1; --k)
            data << QStringLiteral("INSERT INTO testing VALUES ('%1', %2, NULL)").arg(k).arg(100 + k);
        db->make(data);
        conn = db->connect();
        test = std::make_unique<Table>("tblTest", conn.get(), "test");
        testing = std::make_unique<Table>("tblTesting", conn.get(), "testing");
        result = std::make_unique<Table>("tblResult", conn.get(), "result");
        media = std::make_unique<Table>("tblMedia", conn.get(), "media");
        for (Table* t : {test.get(), testing.get(), result.get(), media.get()})
            t->open();
    }

    void cleanup()
    {
        test.reset();
        testing.reset();
        result.reset();
        media.reset();
        conn.reset();
        db.reset();
    }

    void openReadsSnapshotInStoredOrder()
    {
        QCOMPARE(test->state(), Table::State::Browse);
        QCOMPARE(test->fieldNames(), QStringList({"id", "nom", "nom1", "test", "rasdel", "otv"}));
        QCOMPARE(test->recordCount(), 9);
        QCOMPARE(test->currentIndex(), 0);
        QCOMPARE(test->value("id"), QVariant(qlonglong(1)));
        QCOMPARE(test->value("ID").typeId(), QMetaType::LongLong); // field names ignore case
        QCOMPARE(column(*test, "nom1"), QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
        // Absent and empty are told apart.
        test->last();
        QVERIFY(test->value("rasdel").isNull());
        test->prior();
        QVERIFY(!test->value("rasdel").isNull());
        QCOMPARE(test->value("rasdel").toString(), QString());
    }

    void emptyTable()
    {
        QCOMPARE(result->recordCount(), 0);
        QCOMPARE(result->currentIndex(), -1);
        QVERIFY(result->bof() && result->eof());
        result->first();
        result->next();
        result->prior();
        result->last();
        QCOMPARE(result->currentIndex(), -1);
        QVERIFY(result->value("fio").isNull());
        QCOMPARE(errorOf([&] { result->text("fio"); }),
                 QStringLiteral("Could not convert variant of type (Null) into type (String)"));
        QCOMPARE(errorOf([&] { result->remove(); }),
                 QStringLiteral("tblResult: Cannot perform this operation on an empty dataset"));
        // Editing an empty table starts a new row.
        result->edit();
        QCOMPARE(result->state(), Table::State::Insert);
        QCOMPARE(result->pendingInsertIndex(), 0);
        result->setValue("fio", "Иванов");
        result->first();
        QCOMPARE(result->recordCount(), 1);
        QCOMPARE(db->side()->scalar("SELECT fio FROM result"), QVariant("Иванов"));
    }

    void nextAndPriorStopAtTheEnds()
    {
        test->last();
        for (int i = 0; i < 3; ++i) {
            test->next();
            QCOMPARE(test->currentIndex(), 8);
            QVERIFY(test->eof());
        }
        test->first();
        test->prior();
        QCOMPARE(test->currentIndex(), 0);
        QVERIFY(test->bof() && !test->eof());
    }

    void unknownFieldAndWrongState()
    {
        QCOMPARE(errorOf([&] { test->value("nope"); }), QStringLiteral("tblTest: Field 'nope' not found"));
        QCOMPARE(errorOf([&] { test->setValue("otv", "A"); }),
                 QStringLiteral("tblTest: Dataset not in edit or insert mode"));
        QCOMPARE(errorOf([&] { test->post(); }), QStringLiteral("tblTest: Dataset not in edit or insert mode"));
        test->edit();
        QCOMPARE(errorOf([&] { test->setValue("nope", 1); }), QStringLiteral("tblTest: Field 'nope' not found"));
    }

    void closedObject_data()
    {
        QTest::addColumn<int>("op");
        const char* names[] = {"recordCount", "first",  "next", "prior",  "last",   "value",  "setValue", "edit",
                               "insert",      "append", "post", "cancel", "remove", "locate", "refresh"};
        for (int i = 0; i < int(std::size(names)); ++i)
            QTest::newRow(names[i]) << i;
    }
    void closedObject()
    {
        QFETCH(int, op);
        test->close();
        QVERIFY(!test->active());
        QCOMPARE(test->state(), Table::State::Inactive);
        const std::function<void()> ops[] = {
            [&] { test->recordCount(); },
            [&] { test->first(); },
            [&] { test->next(); },
            [&] { test->prior(); },
            [&] { test->last(); },
            [&] { test->value("id"); },
            [&] { test->setValue("otv", "A"); },
            [&] { test->edit(); },
            [&] { test->insert(); },
            [&] { test->append(); },
            [&] { test->post(); },
            [&] { test->cancel(); },
            [&] { test->remove(); },
            [&] { test->locate("id", 1, Table::NoOptions); },
            [&] { test->refresh(); },
        };
        QCOMPARE(errorOf(ops[op]), QStringLiteral("tblTest: Cannot perform this operation on a closed dataset"));
        test->open();
        QCOMPARE(test->recordCount(), 9);
    }

    // ---- pending changes -------------------------------------------------------

    void moveWithNothingWrittenStoresNothing_data()
    {
        QTest::addColumn<bool>("insert");
        QTest::addColumn<int>("move");
        const char* moves[] = {"first", "next", "prior", "last", "locate", "refresh", "insert"};
        for (bool insert : {true, false}) {
            for (int m = 0; m < int(std::size(moves)); ++m)
                QTest::addRow("%s then %s", insert ? "insert" : "edit", moves[m]) << insert << m;
        }
    }
    void moveWithNothingWrittenStoresNothing()
    {
        QFETCH(bool, insert);
        QFETCH(int, move);
        test->next();
        test->next(); // row 3 current
        insert ? test->insert() : test->edit();
        QCOMPARE(test->state(), insert ? Table::State::Insert : Table::State::Edit);
        QVERIFY(!test->modified());
        switch (move) {
        case 0:
            test->first();
            break;
        case 1:
            test->next();
            break;
        case 2:
            test->prior();
            break;
        case 3:
            test->last();
            break;
        case 4:
            test->locate("id", 5, Table::NoOptions);
            break;
        case 5:
            test->refresh();
            break;
        case 6:
            test->insert();
            test->cancel();
            break;
        }
        QCOMPARE(test->state(), Table::State::Browse);
        QCOMPARE(test->recordCount(), 9);
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM test"), QVariant(9));
        // A discarded new row shown before row 3: next goes to row 3, prior to row 2.
        const int expected[] = {0, insert ? 2 : 3, 1, 8, 4, 2, 2};
        QCOMPARE(test->currentIndex(), expected[move]);
    }

    void insertShowsPendingRowBeforeCurrent()
    {
        test->next(); // row 2
        QSignalSpy state(test.get(), &Table::stateChanged);
        test->insert();
        QCOMPARE(state.count(), 1);
        QCOMPARE(test->pendingInsertIndex(), 1);
        QCOMPARE(test->currentIndex(), 1);
        QCOMPARE(test->recordCount(), 9); // the pending row is not counted
        QVERIFY(test->value("id").isNull());
        test->cancel();
        QCOMPARE(test->currentIndex(), 1);
        QCOMPARE(test->value("nom1"), QVariant(qlonglong(2)));

        test->append();
        QCOMPARE(test->pendingInsertIndex(), 9);
        test->cancel();
        QCOMPARE(test->currentIndex(), 8);
        QCOMPARE(test->pendingInsertIndex(), -1);
    }

    void postedNewRowStandsLastAndStaysCurrent_data()
    {
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<QString>("topic");
        QTest::newRow("unfiltered") << false << "Пушкин";
        QTest::newRow("filtered, row passes") << true << "Лермонтов";
        QTest::newRow("filtered, row hidden by the filter") << true << "Гоголь";
    }
    void postedNewRowStandsLastAndStaysCurrent()
    {
        QFETCH(bool, filtered);
        QFETCH(QString, topic);
        test->setFilter(filterFor("Лермонтов"));
        test->setFiltered(filtered);
        const int before = test->recordCount();
        test->first();
        test->insert(); // shown before the first row
        test->setValue("test", "Новый вопрос\r\nA) да\r\nB) нет");
        test->setValue("rasdel", topic);
        test->setValue("nom1", "10"); // text into an integer field
        QVERIFY(test->modified());
        QSignalSpy current(test.get(), &Table::currentChanged);
        test->post();
        QCOMPARE(test->state(), Table::State::Browse);
        QVERIFY(current.count() >= 1);
        QCOMPARE(test->recordCount(), before + 1);
        QCOMPARE(test->currentIndex(), before);
        QCOMPARE(test->value("id"), QVariant(qlonglong(10))); // assigned by the database
        QCOMPARE(test->value("nom1"), QVariant(qlonglong(10)));
        QVERIFY(test->value("otv").isNull()); // not written: the database's default
        // In the file at once, only the written fields.
        const auto stored = db->side()->rows(
            QStringLiteral("SELECT id, nom, nom1, %1, rasdel FROM test WHERE id = 10").arg(fixture::typeOf("nom1")));
        QCOMPARE(stored.size(), 1);
        QVERIFY(stored[0][1].isNull());
        QCOMPARE(stored[0][3].toString(), QString("integer"));
        QCOMPARE(stored[0][4].toString(), topic);
        // It stays in the visible rows until the filter is applied again.
        test->next();
        QCOMPARE(test->currentIndex(), before);
        test->first();
        test->last();
        QCOMPARE(test->value("id"), QVariant(qlonglong(10)));
        if (filtered) {
            test->setFiltered(false);
            test->setFiltered(true);
            QCOMPARE(test->recordCount(), topic == "Лермонтов" ? 3 : 2);
        }
    }

    void postOfEditSendsWrittenFieldsOnly()
    {
        // The engine tells which fields an update sets.
        auto side = db->side();
        QVERIFY(side->exec("CREATE TABLE setFields (what TEXT)"));
        if (test_engine::server()) {
            QVERIFY(side->exec("CREATE FUNCTION setField() RETURNS trigger LANGUAGE plpgsql AS "
                               "$$ BEGIN INSERT INTO setFields VALUES ('test'); RETURN NULL; END $$"));
            QVERIFY(side->exec("CREATE TRIGGER testSet AFTER UPDATE OF test ON test "
                               "FOR EACH ROW EXECUTE FUNCTION setField()"));
        } else {
            QVERIFY(side->exec("CREATE TRIGGER testSet AFTER UPDATE OF test ON test "
                               "BEGIN INSERT INTO setFields VALUES ('test'); END"));
        }
        test->next();
        test->edit();
        test->setValue("otv", "D");
        test->post();
        QCOMPARE(side->scalar("SELECT count(*) FROM setFields"), QVariant(0));
        QCOMPARE(side->scalar("SELECT otv FROM test WHERE id = 2"), QVariant("D"));
        QCOMPARE(test->currentIndex(), 1); // an edited row keeps its place
        QCOMPARE(test->text("otv"), QString("D"));
        test->edit();
        test->setValue("test", "Вопрос 2, исправлен");
        test->post();
        QCOMPARE(side->scalar("SELECT count(*) FROM setFields"), QVariant(1));
        QCOMPARE(side->scalar("SELECT test || otv FROM test WHERE id = 2"), QVariant("Вопрос 2, исправленD"));
    }

    // Another program removed or changed the row the snapshot holds, or
    // emptied the table so that a new row took over its key: the update or
    // delete is not done and the file keeps what the other program wrote.
    void rowRemovedOrChangedElsewhere_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("elsewhere");
        const QString removed = "DELETE FROM testing WHERE rowid = 1";
        const QString changed = "UPDATE testing SET otv = 'C' WHERE rowid = 1";
        const QString refilled = "DELETE FROM testing; "
                                 "WITH RECURSIVE k(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM k WHERE v < 12) "
                                 "INSERT INTO testing (nom, nom1) SELECT v, 200 + v FROM k";
        for (bool update : {true, false}) {
            const char* op = update ? "update" : "delete";
            QTest::addRow("%s, row removed", op) << update << removed;
            QTest::addRow("%s, another field changed", op) << update << changed;
            QTest::addRow("%s, table emptied and refilled", op) << update << refilled;
        }
    }
    void rowRemovedOrChangedElsewhere()
    {
        QFETCH(bool, update);
        QFETCH(QString, elsewhere);
        auto side = db->side();
        for (const QString& statement : elsewhere.split("; "))
            QVERIFY(side->exec(statement));
        const auto before = side->rows("SELECT rowid, nom, nom1, otv FROM testing ORDER BY rowid");

        testing->first(); // the row "12" of the snapshot, key 1
        QCOMPARE(testing->text("nom"), QString("12"));
        const QString expected = "tblTesting: The row to be updated is no longer in the database";
        if (update) {
            testing->edit();
            testing->setValue("otv", "B");
            QCOMPARE(errorOf([&] { testing->post(); }), expected);
            QCOMPARE(testing->state(), Table::State::Edit); // still pending
        } else {
            QCOMPARE(errorOf([&] { testing->remove(); }), expected);
            QCOMPARE(testing->recordCount(), 12);
            QCOMPARE(testing->text("nom"), QString("12"));
        }
        QCOMPARE(side->rows("SELECT rowid, nom, nom1, otv FROM testing ORDER BY rowid"), before);
    }

    // A new row that a rule of the file's table drops without an error (a
    // column UNIQUE ON CONFLICT IGNORE) is never taken for a row the file
    // holds: deleting it later leaves the file's rows alone.
    void droppedNewRowIsNoOtherRow()
    {
        if (test_engine::server())
            QSKIP("a rule that drops a row without an error is the file's own");
        auto side = db->side();
        QVERIFY(side->exec("CREATE TABLE tags (name TEXT UNIQUE ON CONFLICT IGNORE, note TEXT)"));
        Table tags("tblTags", conn.get(), "tags");
        tags.open();
        for (int i = 0; i < 2; ++i) {
            tags.append();
            tags.setValue("name", "Пушкин");
            tags.post();
        }
        QCOMPARE(side->scalar("SELECT count(*) FROM tags"), QVariant(1));
        tags.last();
        QCOMPARE(errorOf([&] { tags.remove(); }), "tblTags: The row to be updated is no longer in the database");
        QCOMPARE(side->scalar("SELECT count(*) FROM tags"), QVariant(1));
        tags.first();
        tags.remove();
        QCOMPARE(side->scalar("SELECT count(*) FROM tags"), QVariant(0));
    }

    void refusedPostStaysPendingAndIsRetried_data()
    {
        QTest::addColumn<bool>("insert");
        QTest::newRow("new row") << true;
        QTest::newRow("edited row") << false;
    }
    void refusedPostStaysPendingAndIsRetried()
    {
        QFETCH(bool, insert);
        test->next();
        insert ? test->insert() : test->edit();
        test->setValue("otv", "Z");
        const QString refused = errorOf([&] { test->post(); });
        QVERIFY2(refused.contains(fixture::checkFailure()), qPrintable(refused));
        QVERIFY(!refused.startsWith("tblTest")); // the engine's words, unprefixed
        QCOMPARE(test->state(), insert ? Table::State::Insert : Table::State::Edit);
        QCOMPARE(test->value("otv"), QVariant("Z"));
        // Every operation that finishes the change tries again.
        QCOMPARE(errorOf([&] { test->next(); }), refused);
        QCOMPARE(errorOf([&] { test->locate("id", 1, Table::NoOptions); }), refused);
        QCOMPARE(errorOf([&] { test->setFiltered(true); }), refused);
        QVERIFY(!test->filtered());
        QCOMPARE(test->state(), insert ? Table::State::Insert : Table::State::Edit);
        test->setValue("otv", "B");
        test->next();
        QCOMPARE(test->state(), Table::State::Browse);
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM test WHERE otv = 'B'"), QVariant(insert ? 2 : 1));
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM test"), QVariant(insert ? 10 : 9));
    }

    void removeMakesFollowingRowCurrent_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<qlonglong>("expectedId");
        QTest::newRow("first") << 0 << 0 << 2LL;
        QTest::newRow("middle") << 4 << 4 << 6LL;
        QTest::newRow("last") << 8 << 7 << 8LL;
    }
    void removeMakesFollowingRowCurrent()
    {
        QFETCH(int, at);
        QFETCH(int, expectedIndex);
        QFETCH(qlonglong, expectedId);
        test->first();
        for (int i = 0; i < at; ++i)
            test->next();
        const QVariant removedId = test->value("id");
        test->remove();
        QCOMPARE(test->recordCount(), 8);
        QCOMPARE(test->currentIndex(), expectedIndex);
        QCOMPARE(test->value("id"), QVariant(expectedId));
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM test WHERE id = ?", {removedId}), QVariant(0));
        // The held rows and the locate index follow the removal.
        QVERIFY(test->locate("id", 7, Table::NoOptions));
        QCOMPARE(test->value("nom1"), QVariant(qlonglong(7)));
        QVERIFY(!test->locate("id", removedId, Table::NoOptions));
    }

    void removeWhileInsertingOnlyDiscards()
    {
        test->last();
        test->insert();
        test->setValue("otv", "A");
        test->remove();
        QCOMPARE(test->state(), Table::State::Browse);
        QCOMPARE(test->recordCount(), 9);
        QCOMPARE(test->currentIndex(), 8);
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM test"), QVariant(9));
    }

    void removeEveryRowOfTheSheet()
    {
        // As a new test run empties the sheet: first, then delete m times.
        testing->first();
        const int m = testing->recordCount();
        for (int i = 0; i < m; ++i)
            testing->remove();
        QCOMPARE(testing->recordCount(), 0);
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM testing"), QVariant(0));
    }

    // ---- filtering --------------------------------------------------------------------

    void filterSelectsOneTopic_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QStringList>("nom1s");
        QTest::newRow("topic") << "Пушкин" << QStringList({"1", "3", "5"});
        QTest::newRow("topic with a quote") << kMcyri << QStringList({"4", "7"});
        QTest::newRow("letter case counts") << "пушкин" << QStringList();
        QTest::newRow("part of a name") << "Пуш" << QStringList();
        QTest::newRow("empty name: empty, not absent") << "" << QStringList({"8"});
        QTest::newRow("text that looks like SQL") << "x' OR '1'='1" << QStringList();
    }
    void filterSelectsOneTopic()
    {
        QFETCH(QString, topic);
        QFETCH(QStringList, nom1s);
        test->setFiltered(true);
        test->setFilter(filterFor(topic));
        QCOMPARE(test->recordCount(), nom1s.size());
        QCOMPARE(test->currentIndex(), nom1s.isEmpty() ? -1 : 0);
        QCOMPARE(column(*test, "nom1"), nom1s);
        test->setFiltered(false);
        QCOMPARE(test->recordCount(), 9);
        QCOMPARE(test->currentIndex(), 0);
    }

    void filterAppliedAtSwitchingOn()
    {
        test->setFilter(filterFor(kMcyri)); // held only while filtering is off
        QCOMPARE(test->recordCount(), 9);
        test->last();
        test->setFiltered(true);
        QCOMPARE(test->recordCount(), 2);
        QCOMPARE(test->currentIndex(), 0);
        test->setFilter(""); // an empty text lets every row through
        QCOMPARE(test->recordCount(), 9);
    }

    void sameFilterStateOrTextDoesNotMove()
    {
        test->setFiltered(true);
        test->setFilter(filterFor("Пушкин"));
        test->next();
        QSignalSpy current(test.get(), &Table::currentChanged);
        test->setFiltered(true);
        test->setFilter(filterFor("Пушкин"));
        QCOMPARE(test->currentIndex(), 1);
        QCOMPARE(current.count(), 0);
        // Not even a pending change is finished.
        test->edit();
        test->setValue("otv", "E");
        test->setFilter(filterFor("Пушкин"));
        test->setFiltered(true);
        QCOMPARE(test->state(), Table::State::Edit);
        // Another text finishes it and goes to the first row.
        test->setFilter(filterFor("Лермонтов"));
        QCOMPARE(test->state(), Table::State::Browse);
        QCOMPARE(db->side()->scalar("SELECT otv FROM test WHERE id = 3"), QVariant("E"));
        QCOMPARE(test->currentIndex(), 0);
        QCOMPARE(test->value("id"), QVariant(qlonglong(2)));
    }

    // A topic of any length the topic field takes (32,767 characters) and
    // beyond, quotes inside.
    void longTopicFilter_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {22000, 32767, 1000000})
            QTest::addRow("%d characters", length) << length;
    }
    void longTopicFilter()
    {
        QFETCH(int, length);
        if (test_engine::server())
            QSKIP("the server's topic column holds at most 255 characters");
        QString topic = QString(length, u'ё');
        for (int i = 0; i < length; i += 1000)
            topic[i] = u'\'';
        QVERIFY(db->side()->exec("INSERT INTO test (nom, nom1, rasdel) VALUES (1, 10, ?)", {topic}));
        test->close(); // rows of others are taken in by opening again
        test->open();
        test->setFiltered(true);
        QCOMPARE(errorOf([&] { test->setFilter(filterFor(topic)); }), QString("<no error>"));
        QCOMPARE(test->recordCount(), 1);
        QCOMPARE(test->value("nom1"), QVariant(qlonglong(10)));
        // A text not understood is reported cut short.
        test->setFiltered(false);
        test->setFilter(filterFor(topic).chopped(1));
        const QString e = errorOf([&] { test->setFiltered(true); });
        QVERIFY2(e.startsWith("tblTest: Filter text not understood: rasdel='"), qPrintable(e.left(100)));
        QVERIFY(e.size() < 300);
    }

    void badFilterText()
    {
        test->setFilter("rasdel LIKE 'П%'");
        const QString e = errorOf([&] { test->setFiltered(true); });
        QVERIFY2(e.startsWith("tblTest: "), qPrintable(e));
        QVERIFY(!test->filtered());
        test->setFilter("nosuch='x'");
        QCOMPARE(errorOf([&] { test->setFiltered(true); }), QStringLiteral("tblTest: Field 'nosuch' not found"));
    }

    // ---- locate -------------------------------------------------------------------------

    void locateText_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // empty: not found
        QTest::newRow("1 among 1..12") << "testing"
                                       << "nom"
                                       << "1"
                                       << "1";
        QTest::newRow("12") << "testing"
                            << "nom"
                            << "12"
                            << "12";
        QTest::newRow("2") << "testing"
                           << "nom"
                           << "2"
                           << "2";
        QTest::newRow("13: none") << "testing"
                                  << "nom"
                                  << "13"
                                  << "";
        QTest::newRow("shorter title, stored second") << "media"
                                                      << "name"
                                                      << "чтение: лермонтов"
                                                      << "Чтение: Лермонтов";
        QTest::newRow("longer title") << "media"
                                      << "name"
                                      << "Чтение: Лермонтов. Парус"
                                      << "Чтение: Лермонтов. Парус";
        QTest::newRow("prefix of a title") << "media"
                                           << "name"
                                           << "ПУШ"
                                           << "Пушкин — портрет";
    }
    void locateText()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        Table& t = table == "media" ? *media : *testing;
        t.last();
        const int before = t.currentIndex();
        const bool found = t.locate(field, key, Table::CaseInsensitive | Table::PartialKey);
        QCOMPARE(found, !expected.isEmpty());
        if (found)
            QCOMPARE(t.text(field), expected);
        else
            QCOMPARE(t.currentIndex(), before);
    }

    void locateInteger_data()
    {
        QTest::addColumn<QVariant>("key");
        QTest::addColumn<int>("options");
        QTest::addColumn<bool>("found");
        const int ciPartial = Table::CaseInsensitive | Table::PartialKey;
        QTest::newRow("integer") << QVariant(7) << int(Table::NoOptions) << true;
        QTest::newRow("text key, partial options") << QVariant("7") << ciPartial << true;
        QTest::newRow("no partial match on integers") << QVariant("") << ciPartial << false;
        QTest::newRow("not a number") << QVariant("семь") << ciPartial << false;
        QTest::newRow("no such id") << QVariant(qlonglong(70)) << int(Table::NoOptions) << false;
    }
    void locateInteger()
    {
        QFETCH(QVariant, key);
        QFETCH(int, options);
        QFETCH(bool, found);
        test->next();
        QCOMPARE(test->locate("id", key, Table::LocateOptions(options)), found);
        QCOMPARE(test->value("id"), QVariant(qlonglong(found ? 7 : 2)));
    }

    void locateHiddenByFilterIsNotFound()
    {
        test->setFiltered(true);
        test->setFilter(filterFor("Пушкин"));
        test->next(); // id 3
        QVERIFY(!test->locate("id", 2, Table::CaseInsensitive | Table::PartialKey));
        QCOMPARE(test->value("id"), QVariant(qlonglong(3)));
        QVERIFY(test->locate("id", 5, Table::CaseInsensitive | Table::PartialKey));
        QCOMPARE(test->currentIndex(), 2);
        // The first match decides: when it is hidden, a visible later match is not taken.
        QVERIFY(!test->locate("otv", QVariant(), Table::NoOptions)); // absent otv: ids 4, 8, 9
        QVERIFY(!test->locate("nosuch", 1, Table::NoOptions));       // an error in the search
        QCOMPARE(test->currentIndex(), 2);
    }

    void locateFinishesPendingChange()
    {
        testing->locate("nom", "3", Table::CaseInsensitive | Table::PartialKey);
        testing->edit();
        testing->setValue("otv", "C");
        QVERIFY(testing->locate("nom", "5", Table::CaseInsensitive | Table::PartialKey));
        QCOMPARE(db->side()->scalar("SELECT otv FROM testing WHERE nom = '3'"), QVariant("C"));
        QVERIFY(testing->locate("nom", "3", Table::CaseInsensitive | Table::PartialKey));
        QCOMPARE(testing->text("otv"), QString("C"));
    }

    // ---- values, refresh, signals -------------------------------------------------------------

    void fieldKindsOnWrite()
    {
        result->append();
        result->setValue("fio", "Петров");
        result->setValue("data", QDate(2024, 5, 17));
        result->setValue("kol", 12); // a number into a text field
        result->setValue("ocenka", "B+");
        result->post();
        QCOMPARE(result->value("data"), QVariant(QDate(2024, 5, 17)));
        QCOMPARE(result->value("kol"), QVariant("12"));
        const auto stored =
            db->side()->rows(QStringLiteral("SELECT data, kol, %1 FROM result").arg(fixture::typeOf("kol")));
        QCOMPARE(stored[0][0].toString(), QString("2024-05-17"));
        QCOMPARE(stored[0][2].toString(), QString("text"));

        result->edit();
        result->setValue("data", "01.06.2024"); // a date typed as text
        QCOMPARE(result->value("data"), QVariant(QDate(2024, 6, 1)));
        QCOMPARE(errorOf([&] { result->setValue("data", "32.13.2024"); }),
                 QStringLiteral("'32.13.2024' is not a valid date"));
        result->post();
        QCOMPARE(db->side()->scalar("SELECT data FROM result").toString(), QString("2024-06-01"));

        test->edit();
        QCOMPARE(errorOf([&] { test->setValue("nom", "три"); }), QStringLiteral("'три' is not a valid integer value"));
        test->setValue("test", "O'Reilly; DROP TABLE test; --");
        test->post();
        QCOMPARE(db->side()->scalar("SELECT test FROM test WHERE id = 1"), QVariant("O'Reilly; DROP TABLE test; --"));

        // The text of an empty edit is an empty text, never an absent value.
        result->append();
        result->setValue("fio", QString());
        result->post();
        QCOMPARE(
            db->side()->scalar(QStringLiteral("SELECT %1 FROM result WHERE rowid = 2").arg(fixture::typeOf("fio"))),
            QVariant("text"));
    }

    // Each connection's sheet is its own: made from the file's rows when it
    // first opens (empty on a server, which keeps no shared sheet), with the
    // same columns, and never seen by another connection; the shared table
    // is not written.
    void tablePrivateToItsConnection()
    {
        const int shared = test_engine::server() ? 0 : 12;
        auto otherConnection = db->connect("ADOConnection2");
        std::unique_ptr<Table> sheets[2];
        Connection* connections[2] = {conn.get(), otherConnection.get()};
        for (int c = 0; c < 2; ++c) {
            sheets[c] = std::make_unique<Table>("tblTesting", connections[c], "testing");
            sheets[c]->setPrivateToConnection(true);
            sheets[c]->open();
            QCOMPARE(sheets[c]->fieldNames(), QStringList({"nom", "nom1", "otv"}));
            QCOMPARE(sheets[c]->fieldSize("nom"), 10);
            QCOMPARE(column(*sheets[c], "nom").size(), shared); // the file's rows
        }
        // Both empty their sheets and write their own, one after the other.
        for (int c = 0; c < 2; ++c) {
            sheets[c]->first();
            while (sheets[c]->recordCount() > 0)
                sheets[c]->remove();
            for (int k = 1; k <= 3; ++k) {
                sheets[c]->insert();
                sheets[c]->setValue("nom", QString::number(k));
                sheets[c]->setValue("nom1", 1000 * (c + 1) + k);
                sheets[c]->post();
            }
        }
        for (int c = 0; c < 2; ++c) {
            sheets[c]->first();
            sheets[c]->edit();
            sheets[c]->setValue("otv", c == 0 ? "A" : "E");
            sheets[c]->next();
        }
        for (int c = 0; c < 2; ++c) {
            sheets[c]->close();
            sheets[c]->open(); // the connection's own rows again
            QCOMPARE(column(*sheets[c], "nom1"),
                     QStringList({QString::number(1000 * (c + 1) + 1), QString::number(1000 * (c + 1) + 2),
                                  QString::number(1000 * (c + 1) + 3)}));
            sheets[c]->first();
            QCOMPARE(sheets[c]->text("otv"), QString(c == 0 ? "A" : "E"));
        }
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM testing WHERE otv IS NULL AND nom1 > 100"), QVariant(12));
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM testing"), QVariant(12));

        // A connection opened again makes its sheet afresh from the file.
        otherConnection->close();
        sheets[1]->close();
        sheets[1]->open();
        QCOMPARE(sheets[1]->recordCount(), shared);
        sheets[1].reset();
    }

    // A walk of posts held back and sent together (on a server) keeps the
    // meaning of each post: a row another copy changed meanwhile is
    // reported at its own step, the rows before it are written, it stays
    // pending and current, and the rows after it are as they were, in the
    // database and in the snapshot. On the file each post goes at once.
    void batchedWalkStopsAtTheChangedRow_data()
    {
        QTest::addColumn<int>("changed"); // 1-based row another copy changes; 0: none
        QTest::newRow("every row as read") << 0;
        QTest::newRow("the fourth row changed meanwhile") << 4;
        QTest::newRow("the first row changed meanwhile") << 1;
        QTest::newRow("the last row changed meanwhile") << 9;
    }
    void batchedWalkStopsAtTheChangedRow()
    {
        QFETCH(int, changed);
        auto side = db->side();
        if (changed > 0)
            QVERIFY(side->exec("UPDATE test SET test = 'changed by another copy' WHERE id = ?", {changed}));
        QString error;
        {
            HandlerScope::Running handler;
            try {
                test->first();
                Table::Batch walk(test.get());
                for (int i = 1; i <= 9; ++i) {
                    test->edit();
                    test->setValue("nom1", 100 + i);
                    test->post();
                    test->next();
                }
                walk.finish();
            } catch (const Error& e) {
                error = e.message();
            }
            HandlerScope::settle();
        }
        QStringList stored;
        for (const QVariantList& row : side->rows("SELECT nom1 FROM test ORDER BY id"))
            stored << row.value(0).toString();
        QStringList expected;
        for (int i = 1; i <= 9; ++i)
            expected << QString::number(changed == 0 || i < changed ? 100 + i : i);
        QCOMPARE(stored, expected);
        if (changed == 0) {
            QCOMPARE(error, QString());
            QCOMPARE(test->state(), Table::State::Browse);
            QCOMPARE(column(*test, "nom1"), expected);
            return;
        }
        QCOMPARE(error, QStringLiteral("tblTest: The row to be updated is no longer in the database"));
        // The refused row: current and pending with its new value; the rest
        // of the snapshot as the database holds it.
        QCOMPARE(test->state(), Table::State::Edit);
        QCOMPARE(test->value("id"), QVariant(qlonglong(changed)));
        QCOMPARE(test->value("nom1"), QVariant(qlonglong(100 + changed)));
        test->cancel();
        QCOMPARE(column(*test, "nom1"), expected);
    }

    void refreshReadsHeldRowsAgain()
    {
        test->setFiltered(true);
        test->setFilter(filterFor("Пушкин"));
        test->next(); // id 3
        auto side = db->side();
        QVERIFY(side->exec("UPDATE test SET otv = 'E', rasdel = 'Гоголь' WHERE id = 3"));
        QVERIFY(side->exec("DELETE FROM test WHERE id = 1"));
        QVERIFY(side->exec("INSERT INTO test (rasdel) VALUES ('Пушкин')"));
        test->refresh();
        // New values; the row deleted meanwhile is gone; rows of others are not taken in;
        // the current row and the visible rows stay.
        QCOMPARE(test->recordCount(), 2);
        QCOMPARE(test->value("id"), QVariant(qlonglong(3)));
        QCOMPARE(test->text("otv"), QString("E"));
        QVERIFY(test->filtered());
    }

    void gridReadsRowsWithoutMoving()
    {
        test->setFiltered(true);
        test->setFilter(filterFor("Пушкин")); // ids 1, 3, 5
        test->moveTo(2);
        QCOMPARE(test->value("id"), QVariant(qlonglong(5)));
        test->edit();
        test->setValue("otv", "B");
        QCOMPARE(test->valueAt(1, "id"), QVariant(qlonglong(3)));
        QCOMPARE(test->valueAt(2, "otv"), QVariant("B")); // the pending value of the edited row
        QVERIFY(test->valueAt(3, "id").isNull());
        QCOMPARE(test->state(), Table::State::Edit);
        test->moveTo(0); // posts
        QCOMPARE(db->side()->scalar("SELECT otv FROM test WHERE id = 5"), QVariant("B"));
        QCOMPARE(test->value("id"), QVariant(qlonglong(1)));
        QCOMPARE(result->fieldSize("fio"), 50);
        QCOMPARE(result->fieldSize("data"), 0);
    }

    void signalsForAView()
    {
        QSignalSpy data(test.get(), &Table::dataChanged);
        QSignalSpy current(test.get(), &Table::currentChanged);
        QSignalSpy state(test.get(), &Table::stateChanged);
        test->next();
        QCOMPARE(current.count(), 1);
        test->next();
        test->edit();
        QCOMPARE(state.count(), 1);
        test->setValue("otv", "A");
        test->post();
        QCOMPARE(state.count(), 2);
        QVERIFY(data.count() >= 1);
        current.clear();
        test->last();
        test->next(); // nothing moves
        QCOMPARE(current.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
