// The teacher's statistics of questions: every figure against values worked
// out by hand on small sets of runs, and the reading of the answers kept in
// a database file.

#include "DbFixture.h"
#include "data/QuestionStats.h"

#include <QTest>

#include <cmath>

using namespace question_stats;

namespace {

// Runs written as one string per run: a character per question of the
// topic, the letter given ('-' none given, ' ' the run did not have the
// question); the correct letters are given once for all runs.
Input runs(const QString& correct, const QStringList& sheets, const QHash<int, QString>& texts = {})
{
    Input input;
    qint64 key = 100;
    for (const QString& sheet : sheets) {
        ++key;
        input.runs.append({key, QStringLiteral("Студент %1").arg(key), QDate(2024, 9, 16),
                           QString::number(sheet.size()), QStringLiteral("C")});
        for (int q = 0; q < sheet.size(); ++q) {
            if (sheet[q] == u' ')
                continue;
            input.answers.append({key, q + 1, q + 1, sheet[q] == u'-' ? kNoAnswer : letterCode(QString(sheet[q])),
                                  letterCode(QString(correct[q]))});
        }
    }
    input.texts = texts;
    return input;
}

bool near(double a, double b) { return std::abs(a - b) < 1e-6; }

} // namespace

class TestQuestionStats : public QObject {
    Q_OBJECT

private slots:
    void pearsonOfKnownSeries_data()
    {
        QTest::addColumn<QVector<double>>("x");
        QTest::addColumn<QVector<double>>("y");
        QTest::addColumn<double>("expected"); // NAN: none
        QTest::newRow("exact line") << QVector<double>{1, 2, 3} << QVector<double>{2, 4, 6} << 1.0;
        QTest::newRow("falling line") << QVector<double>{1, 2, 3} << QVector<double>{3, 2, 1} << -1.0;
        // Σdxdy = 2, Σdx² = 2, Σdy² = 8/3: r = 2 / sqrt(16/3).
        QTest::newRow("0/1 against scores")
            << QVector<double>{0, 1, 1} << QVector<double>{1, 2, 3} << 2.0 / std::sqrt(16.0 / 3.0);
        QTest::newRow("x does not vary") << QVector<double>{1, 1, 1} << QVector<double>{1, 2, 3} << double(NAN);
        QTest::newRow("y does not vary") << QVector<double>{0, 1, 0} << QVector<double>{2, 2, 2} << double(NAN);
        QTest::newRow("one pair") << QVector<double>{1} << QVector<double>{1} << double(NAN);
    }
    void pearsonOfKnownSeries()
    {
        QFETCH(QVector<double>, x);
        QFETCH(QVector<double>, y);
        QFETCH(double, expected);
        const std::optional<double> r = pearson(x, y);
        if (std::isnan(expected))
            QVERIFY(!r);
        else
            QVERIFY2(r && near(*r, expected), qPrintable(QString::number(r.value_or(99))));
    }

    // Four runs of three questions; the first is answered right by the
    // weaker students only.
    void figuresOfASmallTopic()
    {
        // Scores: R1 0 1 1, R2 0 1 1, R3 1 0 0, R4 1 0 1.
        const Stats s = compute(runs(QStringLiteral("ABC"), {"BBC", "CBC", "AAA", "ACC"}));
        QCOMPARE(s.runs.size(), 4);
        QCOMPARE(s.questions.size(), 3);
        QCOMPARE(s.runs[0].correct, 2);
        QCOMPARE(s.runs[2].correct, 1);
        // Shares 2/3, 2/3, 1/3, 2/3.
        QVERIFY(near(s.mean, 7.0 / 12.0));
        QVERIFY(near(s.median, 2.0 / 3.0));
        QVERIFY(near(s.deviation, std::sqrt(1.0 / 48.0)));

        const Question& q1 = s.questions[0];
        QCOMPARE(q1.runs, 4);
        QCOMPARE(q1.right, 2);
        QVERIFY(near(q1.facility, 0.5));
        // x = 0 0 1 1 against the others' sums 2 2 0 1: −1.5 / sqrt(2.75).
        QVERIFY(q1.discrimination && near(*q1.discrimination, -1.5 / std::sqrt(2.75)));
        QVERIFY(q1.flags.contains(QStringLiteral("отрицательное различение: лучше отвечают слабые")));
        QCOMPARE(q1.counts, (std::array<int, 6>{2, 1, 1, 0, 0, 0}));
        QCOMPARE(q1.correct, QStringLiteral("A"));
        QVERIFY(near(s.questions[2].facility, 0.75));

        // p = .5 .5 .75, Σpq = .6875; scores 2 2 1 2, σ² = .1875:
        // 3/2 × (1 − .6875/.1875) = −4.
        QVERIFY(s.kr20 && near(*s.kr20, -4.0));
        QCOMPARE(s.kr20Runs, 4);
        QCOMPARE(s.kr20Questions, 3);
    }

    void figuresThatCannotBeFormed_data()
    {
        QTest::addColumn<QString>("correct");
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<bool>("discrimination"); // of the first question
        QTest::addColumn<bool>("kr20");
        QTest::newRow("all runs equal") << "AB" << QStringList{"AC", "AC", "AC"} << false << false;
        QTest::newRow("one question a run") << "A" << QStringList{"A", "B", "A"} << false << false;
        QTest::newRow("nobody answered the first") << "AB" << QStringList{"-B", "-C", "-B"} << false << true;
        QTest::newRow("ties in the scores") << "AB" << QStringList{"AB", "BB", "AC", "BC"} << true << true;
    }
    void figuresThatCannotBeFormed()
    {
        QFETCH(QString, correct);
        QFETCH(QStringList, sheets);
        QFETCH(bool, discrimination);
        QFETCH(bool, kr20);
        const Stats s = compute(runs(correct, sheets));
        QCOMPARE(bool(s.questions[0].discrimination), discrimination);
        QCOMPARE(bool(s.kr20), kr20);
    }

    void nobodyAnsweredIsCountedAsNoAnswer()
    {
        const Stats s = compute(runs(QStringLiteral("AB"), {"-B", "-C", "-B"}));
        QCOMPARE(s.questions[0].counts[kNoAnswer], 3);
        QCOMPARE(s.questions[0].facility, 0.0);
        QVERIFY(s.questions[0].flags.contains(QStringLiteral("очень трудный")));
        // Σpq = 0 + 2/9, scores 1 0 1: σ² = 2/9, KR-20 = 2 × (1 − 1) = 0.
        QVERIFY(s.kr20 && near(*s.kr20, 0.0));
    }

    // KR-20 takes the runs with the topic's most frequent set of questions:
    // here three runs of the first two questions, one run of all three.
    void kr20TakesTheMostFrequentSet()
    {
        const Stats s = compute(runs(QStringLiteral("ABC"), {"AB ", "AC ", "BC ", "ABC"}));
        QCOMPARE(s.kr20Runs, 3);
        QCOMPARE(s.kr20Questions, 2);
        // p = 2/3 1/3, Σpq = 4/9; scores 2 1 0, σ² = 2/3: 2 × (1 − 2/3) = 2/3.
        QVERIFY(s.kr20 && near(*s.kr20, 2.0 / 3.0));
        QCOMPARE(s.questions[2].runs, 1);
    }

    void flagsInPlainWords()
    {
        const QHash<int, QString> texts{
            {1, "Кто написал «Мцыри»?\r\nA) Лермонтов\r\nB) Пушкин\r\nC) Гоголь\r\nD) Блок"},
            {2, "Вопрос\r\nA) да\r\nB) нет"}};
        // Q1: right A once, B twice (chosen more often), C once, D never.
        // Q2: right every time: very easy.
        const Stats s = compute(runs(QStringLiteral("AA"), {"AA", "BA", "BA", "CA"}, texts));
        const Question& q1 = s.questions[0];
        QCOMPARE(q1.firstLine, QStringLiteral("Кто написал «Мцыри»?"));
        QCOMPARE(q1.choices, QStringLiteral("ABCD"));
        QVERIFY(q1.flags.contains(QStringLiteral("вариант B выбирают чаще верного")));
        QVERIFY(q1.flags.contains(QStringLiteral("вариант D никто не выбрал")));
        QVERIFY(!q1.flags.join(u' ').contains(QStringLiteral("вариант E")));
        QVERIFY(!q1.flags.join(u' ').contains(QStringLiteral("вариант C")));
        QCOMPARE(s.questions[1].flags,
                 (QStringList{QStringLiteral("очень лёгкий"), QStringLiteral("вариант B никто не выбрал")}));
    }

    // Each run is graded against the letter its question had then; the
    // letter marked is the newest.
    void aLetterChangedLaterLeavesPastRuns()
    {
        Input input = runs(QStringLiteral("A"), {"A", "A"});
        input.runs.append({200, "Позже", QDate(2024, 10, 1), "1", "A"});
        input.answers.append({200, 1, 1, letterCode("B"), letterCode("B")});
        const Stats s = compute(input);
        QCOMPARE(s.questions[0].right, 3);
        QCOMPARE(s.questions[0].correct, QStringLiteral("B"));
    }

    void readsTheAnswersKeptInTheFile()
    {
        fixture::Db db;
        QStringList rows = schema::answersFileDdl();
        rows << "INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (1, 1, 'Первый?\r\nA) а\r\nB) б', 'Т', 'A'),"
                " (2, 2, 'Второй?\r\nA) а\r\nB) б', 'Т', 'B')"
             << "INSERT INTO result (rowid, fio, data, kol, ocenka) VALUES (1, 'Старый', '2024-01-10', '2', 'F'),"
                " (2, 'Иванов', '2024-09-16', '2', 'A'), (3, 'Петров', '2024-09-20', '2', 'F'),"
                " (4, 'O''Brien', '2024-10-01', '2', 'D'), (5, 'Без даты', NULL, '2', 'A')"
             << "INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES (2, 1, 1, 'A', 'A', 'Т'),"
                " (2, 2, 2, 'B', 'B', 'Т'), (3, 1, 1, 'B', 'A', 'Т'), (3, 2, 2, NULL, 'B', 'Т'),"
                " (4, 1, 1, 'A', 'A', 'Т'), (4, 2, 2, 'A', 'B', 'Т'), (5, 1, 1, 'A', 'A', 'Т'),"
                " (5, 2, 2, 'B', 'B', 'Т'), (9, 1, 1, 'A', 'A', 'Т')"; // result 9 was deleted
        db.make(rows);
        auto connection = db.connect();
        connection->open();

        Loaded all = load(*connection, {QStringLiteral("Т"), {}, {}});
        QVERIFY(all.haveAnswers);
        QCOMPARE(all.stats.runs.size(), 4);
        QCOMPARE(all.withoutAnswers, 1);
        QCOMPARE(all.stats.questions[0].firstLine, QStringLiteral("Первый?"));
        QCOMPARE(all.stats.questions[0].right, 3);
        QCOMPARE(all.stats.questions[1].counts[kNoAnswer], 1);
        QCOMPARE(all.stats.runs[2].name, QStringLiteral("O'Brien"));

        Loaded september = load(*connection, {QStringLiteral("Т"), QDate(2024, 9, 1), QDate(2024, 9, 30)});
        QCOMPARE(september.stats.runs.size(), 2);
        QCOMPARE(september.withoutAnswers, 0);
        QCOMPARE(september.stats.runs[0].date, QVariant(QDate(2024, 9, 16)));

        QCOMPARE(load(*connection, {QStringLiteral("другая"), {}, {}}).stats.runs.size(), 0);
        QCOMPARE(topicsWithAnswers(*connection), QStringList{QStringLiteral("Т")});
        QCOMPARE(dateRange(*connection), qMakePair(QDate(2024, 1, 10), QDate(2024, 10, 1)));
    }

    void aFileWithoutAnswersSaysSo()
    {
        fixture::Db db;
        db.make({"INSERT INTO result (fio, data, kol, ocenka) VALUES ('Старый', '2024-01-10', '2', 'F')"});
        auto connection = db.connect();
        connection->open();
        const Loaded loaded = load(*connection, {QStringLiteral("Т"), {}, {}});
        QVERIFY(!loaded.haveAnswers);
        QCOMPARE(loaded.withoutAnswers, 1);
        QVERIFY(topicsWithAnswers(*connection).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestQuestionStats)
#include "tst_questionstats.moc"
