// The grading rules: (correct answers k, questions N) → five-point grade,
// letter grade with its grade point, stored letter.

#include "forms/Grading.h"
#include "platform/Error.h"
#include "support/GradingCases.h"

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

    for (const grading_cases::Case& c : grading_cases::kCases)
        QTest::addRow("%d of %d", c.k, c.n) << c.k << c.n << QString::fromUtf8(c.fivePoint)
                                            << QString::fromUtf8(c.letterText) << QString::fromUtf8(c.letter);
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
                                 .arg(a.k)
                                 .arg(a.n)
                                 .arg(letters[a.rank])
                                 .arg(b.k)
                                 .arg(b.n)
                                 .arg(letters[b.rank])));
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
