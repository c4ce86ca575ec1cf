// The teacher's statistics of a topic, timed against a baseline run in the
// same process:
//   window    "Статистика" reading and showing a topic of 40 questions with
//             2,500 graded runs (100,000 kept answers): the figures, the grade
//             charts, the question table and the first question's chart
//   compute   the same reading and computing without the window
//   baseline  plain SQL aggregate queries of the same counts on the same
//             file: the letters given per question, and per run the number
//             of questions and of correct answers
//
//   bench_statistics [runs] [questions] [rounds]   (defaults 2500 40 9)
//
// Run it headless: QT_QPA_PLATFORM=offscreen bench_statistics

#include "support/TestPlatform.h"

#include "bench/support/Bench.h"

#include "app/Startup.h"
#include "data/Connection.h"
#include "data/QuestionStats.h"
#include "data/Schema.h"
#include "forms/Forms.h"
#include "forms/Unit11.h"
#include "forms/Unit6.h"

#include <QApplication>
#include <QDate>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

using namespace bench;

namespace {

const QString kTopic = QStringLiteral("Тема «Пушкин»");

void makeDatabase(const QString& path, int runs, int questions)
{
    makeCourseFile(path, [&](const QSqlDatabase& db) {
        for (const QString& ddl : schema::answersFileDdl())
            exec(db, ddl);
        QSqlQuery temi(db);
        temi.prepare(QStringLiteral("INSERT INTO temi (rasdel) VALUES (?)"));
        temi.addBindValue(kTopic);
        exec(temi);
        QSqlQuery test(db);
        test.prepare(QStringLiteral("INSERT INTO test (id, nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?, ?)"));
        const QString letters = QStringLiteral("ABCDE");
        for (int q = 1; q <= questions; ++q) {
            test.addBindValue(q);
            test.addBindValue(q);
            test.addBindValue(q);
            test.addBindValue(QStringLiteral("Вопрос %1?\r\nA) а\r\nB) б\r\nC) в\r\nD) г\r\nE) д").arg(q));
            test.addBindValue(kTopic);
            test.addBindValue(QString(letters[q % 5]));
            exec(test);
        }
        QSqlQuery result(db);
        result.prepare(QStringLiteral("INSERT INTO result (rowid, fio, data, kol, ocenka) VALUES (?, ?, ?, ?, ?)"));
        QSqlQuery answer(db);
        answer.prepare(
            QStringLiteral("INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES (?, ?, ?, ?, ?, ?)"));
        QRandomGenerator random(2500);
        for (int r = 1; r <= runs; ++r) {
            result.addBindValue(r);
            result.addBindValue(QStringLiteral("Студент %1").arg(r));
            result.addBindValue(QDate(2024, 9, 1).addDays(r % 60).toString(Qt::ISODate));
            result.addBindValue(QString::number(questions));
            result.addBindValue(QStringLiteral("C"));
            exec(result);
            const int ability = int(random.bounded(100));
            for (int q = 1; q <= questions; ++q) {
                const QString right(letters[q % 5]);
                const int roll = int(random.bounded(100));
                answer.addBindValue(r);
                answer.addBindValue(q);
                answer.addBindValue(q);
                answer.addBindValue(roll < 3         ? QVariant()
                                    : roll < ability ? QVariant(right)
                                                     : QVariant(QString(letters[roll % 5])));
                answer.addBindValue(right);
                answer.addBindValue(kTopic);
                exec(answer);
            }
        }
    });
}

// The counts with plain aggregate queries: what any report of them costs.
int plainCounts(const QSqlDatabase& db)
{
    int rows = 0;
    QSqlQuery letters(db);
    letters.setForwardOnly(true);
    check(letters.exec(QStringLiteral("SELECT a.id, a.otv, count(*) FROM otvety a JOIN result r ON r.rowid = a.result "
                                      "WHERE a.rasdel = '%1' GROUP BY a.id, a.otv")
                           .arg(kTopic)),
          letters);
    while (letters.next())
        rows += letters.value(2).toInt() > 0;
    QSqlQuery runs(db);
    runs.setForwardOnly(true);
    check(runs.exec(QStringLiteral("SELECT a.result, count(*), sum(coalesce(a.otv, '') = coalesce(a.verno, '')) "
                                   "FROM otvety a JOIN result r ON r.rowid = a.result WHERE a.rasdel = '%1' "
                                   "GROUP BY a.result")
                        .arg(kTopic)),
          runs);
    while (runs.next())
        rows += runs.value(1).toInt() > 0;
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int runs = argument(argc, argv, 1, 2500);
    const int questions = argument(argc, argv, 2, 40);
    const int rounds = argument(argc, argv, 3, 9);

    const WorkFolder dir;
    const QString database = dir.filePath(QStringLiteral("test.mdb"));
    makeDatabase(database, runs, questions);

    initialiseApplication();
    TestPlatform platform;
    Form6 = new TForm6;
    Form6->FormCreate();
    const QSqlDatabase plain = openFile(QStringLiteral("plain"), database);

    TForm11::open(kTopic);
    if (Form11->loaded().stats.runs.size() != runs || Form11->loaded().stats.questions.size() != questions)
        fail(QStringLiteral("the window shows %1 runs of %2 questions")
                 .arg(Form11->loaded().stats.runs.size())
                 .arg(Form11->loaded().stats.questions.size()));
    std::vector<double> window, compute, baseline;
    for (int round = 0; round < rounds; ++round) {
        int found = 0;
        baseline.push_back(timed([&] { found = plainCounts(plain); }));
        if (found < questions + runs)
            fail(QStringLiteral("the plain queries found %1 rows").arg(found));
        window.push_back(timed([] {
            Form11->Refresh();
            QApplication::processEvents();
        }));
        compute.push_back(timed([] { question_stats::load(*Form6->ADOConnection1, {kTopic, QDate(), QDate()}); }));
    }
    if (!platform.boxes.isEmpty())
        fail(QStringLiteral("a box was shown: ") + platform.boxes.first().text);

    const double plainMs = median(baseline);
    std::printf("statistics of a topic of %d questions, %d runs (%d answers), median of %d rounds\n", questions, runs,
                runs * questions, rounds);
    std::printf("  window \"Статистика\"     %8.2f ms   ratio to plain aggregates %5.2f\n", median(window),
                median(window) / plainMs);
    std::printf("  reading and computing   %8.2f ms   ratio to plain aggregates %5.2f\n", median(compute),
                median(compute) / plainMs);
    std::printf("  plain aggregate queries %8.2f ms\n", plainMs);

    delete Form11;
    Form11 = nullptr;
    delete Form6;
    Form6 = nullptr;
    return 0;
}
