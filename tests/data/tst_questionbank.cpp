// Topics moved in and out of the question base as Aiken question banks,
// through the table objects, against real database files: the rows and
// numbers an import writes, all or nothing, and the round trip.

#include "DbFixture.h"

#include "data/Aiken.h"
#include "data/Connection.h"
#include "data/QuestionBank.h"
#include "data/Table.h"
#include "platform/Error.h"

#include <QTest>

namespace {

const QString kMcyri = QStringLiteral("Поэма 'Мцыри'");

QString sqlText(QString text) { return QLatin1Char('\'') + text.replace(u'\'', QLatin1String("''")) + u'\''; }

QString row(int nom, int nom1, const QString& text, const QString& topic, const QString& otv)
{
    return QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (%1, %2, %3, %4, %5)")
        .arg(nom)
        .arg(nom1)
        .arg(sqlText(text), sqlText(topic), otv.isEmpty() ? QStringLiteral("NULL") : sqlText(otv));
}

// A file of n questions, the i-th with the letter A, B, C, A, B, ...
QList<aiken::Question> questions(int n, const QString& stem = QStringLiteral("Новый вопрос"))
{
    QString text;
    for (int i = 1; i <= n; ++i)
        text += QStringLiteral("%1 %2?\nA) один\nB) два\nC) три\nANSWER: %3\n\n")
                    .arg(stem)
                    .arg(i)
                    .arg(QChar(u'A' + (i - 1) % 3));
    return aiken::parse(text);
}

// The whole of test and temi as text, to compare before and after.
QStringList dump(fixture::Side& side)
{
    QStringList out;
    for (const QString& select : {QStringLiteral("SELECT * FROM test ORDER BY rowid"),
                                  QStringLiteral("SELECT rowid, * FROM temi ORDER BY rowid"),
                                  QStringLiteral("SELECT * FROM sqlite_sequence")}) {
        for (const QVariantList& r : side.rows(select)) {
            QStringList cells;
            for (const QVariant& v : r)
                cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            out << cells.join(u'|');
        }
    }
    return out;
}

// The table object's rows, as the data-aware views see them.
QStringList held(Table& t, const QString& field)
{
    QStringList out;
    for (int i = 0; i < t.recordCount(); ++i) {
        const QVariant v = t.valueAt(i, field);
        out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
    }
    return out;
}

} // namespace

class TestQuestionBank : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<fixture::Db> db;
    std::unique_ptr<Connection> conn;
    std::unique_ptr<Table> test;
    std::unique_ptr<Table> temi;

    bool import(
        const QString& topic, const QList<aiken::Question>& qs,
        const questionbank::Advance& advance = [](qint64) { return true; })
    {
        return questionbank::importQuestions(*test, *temi, topic, qs, advance);
    }

private slots:
    void init()
    {
        db = std::make_unique<fixture::Db>();
        db->make({
            "INSERT INTO temi VALUES ('Пушкин')",
            "INSERT INTO temi VALUES ('Поэма ''Мцыри''')",
            row(1, 1, "Год рождения Пушкина?\nA) 1799\nB) 1812", "Пушкин", "A"),
            row(1, 2, "Автор «Мцыри»?\r\nA) Лермонтов\r\nB) Пушкин\r\n", kMcyri, "A"),
            row(2, 3, "Где учился Пушкин?\nA. в лицее\nB. в университете\nC. дома", "Пушкин", "C"),
            // The topic's numbers out of step: 7, then 5.
            row(7, 4, "Сколько лет Мцыри?\nA) 6\nB) 17\nC) 30", kMcyri, "B"),
            row(5, 5, "Кавказ в поэме?\nA) да\nB) нет", kMcyri, "A"),
            "CREATE TRIGGER refuse BEFORE INSERT ON test WHEN NEW.test LIKE '%ОТКАЗ%'"
            " BEGIN SELECT RAISE(ABORT, 'refused by the database'); END",
        });
        conn = db->connect();
        test = std::make_unique<Table>("tblTest", conn.get(), "test");
        temi = std::make_unique<Table>("tblTemi", conn.get(), "temi");
        test->open();
        temi->open();
    }

    void cleanup()
    {
        test.reset();
        temi.reset();
        conn.reset();
        db.reset();
    }

    void importIntoANewTopic()
    {
        QVERIFY(import("Гоголь", questions(3)));
        auto side = db->side();
        QCOMPARE(side->rows("SELECT nom, nom1, test, rasdel, otv FROM test WHERE id > 5 ORDER BY id"),
                 (QList<QVariantList>{
                     {1, 6, "Новый вопрос 1?\r\nA) один\r\nB) два\r\nC) три", "Гоголь", "A"},
                     {2, 7, "Новый вопрос 2?\r\nA) один\r\nB) два\r\nC) три", "Гоголь", "B"},
                     {3, 8, "Новый вопрос 3?\r\nA) один\r\nB) два\r\nC) три", "Гоголь", "C"},
                 }));
        QCOMPARE(side->scalar("SELECT group_concat(rasdel, '|') FROM temi"),
                 QVariant(QStringLiteral("Пушкин|Поэма 'Мцыри'|Гоголь")));
        // The other rows untouched; the table objects hold what the file holds,
        // unfiltered, on their first row.
        QCOMPARE(side->scalar("SELECT group_concat(nom, ',') FROM test WHERE id <= 5"), QVariant("1,1,2,7,5"));
        QCOMPARE(held(*test, "nom1"), QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
        QCOMPARE(held(*temi, "rasdel").last(), QStringLiteral("Гоголь"));
        QVERIFY(!test->filtered());
        QCOMPARE(test->currentIndex(), 0);
        QCOMPARE(test->state(), Table::State::Browse);
    }

    void importIntoATopicNumbersItAsSaveDoes()
    {
        QVERIFY(import(kMcyri, questions(2)));
        auto side = db->side();
        // The topic's rows in table order: 1, 2, 3, then the new ones 4 and 5;
        // nom1 goes on from the row count.
        QCOMPARE(side->rows("SELECT nom, nom1 FROM test WHERE rasdel = ? ORDER BY id", {kMcyri}),
                 (QList<QVariantList>{{1, 2}, {2, 4}, {3, 5}, {4, 6}, {5, 7}}));
        // Listed in temi already: not added twice.
        QCOMPARE(side->scalar("SELECT count(*) FROM temi WHERE rasdel = ?", {kMcyri}), QVariant(1));
        QCOMPARE(held(*test, "nom"), QStringList({"1", "1", "2", "2", "3", "4", "5"}));
    }

    void importDiscardsAnEmptyPendingRowAsSaveDoes()
    {
        test->insert(); // "Добавить"
        QVERIFY(import("Гоголь", questions(1)));
        QCOMPARE(db->side()->scalar("SELECT count(*) FROM test"), QVariant(6));
        QCOMPARE(test->recordCount(), 6);
    }

    void cancelledImportTakesEverythingBack_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<qint64>("cancelAt");
        QTest::newRow("new topic, at the start") << "Гоголь" << qint64(0);
        QTest::newRow("new topic, in the middle") << "Гоголь" << qint64(128);
        QTest::newRow("renumbered topic, at the last question") << kMcyri << qint64(300);
    }

    void cancelledImportTakesEverythingBack()
    {
        QFETCH(QString, topic);
        QFETCH(qint64, cancelAt);
        auto side = db->side();
        const QStringList before = dump(*side);
        const QStringList heldNoms = held(*test, "nom");
        bool sawNothingMeanwhile = true;
        const bool done = import(topic, questions(300), [&](qint64 done) {
            // Another program sees none of the import while it runs.
            if (done > 0 && dump(*side) != before)
                sawNothingMeanwhile = false;
            return done < cancelAt;
        });
        QVERIFY(!done);
        QVERIFY(sawNothingMeanwhile);
        QCOMPARE(dump(*side), before);
        QCOMPARE(held(*test, "nom"), heldNoms);
        QCOMPARE(held(*temi, "rasdel"), QStringList({"Пушкин", kMcyri}));
        QCOMPARE(test->state(), Table::State::Browse);
        // The tables work on: a later import writes normally.
        QVERIFY(import(topic, questions(1)));
        QCOMPARE(side->scalar("SELECT count(*) FROM test"), QVariant(6));
    }

    void refusedRowTakesEverythingBack()
    {
        auto side = db->side();
        const QStringList before = dump(*side);
        QList<aiken::Question> qs = questions(5);
        qs[3].text = QStringLiteral("ОТКАЗ\r\nA) 1\r\nB) 2");
        try {
            import(kMcyri, qs);
            QFAIL("the refused row was not reported");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("refused by the database")), qPrintable(e.message()));
        }
        QCOMPARE(dump(*side), before);
        QCOMPARE(held(*test, "nom"), QStringList({"1", "1", "2", "7", "5"}));
        QCOMPARE(test->state(), Table::State::Browse);
        QCOMPARE(temi->recordCount(), 2);
    }

    void exportThenImportGivesTheSameQuestions()
    {
        const QList<aiken::Question> out = questionbank::topicQuestions(*test, kMcyri);
        QCOMPARE(out.size(), 3);
        const QList<aiken::Question> in = aiken::read(aiken::write(out));
        QVERIFY(import(QStringLiteral("Копия: ") + kMcyri, in));
        const QList<aiken::Question> copy = questionbank::topicQuestions(*test, QStringLiteral("Копия: ") + kMcyri);
        QCOMPARE(copy.size(), out.size());
        for (int i = 0; i < copy.size(); ++i) {
            QCOMPARE(copy[i].text, out[i].text);
            QCOMPARE(copy[i].answer, out[i].answer);
        }
        // Stored texts are the originals with CR LF line ends and no trailing break.
        QCOMPARE(db->side()->scalar("SELECT test FROM test WHERE rasdel = ? ORDER BY id",
                                    {QStringLiteral("Копия: ") + kMcyri}),
                 QVariant("Автор «Мцыри»?\r\nA) Лермонтов\r\nB) Пушкин"));
    }

    void exportRefusesQuestionsItCannotWrite()
    {
        auto side = db->side();
        side->exec(row(3, 6, "Без вариантов", "Пушкин", "A"));
        side->exec(row(4, 7, "Без буквы\nA) 1\nB) 2", "Пушкин", ""));
        test->close();
        test->open();
        try {
            questionbank::topicQuestions(*test, "Пушкин");
            QFAIL("the topic was written");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("Тему «Пушкин» нельзя записать в формате Aiken, файл не записан:\n"
                                                 "вопрос 6: у вопроса нет вариантов ответа «A) …» или «A. …»\n"
                                                 "вопрос 7: нет верной буквы A–E"));
        }
        QCOMPARE(questionbank::topicQuestions(*test, "Нет такой").size(), 0);
    }

    void knownTopics()
    {
        db->side()->exec(row(1, 6, "В\nA) 1\nB) 2", "Только в вопросах", "A"));
        test->close();
        test->open();
        QCOMPARE(questionbank::knownTopics(*temi, *test), QStringList({"Пушкин", kMcyri, "Только в вопросах"}));
    }
};

QTEST_GUILESS_MAIN(TestQuestionBank)
#include "tst_questionbank.moc"
