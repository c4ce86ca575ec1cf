// The test editor on a large question base, timed: "Удалить" (the deleted
// row, then nom1 renumbered over the whole table and nom over the topic) and
// "Сохранить" (the new row, the table read again, nom renumbered over the
// topic), each run as the program runs a handler (all its writes in one
// transaction) and set against the same reads and writes done with plain
// SQLite statements in one transaction on a copy of the same database file
// in the same run.
//
//   bench_editor [questions] [topics] [rounds]     (defaults 10000, 20 and 5)
//
// Run it headless: QT_QPA_PLATFORM=offscreen bench_editor

#include "bench/support/Bench.h"

#include "app/Forms.h"
#include "app/Startup.h"
#include "data/Table.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>
#include <vector>

using namespace bench;

namespace {

const char* const kLetters[] = {"A", "B", "C", "D", "E"};

QString topicName(int i) { return QStringLiteral("Тема %1: русская литература XIX века").arg(i + 1); }

// The course's schema (the CREATE TABLE statements of the demo seed) with
// the questions dealt round the topics, numbered as the editor numbers them.
void makeDatabase(const QString& path, int questions, int topics)
{
    makeCourseFile(path, [&](const QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)"));
        for (int i = 0; i < questions; ++i) {
            q.addBindValue(i / topics + 1);
            q.addBindValue(i + 1);
            q.addBindValue(QStringLiteral("Вопрос %1\r\nA) первый ответ\r\nB) второй ответ\r\nC) третий ответ\r\n"
                                          "D) четвёртый ответ\r\nE) пятый ответ")
                               .arg(i + 1));
            q.addBindValue(topicName(i % topics));
            q.addBindValue(QString::fromLatin1(kLetters[i % 5]));
            exec(q);
        }
    });
}

std::vector<qlonglong> rowids(const QSqlDatabase& db, const QString& select, const QVariant& key = QVariant())
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(select);
    if (!key.isNull())
        q.addBindValue(key);
    exec(q);
    std::vector<qlonglong> ids;
    while (q.next())
        ids.push_back(q.value(0).toLongLong());
    return ids;
}

// Numbers the rows 1 … n in the given order.
void renumber(const QSqlDatabase& db, const QString& field, const std::vector<qlonglong>& ids)
{
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE test SET %1 = ? WHERE rowid = ?").arg(field));
    qlonglong number = 0;
    for (qlonglong id : ids) {
        update.addBindValue(++number);
        update.addBindValue(id);
        exec(update);
    }
}

// The plain-statement counterpart of "Удалить": delete the row, number the
// whole table and then the topic.
void plainDelete(const QSqlDatabase& db, qlonglong rowid, const QString& topic)
{
    QSqlQuery del(db);
    del.prepare(QStringLiteral("DELETE FROM test WHERE rowid = ?"));
    del.addBindValue(rowid);
    exec(del);
    renumber(db, QStringLiteral("nom1"), rowids(db, QStringLiteral("SELECT rowid FROM test ORDER BY rowid")));
    renumber(db, QStringLiteral("nom"),
             rowids(db, QStringLiteral("SELECT rowid FROM test WHERE rasdel = ? ORDER BY rowid"), topic));
}

// The plain-statement counterpart of "Сохранить": insert the row and read it
// back, read the whole table again, number the topic.
void plainSave(const QSqlDatabase& db, const QString& topic, int count)
{
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO test (test, rasdel, otv, nom1) VALUES (?, ?, ?, ?)"));
    insert.addBindValue(QStringLiteral("Новый вопрос\r\nA) да\r\nB) нет"));
    insert.addBindValue(topic);
    insert.addBindValue(QStringLiteral("B"));
    insert.addBindValue(count + 1);
    exec(insert);
    const qlonglong rowid = insert.lastInsertId().toLongLong();
    QSqlQuery back(db);
    back.setForwardOnly(true);
    back.prepare(QStringLiteral("SELECT id, nom, nom1, test, rasdel, otv FROM test WHERE rowid = ?"));
    back.addBindValue(rowid);
    exec(back);
    std::vector<QVariant> row;
    while (back.next())
        for (int i = 0; i < 6; ++i)
            row.push_back(back.value(i));
    back.finish();

    QSqlQuery all(db);
    all.setForwardOnly(true);
    all.prepare(QStringLiteral("SELECT rowid, id, nom, nom1, test, rasdel, otv FROM test ORDER BY rowid"));
    exec(all);
    std::vector<std::vector<QVariant>> rows;
    while (all.next()) {
        std::vector<QVariant> values(7);
        for (int i = 0; i < 7; ++i)
            values[i] = all.value(i);
        rows.push_back(std::move(values));
    }
    all.finish();

    renumber(db, QStringLiteral("nom"),
             rowids(db, QStringLiteral("SELECT rowid FROM test WHERE rasdel = ? ORDER BY rowid"), topic));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int questions = argument(argc, argv, 1, 10000, 100);
    const int topics = argument(argc, argv, 2, 20);
    const int rounds = argument(argc, argv, 3, 5);

    const WorkFolder dir;
    makeDatabase(dir.filePath(QStringLiteral("test.mdb")), questions, topics);
    QFile::copy(dir.filePath(QStringLiteral("test.mdb")), dir.filePath(QStringLiteral("plain.mdb")));

    initialiseApplication();
    Platform::install(std::make_unique<FailingMessages>(), nullptr, nullptr, nullptr, nullptr);

    // Only the window that owns the table objects and the editor.
    Form6 = new TForm6;
    Form6->FormCreate();
    Form8 = new TForm8;
    Form8->OpenEditor();

    QSqlDatabase plain = openFile(QStringLiteral("bench_plain"), dir.filePath(QStringLiteral("plain.mdb")));

    std::vector<double> deleteOurs, deletePlain, saveOurs, savePlain;
    for (int r = 0; r < rounds; ++r) {
        // "Удалить" of a question in the middle, shown by a click first.
        const int node = Form8->sTreeView1->nodeCount() / 2;
        Form8->sTreeView1->setCurrentIndex(Form8->sTreeView1->model()->index(node - 1, 0));
        ErrorReport::run([] { Form8->sTreeView1Click(); });
        const QString topic = Form8->sEdit1->text();
        const qlonglong rowid =
            rowids(plain, QStringLiteral("SELECT rowid FROM test ORDER BY rowid LIMIT 1 OFFSET ?"), node - 1).at(0);
        deleteOurs.push_back(timed([] { ErrorReport::run([] { Form8->sButton3Click(); }); }));
        if (Form8->sTreeView1->nodeCount() != questions - 1)
            fail(QStringLiteral("the tree was not refilled after the delete"));
        deletePlain.push_back(timed([&] { inTransaction(plain, [&] { plainDelete(plain, rowid, topic); }); }));

        // "Сохранить" of a new question in the same topic.
        ErrorReport::run([] { Form8->sButton1Click(); });
        Form8->sEdit1->setText(topic);
        Form8->sMemo1->setPlainText(QStringLiteral("Новый вопрос\nA) да\nB) нет"));
        const int count = Form8->sTreeView1->nodeCount();
        saveOurs.push_back(timed([] { ErrorReport::run([] { Form8->sButton2Click(); }); }));
        if (Form8->sTreeView1->nodeCount() != count + 1)
            fail(QStringLiteral("the tree did not grow by one after the save"));
        savePlain.push_back(timed([&] { inTransaction(plain, [&] { plainSave(plain, topic, count); }); }));
    }

    auto line = [](const char* what, const std::vector<double>& ours, const std::vector<double>& base) {
        const double o = median(ours), p = median(base);
        std::printf("  %-44s %8.1f ms %8.1f ms %7.2fx\n", what, o, p, o / p);
    };
    std::printf("test editor on %d questions in %d topics, median of %d rounds\n", questions, topics, rounds);
    std::printf("  %-44s %11s %11s %8s\n", "", "program", "plain SQL", "ratio");
    line("\"Удалить\" (row, nom1 over all, nom over topic)", deleteOurs, deletePlain);
    line("\"Сохранить\" (row, table read, nom over topic)", saveOurs, savePlain);

    plain.close();
    plain = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("bench_plain"));
    delete Form8;
    delete Form6;
    Form8 = nullptr;
    Form6 = nullptr;
    return 0;
}
