// The grading rules: (correct answers k, questions N) → five-point grade,
// letter grade with its grade point, stored letter.

#include "forms/Grading.h"
#include "platform/Error.h"

#include <QStringList>
#include <QTest>

class TestGrading : public QObject {
    Q_OBJECT
private slots:
    void grades_data();
    void grades();
    void everyPairGradesConsistently();
    void noQuestions_data();
    void noQuestions();
};

void TestGrading::grades_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("fivePoint");
    QTest::addColumn<QString>("letterText");
    QTest::addColumn<QString>("letter");

    auto row = [](int k, int n, const char* five, const char* text, const char* letter) {
        QTest::addRow("%d of %d", k, n) << k << n << QString::fromUtf8(five) << QString::fromUtf8(text)
                                        << QString::fromUtf8(letter);
    };
    // Whole percentages on and just below every bound of both tables.
    row(0, 5, "2", "F (0)", "F");
    row(49, 100, "2", "F (0)", "F");
    row(50, 100, "3", "D (1.0)", "D");
    row(54, 100, "3", "D (1.0)", "D");
    row(55, 100, "3", "D+ (1.33)", "D+");
    row(59, 100, "3", "D+ (1.33)", "D+");
    row(60, 100, "3", "C- (1.67)", "C-");
    row(64, 100, "3", "C- (1.67)", "C-");
    row(65, 100, "3", "C (2.0)", "C");
    row(69, 100, "3", "C (2.0)", "C");
    row(70, 100, "3", "C+ (2.33)", "C+");
    row(74, 100, "3", "C+ (2.33)", "C+");
    row(75, 100, "4", "B- (2.67)", "B-");
    row(79, 100, "4", "B- (2.67)", "B-");
    row(80, 100, "4", "B (3.0)", "B");
    row(84, 100, "4", "B (3.0)", "B");
    row(85, 100, "4", "B+ (3.33)", "B+");
    row(89, 100, "4", "B+ (3.33)", "B+");
    row(90, 100, "5", "A- (3.67)", "A-");
    row(94, 100, "5", "A- (3.67)", "A-");
    row(95, 100, "5", "A (4.0)", "A");
    row(100, 100, "5", "A (4.0)", "A");
    // Small topics.
    row(1, 2, "3", "D (1.0)", "D");
    row(2, 3, "3", "C (2.0)", "C");  // 66.67
    row(3, 4, "4", "B- (2.67)", "B-");
    row(9, 10, "5", "A- (3.67)", "A-");
    row(10, 10, "5", "A (4.0)", "A");
    row(1, 1, "5", "A (4.0)", "A");
    row(0, 1, "2", "F (0)", "F");
    // Exactly on a bound, where k × (100 / N) in floating point falls just below it.
    row(7, 14, "3", "D (1.0)", "D");      // 50
    row(21, 28, "4", "B- (2.67)", "B-");  // 75
    row(33, 55, "3", "C- (1.67)", "C-");  // 60
    row(99, 110, "5", "A- (3.67)", "A-"); // 90
    // Between two whole-number bounds: the lower row holds up to the next bound.
    row(99, 200, "2", "F (0)", "F");       // 49.5
    row(6, 11, "3", "D (1.0)", "D");       // 54.5
    row(119, 200, "3", "D+ (1.33)", "D+"); // 59.5
    row(129, 200, "3", "C- (1.67)", "C-"); // 64.5
    row(139, 200, "3", "C (2.0)", "C");    // 69.5
    row(149, 200, "3", "C+ (2.33)", "C+"); // 74.5
    row(159, 200, "4", "B- (2.67)", "B-"); // 79.5
    row(169, 200, "4", "B (3.0)", "B");    // 84.5
    row(179, 200, "4", "B+ (3.33)", "B+"); // 89.5
    row(189, 200, "5", "A- (3.67)", "A-"); // 94.5
    row(199, 200, "5", "A (4.0)", "A");    // 99.5
    // More correct answers than questions (the questions changed under an old sheet).
    row(12, 10, "5", "A (4.0)", "A");
}

void TestGrading::grades()
{
    QFETCH(int, k);
    QFETCH(int, n);
    QFETCH(QString, fivePoint);
    QFETCH(QString, letterText);
    QFETCH(QString, letter);
    const grading::Grade g = grading::grade(k, n);
    QCOMPARE(g.fivePoint, fivePoint);
    QCOMPARE(g.letterText, letterText);
    QCOMPARE(g.letter, letter);
}

// Over every pair up to 300 questions: each grading gives one of the eleven
// letters, shown with its grade point; the five-point grade agrees with the
// letter's band; equal percentages grade alike, and a higher percentage never
// grades lower.
void TestGrading::everyPairGradesConsistently()
{
    const QStringList letters{"F", "D", "D+", "C-", "C", "C+", "B-", "B", "B+", "A-", "A"};
    const QStringList fiveOfLetter{"2", "3", "3", "3", "3", "3", "4", "4", "4", "5", "5"};
    struct Graded {
        int k, n, rank;
    };
    QList<Graded> all;
    for (int n = 1; n <= 300; ++n) {
        for (int k = 0; k <= n; ++k) {
            const grading::Grade g = grading::grade(k, n);
            const int rank = int(letters.indexOf(g.letter));
            QVERIFY2(rank >= 0, qPrintable(QStringLiteral("%1 of %2: letter '%3'").arg(k).arg(n).arg(g.letter)));
            QVERIFY(g.letterText.startsWith(g.letter + QStringLiteral(" (")));
            QCOMPARE(g.fivePoint, fiveOfLetter[rank]);
            all.append({k, n, rank});
        }
    }
    std::sort(all.begin(), all.end(),
              [](const Graded& a, const Graded& b) { return qint64(a.k) * b.n < qint64(b.k) * a.n; });
    for (qsizetype i = 1; i < all.size(); ++i) {
        const Graded& a = all[i - 1];
        const Graded& b = all[i];
        const bool samePercentage = qint64(a.k) * b.n == qint64(b.k) * a.n;
        if (samePercentage ? a.rank != b.rank : a.rank > b.rank)
            QFAIL(qPrintable(QStringLiteral("%1 of %2 gives %3, %4 of %5 gives %6")
                                 .arg(a.k).arg(a.n).arg(letters[a.rank])
                                 .arg(b.k).arg(b.n).arg(letters[b.rank])));
    }
}

void TestGrading::noQuestions_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("message");
    QTest::newRow("0 of 0") << 0 << QStringLiteral("Invalid floating point operation");
    QTest::newRow("2 of 0") << 2 << QStringLiteral("Floating point division by zero");
}

void TestGrading::noQuestions()
{
    QFETCH(int, k);
    QFETCH(QString, message);
    try {
        grading::grade(k, 0);
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.message(), message);
    }
}

QTEST_APPLESS_MAIN(TestGrading)
#include "tst_grading.moc"
