// One transaction per handler: what one handler writes reaches the file
// together when it ends, or before a message box is shown; a statement the
// engine refuses leaves the rows before it written; a transaction that does
// not reach the file (a failed commit, the engine's own rollback) is taken
// back out of the table objects' snapshots.

#include "DbFixture.h"

#include "data/Connection.h"
#include "data/Table.h"
#include "platform/Error.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"

#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <functional>
#include <thread>

using fixture::question;

namespace {

// The message boxes of the run. When a box is shown, `whenShown` runs
// first: it looks at the file as another program would at that moment.
class Boxes : public MessageBoxes {
public:
    QStringList shown;
    std::function<void()> whenShown;

    void notice(QWidget*, const QString& text) override { show(text); }
    void error(QWidget*, const QString&, const QString& text) override { show(text); }
    bool informationYesNo(QWidget*, const QString& text) override { return show(text), true; }
    void informationOk(QWidget*, const QString& text) override { show(text); }
    bool confirm(QWidget*, const QString& text) override { return show(text), true; }

private:
    void show(const QString& text)
    {
        if (whenShown)
            whenShown();
        shown << text;
    }
};

// The rows of table test as the file holds them, in stored order.
QStringList fileRows(fixture::Side& side)
{
    QStringList out;
    for (const QVariantList& row : side.rows("SELECT id, nom, nom1, rasdel, otv FROM test ORDER BY rowid")) {
        QStringList values;
        for (const QVariant& v : row)
            values << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        out << values.join(u'|');
    }
    return out;
}

// The same rows as the table object holds them, all of them (the filter off
// for a moment), in its order.
QStringList heldRows(Table& t)
{
    const bool filtered = t.filtered();
    t.setFiltered(false);
    QStringList out;
    t.first();
    for (int i = 0; i < t.recordCount(); ++i) {
        QStringList values;
        for (const char* field : {"id", "nom", "nom1", "rasdel", "otv"}) {
            const QVariant v = t.value(field);
            values << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        }
        out << values.join(u'|');
        t.next();
    }
    t.setFiltered(filtered);
    return out;
}

// Whether another program could take the write lock right now, without waiting.
bool writeLockFree(fixture::Side& side)
{
    side.exec("PRAGMA busy_timeout = 0");
    QString error;
    const bool free = side.exec("BEGIN IMMEDIATE", {}, &error);
    if (free)
        side.exec("ROLLBACK");
    return free;
}

void addQuestion(Table& t, const QString& topic, const QString& otv = QString())
{
    t.insert();
    t.setValue("test", QStringLiteral("Новый вопрос"));
    t.setValue("rasdel", topic);
    if (!otv.isEmpty())
        t.setValue("otv", otv);
    t.post();
}

} // namespace

class TestTransaction : public QObject {
    Q_OBJECT

private:
    Boxes* boxes = nullptr;
    std::unique_ptr<fixture::Db> db;
    std::unique_ptr<Connection> conn;
    std::unique_ptr<Table> test;
    std::unique_ptr<fixture::Side> side;

private slots:
    void init()
    {
        auto owned = std::make_unique<Boxes>();
        boxes = owned.get();
        Platform::install(std::move(owned), nullptr, nullptr, nullptr, nullptr);
        db = std::make_unique<fixture::Db>();
        db->make({question(1, 1, "Пушкин", "A"), question(1, 2, "Лермонтов", "B"), question(2, 3, "Пушкин", "C"),
                  question(3, 4, "Пушкин", ""),
                  // The engine's own rollback of the whole transaction, as after a full disk.
                  "CREATE TRIGGER whole_rollback BEFORE INSERT ON test WHEN NEW.rasdel = 'Сбой' "
                  "BEGIN SELECT RAISE(ROLLBACK, 'disk I/O error'); END",
                  // A rule checked only at the commit.
                  "CREATE TABLE owner (k INTEGER PRIMARY KEY)",
                  "CREATE TABLE guard (k INTEGER REFERENCES owner (k) DEFERRABLE INITIALLY DEFERRED)"});
        conn = db->connect();
        test = std::make_unique<Table>("tblTest", conn.get(), "test");
        test->open();
        side = db->side();
    }

    void cleanup()
    {
        side.reset();
        test.reset();
        conn.reset();
        db.reset();
        Platform::install(nullptr, nullptr, nullptr, nullptr, nullptr);
    }

    void writesOfAHandlerReachTheFileTogetherAtItsEnd()
    {
        const QStringList before = fileRows(*side);
        ErrorReport::run([&] {
            addQuestion(*test, "Гоголь");
            // A handler run by a signal of this one does not end the action.
            ErrorReport::run([&] { addQuestion(*test, "Гоголь"); });
            test->first();
            test->edit();
            test->setValue("nom", 7);
            test->post();
            QVERIFY(conn->inTransaction());
            QCOMPARE(fileRows(*side), before); // other programs see nothing yet
            QVERIFY(!writeLockFree(*side));
        });
        QVERIFY(!conn->inTransaction());
        QVERIFY(writeLockFree(*side));
        QCOMPARE(fileRows(*side).size(), before.size() + 2);
        QCOMPARE(fileRows(*side), heldRows(*test));
        QVERIFY(boxes->shown.isEmpty());
    }

    void writesOutsideAHandlerAreWrittenAtOnce()
    {
        addQuestion(*test, "Гоголь");
        QVERIFY(!conn->inTransaction());
        QCOMPARE(side->scalar("SELECT count(*) FROM test WHERE rasdel = 'Гоголь'"), QVariant(1));
    }

    // A box waits for the user: the rows written so far reach the file before
    // it is shown, and the writes after it make a transaction of their own.
    // A handler that runs while the box waits (a timer, another window) is
    // written when it ends, not when the box is closed.
    void boxInTheMiddleWritesWhatCameBefore()
    {
        QStringList seen;
        boxes->whenShown = [&] {
            seen << QString::number(side->scalar("SELECT count(*) FROM test WHERE rasdel = 'Гоголь'").toInt());
            QVERIFY(writeLockFree(*side));
            ErrorReport::run([&] { addQuestion(*test, "Толстой"); });
            QVERIFY(!conn->inTransaction());
            QCOMPARE(side->scalar("SELECT count(*) FROM test WHERE rasdel = 'Толстой'"), QVariant(1));
        };
        ErrorReport::run([&] {
            addQuestion(*test, "Гоголь");
            Platform::messages().notice(nullptr, QStringLiteral("Записано"));
            addQuestion(*test, "Гоголь");
            QVERIFY(conn->inTransaction());
        });
        QCOMPARE(seen, QStringList{"1"});
        QCOMPARE(side->scalar("SELECT count(*) FROM test WHERE rasdel = 'Гоголь'"), QVariant(2));
    }

    // A row the engine refuses ends the handler; the rows before it are in the
    // file when the error is shown, and the refused row stays pending.
    void refusedRowLeavesTheEarlierRowsWritten()
    {
        QStringList seen;
        boxes->whenShown = [&] {
            seen << QString::number(side->scalar("SELECT count(*) FROM test WHERE rasdel = 'Гоголь'").toInt());
            QVERIFY(writeLockFree(*side));
        };
        ErrorReport::run([&] {
            addQuestion(*test, "Гоголь", "A");
            addQuestion(*test, "Гоголь", "B");
            addQuestion(*test, "Гоголь", "Z"); // the rule of the table allows A to E only
        });
        QCOMPARE(seen, QStringList{"2"});
        QCOMPARE(boxes->shown.size(), 1);
        QVERIFY2(boxes->shown[0].startsWith("CHECK constraint failed"), qPrintable(boxes->shown[0]));
        QCOMPARE(test->state(), Table::State::Insert);
        QCOMPARE(test->value("otv"), QVariant("Z"));
        test->cancel();
        QCOMPARE(fileRows(*side), heldRows(*test));
        QVERIFY(!conn->inTransaction());
    }

    // Rows the engine threw away with the whole transaction leave the
    // snapshot too: it never shows a row that the file does not hold.
    void engineRollbackIsTakenBackOutOfTheSnapshot_data()
    {
        QTest::addColumn<bool>("filtered");
        QTest::newRow("all rows") << false;
        QTest::newRow("one topic filtered") << true;
    }

    void engineRollbackIsTakenBackOutOfTheSnapshot()
    {
        QFETCH(bool, filtered);
        test->setFilter("rasdel='Пушкин'");
        test->setFiltered(filtered);
        const QStringList before = fileRows(*side);
        ErrorReport::run([&] {
            addQuestion(*test, "Пушкин");
            test->first();
            test->edit();
            test->setValue("nom", 9);
            test->post();
            test->next();
            test->remove();
            addQuestion(*test, "Сбой");
        });
        QCOMPARE(boxes->shown,
                 QStringList{"disk I/O error; the changes made before it in this action were not saved."});
        QVERIFY(!conn->inTransaction());
        QCOMPARE(fileRows(*side), before);
        // The refused row is still pending, over the snapshot as it was.
        QCOMPARE(test->state(), Table::State::Insert);
        test->cancel();
        QCOMPARE(heldRows(*test), before);
        QCOMPARE(test->recordCount(), filtered ? 3 : 4);
        QVERIFY(writeLockFree(*side));
    }

    // A commit that fails is reported (before nothing else) and taken back:
    // nothing of the action is in the file or in the snapshot, also when the
    // action emptied the table from the first row on.
    void failedCommitIsReportedAndTakenBack_data()
    {
        QTest::addColumn<bool>("emptied");
        QTest::newRow("first row removed") << false;
        QTest::newRow("every row removed from the first on") << true;
    }

    void failedCommitIsReportedAndTakenBack()
    {
        QFETCH(bool, emptied);
        QSqlQuery(conn->database()).exec("PRAGMA foreign_keys = ON");
        Table guard("tblGuard", conn.get(), "guard");
        guard.open();
        const QStringList before = fileRows(*side);
        bool lockFreeAtTheBox = false;
        boxes->whenShown = [&] { lockFreeAtTheBox = writeLockFree(*side); };
        ErrorReport::run([&] {
            addQuestion(*test, "Гоголь");
            test->first();
            const int removals = emptied ? test->recordCount() : 1;
            for (int i = 0; i < removals; ++i)
                test->remove();
            guard.insert();
            guard.setValue("k", 99); // no owner 99: refused only by the commit
            guard.post();
        });
        QCOMPARE(boxes->shown,
                 QStringList{"The changes of this action could not be saved: FOREIGN KEY constraint failed."});
        QVERIFY(lockFreeAtTheBox);
        QVERIFY(!conn->inTransaction());
        QCOMPARE(fileRows(*side), before);
        QCOMPARE(heldRows(*test), before);
        QCOMPARE(guard.recordCount(), 0);
        QCOMPARE(side->scalar("SELECT count(*) FROM guard"), QVariant(0));
    }

    // The handler's error and a failed commit are both reported, in that order.
    void errorAndFailedCommitAreBothReported()
    {
        QSqlQuery(conn->database()).exec("PRAGMA foreign_keys = ON");
        Table guard("tblGuard", conn.get(), "guard");
        guard.open();
        ErrorReport::run([&] {
            guard.insert();
            guard.setValue("k", 99);
            guard.post();
            throw Error("tblTest: Field 'x' not found");
        });
        QCOMPARE(boxes->shown, QStringList({"tblTest: Field 'x' not found.",
                                            "The changes of this action could not be saved: FOREIGN KEY "
                                            "constraint failed."}));
        QCOMPARE(guard.recordCount(), 0);
    }

    // A handler that finds the file locked by another program waits for it.
    void handlerWaitsForAFileAnotherProgramWrites()
    {
        QSemaphore locked;
        const QString path = db->path();
        std::thread other([&locked, path] {
            fixture::Side otherProgram(path);
            otherProgram.exec("BEGIN IMMEDIATE");
            otherProgram.exec("INSERT INTO media VALUES ('другая копия', 'other.wav')");
            locked.release();
            QThread::msleep(400);
            otherProgram.exec("COMMIT");
        });
        locked.acquire();
        ErrorReport::run([&] { addQuestion(*test, "Гоголь"); });
        other.join();
        QVERIFY2(boxes->shown.isEmpty(), qPrintable(boxes->shown.join(u'\n')));
        QCOMPARE(side->scalar("SELECT count(*) FROM test WHERE rasdel = 'Гоголь'"), QVariant(1));
        QCOMPARE(side->scalar("SELECT count(*) FROM media"), QVariant(1));
    }
};

QTEST_GUILESS_MAIN(TestTransaction)
#include "tst_transaction.moc"
