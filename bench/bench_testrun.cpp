// A test run on a large topic, timed: choosing a topic of 1,000 questions
// (question tree and answer sheet rebuilt) and grading it, each run as the
// program runs a handler (all its writes in one transaction) and set against
// the same reads and writes done with plain SQLite statements in one
// transaction on a copy of the same database file in the same run (the
// answer sheet, as the program's, a table private to the connection).
//
//   bench_testrun [questions] [rounds]     (defaults 1000 and 5)
//
// Run it headless: QT_QPA_PLATFORM=offscreen bench_testrun

#include "bench/support/Bench.h"

#include "app/Forms.h"
#include "app/Startup.h"
#include "data/Table.h"
#include "forms/Unit6.h"
#include "forms/Unit7.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>
#include <vector>

using namespace bench;

namespace {

const QString kTopic = QStringLiteral("Большая тема");
const QString kOtherTopic = QStringLiteral("Другая тема");
const char* const kLetters[] = {"A", "B", "C", "D", "E"};

// The course's schema (the CREATE TABLE statements of the demo seed) with
// one topic of n questions and, interleaved, another of n / 4.
void makeDatabase(const QString& path, int questions)
{
    makeCourseFile(path, [&](const QSqlDatabase& db) {
        QSqlQuery topic(db);
        topic.prepare(QStringLiteral("INSERT INTO temi (rasdel) VALUES (?)"));
        for (const QString& t : {kTopic, kOtherTopic}) {
            topic.addBindValue(t);
            exec(topic);
        }
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)"));
        int running = 0;
        auto add = [&](const QString& rasdel, int nom) {
            ++running;
            q.addBindValue(nom);
            q.addBindValue(running);
            q.addBindValue(QStringLiteral("Вопрос %1 темы «%2»\nA) …\nB) …\nC) …\nD) …\nE) …").arg(nom).arg(rasdel));
            q.addBindValue(rasdel);
            q.addBindValue(QString::fromLatin1(kLetters[running % 5]));
            exec(q);
        };
        for (int i = 1; i <= questions; ++i) {
            add(kTopic, i);
            if (i % 4 == 0)
                add(kOtherTopic, i / 4);
        }
    });
}

// The plain-statement counterpart of choosing the topic: read the topic's
// question ids, delete the old sheet row by row, insert the new one row by row.
void plainChoose(const QSqlDatabase& db)
{
    QSqlQuery ids(db);
    ids.setForwardOnly(true);
    ids.prepare(QStringLiteral("SELECT id FROM test WHERE rasdel = ? ORDER BY rowid"));
    ids.addBindValue(kTopic);
    exec(ids);
    std::vector<qlonglong> questionIds;
    while (ids.next())
        questionIds.push_back(ids.value(0).toLongLong());

    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    rows.prepare(QStringLiteral("SELECT rowid FROM testing ORDER BY rowid"));
    exec(rows);
    std::vector<qlonglong> rowids;
    while (rows.next())
        rowids.push_back(rows.value(0).toLongLong());
    rows.finish();

    QSqlQuery del(db);
    del.prepare(QStringLiteral("DELETE FROM testing WHERE rowid = ?"));
    for (qlonglong rowid : rowids) {
        del.addBindValue(rowid);
        exec(del);
    }
    QSqlQuery ins(db);
    ins.prepare(QStringLiteral("INSERT INTO testing (nom, nom1) VALUES (?, ?)"));
    for (size_t k = 0; k < questionIds.size(); ++k) {
        ins.addBindValue(QString::number(k + 1));
        ins.addBindValue(questionIds[k]);
        exec(ins);
    }
}

// The plain-statement counterpart of grading: read the sheet, look up each
// question's correct letter, count the topic's questions, store one result.
void plainGrade(const QSqlDatabase& db)
{
    QSqlQuery sheet(db);
    sheet.setForwardOnly(true);
    sheet.prepare(QStringLiteral("SELECT nom1, otv FROM testing ORDER BY rowid"));
    exec(sheet);
    QSqlQuery question(db);
    question.setForwardOnly(true);
    question.prepare(QStringLiteral("SELECT otv FROM test WHERE id = ?"));
    int correct = 0;
    while (sheet.next()) {
        question.addBindValue(sheet.value(0));
        exec(question);
        const QVariant right = question.next() ? question.value(0) : QVariant();
        const QVariant given = sheet.value(1);
        if (given.isNull() ? right.isNull() : (!right.isNull() && given.toString() == right.toString()))
            ++correct;
        question.finish();
    }
    QSqlQuery count(db);
    count.prepare(QStringLiteral("SELECT COUNT(*) FROM test WHERE rasdel = ?"));
    count.addBindValue(kTopic);
    exec(count);
    count.next();
    const int questions = count.value(0).toInt();
    count.finish();

    QSqlQuery result(db);
    result.prepare(QStringLiteral("INSERT INTO result (fio, data, kol, ocenka) VALUES (?, ?, ?, ?)"));
    result.addBindValue(QStringLiteral("Студент"));
    result.addBindValue(QDate::currentDate().toString(Qt::ISODate));
    result.addBindValue(QString::number(questions));
    result.addBindValue(correct * 100 >= 50 * questions ? QStringLiteral("D") : QStringLiteral("F"));
    exec(result);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int questions = argument(argc, argv, 1, 1000);
    const int rounds = argument(argc, argv, 2, 5);

    const WorkFolder dir;
    makeDatabase(dir.filePath(QStringLiteral("test.mdb")), questions);
    QFile::copy(dir.filePath(QStringLiteral("test.mdb")), dir.filePath(QStringLiteral("plain.mdb")));

    initialiseApplication();
    Platform::install(std::make_unique<FailingMessages>(), nullptr, nullptr, nullptr, nullptr);

    // Only the two windows of a test run.
    Form6 = new TForm6;
    Form6->FormCreate();
    Form7 = new TForm7;
    Form6->OpenTestWindow();

    QSqlDatabase plain = openFile(QStringLiteral("bench_plain"), dir.filePath(QStringLiteral("plain.mdb")));
    {
        // The program's answer sheet is private to its connection: so is the plain one.
        QSqlQuery sheet(plain);
        sheet.prepare(QStringLiteral("CREATE TEMP TABLE testing AS SELECT * FROM main.testing"));
        exec(sheet);
    }

    std::vector<double> chooseOurs, choosePlain, gradeOurs, gradePlain;
    for (int r = 0; r < rounds; ++r) {
        Form6->show();
        Form6->sComboBox1->lineEdit()->setText(kTopic);
        chooseOurs.push_back(timed([] { ErrorReport::run([] { Form6->sComboBox1Change(); }); }));
        if (Form6->sTreeView1->nodeCount() != questions || Form6->tblTesting->recordCount() != questions)
            fail(QStringLiteral("the topic was not rebuilt"));
        // A few answers, so that grading has letters to compare (untimed;
        // one transaction, where the student's clicks would make one each).
        ErrorReport::run([questions] {
            for (int i = 0; i < questions; i += 3) {
                Form6->tblTesting->locate(QStringLiteral("nom"), QString::number(i + 1),
                                          Table::CaseInsensitive | Table::PartialKey);
                Form6->tblTesting->edit();
                Form6->tblTesting->setValue(QStringLiteral("otv"), QString::fromLatin1(kLetters[i % 5]));
            }
        });
        gradeOurs.push_back(timed([] { ErrorReport::run([] { Form6->sButton1Click(); }); }));
        if (Form7->Edit1->text() != QString::number(questions))
            fail(QStringLiteral("grading counted ") + Form7->Edit1->text());

        choosePlain.push_back(timed([&] { inTransaction(plain, [&] { plainChoose(plain); }); }));
        inTransaction(plain, [&] {
            QSqlQuery answer(plain);
            answer.prepare(QStringLiteral("UPDATE testing SET otv = ? WHERE nom = ?"));
            for (int i = 0; i < questions; i += 3) {
                answer.addBindValue(QString::fromLatin1(kLetters[i % 5]));
                answer.addBindValue(QString::number(i + 1));
                exec(answer);
            }
        });
        gradePlain.push_back(timed([&] { inTransaction(plain, [&] { plainGrade(plain); }); }));
    }

    const double co = median(chooseOurs), cp = median(choosePlain), go = median(gradeOurs), gp = median(gradePlain);
    auto line = [](const QString& what, double ours, double plainMs) {
        std::printf("  %s %8.1f ms %8.1f ms %7.2fx\n", qPrintable(what.leftJustified(36)), ours, plainMs,
                    ours / plainMs);
    };
    std::printf("test run on a topic of %d questions, median of %d rounds\n", questions, rounds);
    std::printf("  %36s %11s %11s %8s\n", "", "program", "plain SQL", "ratio");
    line(QStringLiteral("choosing the topic (tree + sheet)"), co, cp);
    line(QStringLiteral("grading (\"Выполнено\")"), go, gp);

    plain.close();
    plain = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("bench_plain"));
    delete Form7;
    delete Form6;
    Form7 = nullptr;
    Form6 = nullptr;
    return 0;
}
