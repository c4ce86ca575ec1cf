// Figures for the table object over a question table of 1,000 and 10,000
// rows, each against the same work done with plain statements through
// QSqlQuery in the same run:
//   open    reading the whole table (the table object's snapshot; the
//           baseline reads every row into memory as well)
//   locate  1,000 searches by id (baseline: the same searches in a copy of
//           the table read into memory once, through a hash of the keys, as
//           the table object searches its snapshot)
//   filter  100 switches of the topic filter (baseline: the topic's rows
//           picked out of that copy, as the table object picks them out of
//           its snapshot)
//   post    1,000 new rows, each written on its own (baseline: a prepared
//           insert, each in its own transaction)
// Usage: bench_table [rows...]   (default: 1000 10000)

#include "bench/support/Bench.h"

#include "data/Connection.h"
#include "data/Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace bench;

namespace {

constexpr int kTopics = 20;
constexpr int kLocates = 1000;
constexpr int kFilterSwitches = 100;
constexpr int kPosts = 1000;
constexpr int kOpenRepeats = 5;

QString topicName(int i) { return QStringLiteral("Тема %1: русская литература XIX века").arg(i + 1); }

void makeDatabase(const QString& path, int rows)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-make");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        check(q.exec("CREATE TABLE test (id INTEGER PRIMARY KEY AUTOINCREMENT, nom INTEGER, nom1 INTEGER, "
                     "test TEXT, rasdel VARCHAR(255), otv VARCHAR(1))"),
              q);
        check(q.exec("BEGIN"), q);
        q.prepare("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)");
        for (int i = 0; i < rows; ++i) {
            q.addBindValue(i / kTopics + 1);
            q.addBindValue(i + 1);
            q.addBindValue(QStringLiteral("Вопрос %1\nA) первый ответ\nB) второй ответ\nC) третий ответ\n"
                                          "D) четвёртый ответ\nE) пятый ответ")
                               .arg(i + 1));
            q.addBindValue(topicName(i % kTopics));
            q.addBindValue(QString(QChar('A' + i % 5)));
            check(q.exec(), q);
        }
        check(q.exec("COMMIT"), q);
    }
    QSqlDatabase::removeDatabase("bench-make");
}

struct Figures {
    double table = 0;
    double baseline = 0;
};

void print(const char* what, int rows, const Figures& f)
{
    std::printf("%-8s %7d %12.2f %12.2f %8.2f\n", what, rows, f.table, f.baseline, f.table / f.baseline);
    std::fflush(stdout);
}

// The baseline's snapshot: every row's values.
std::vector<std::vector<QVariant>> readAll(QSqlQuery& q, int columns)
{
    std::vector<std::vector<QVariant>> rows;
    while (q.next()) {
        std::vector<QVariant> row(columns);
        for (int i = 0; i < columns; ++i)
            row[i] = q.value(i);
        rows.push_back(std::move(row));
    }
    q.finish();
    return rows;
}

void run(int rows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("test.mdb");
    makeDatabase(path, rows);

    Connection connection("ADOConnection1");
    connection.setConnectionString("Data Source=" + path);
    connection.open();
    Table table("tblTest", &connection, "test");

    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-baseline");
    db.setDatabaseName(path);
    db.open();
    {
        QSqlQuery pragma(db);
        pragma.exec("PRAGMA synchronous = FULL");
    }

    const int columns = 7; // rowid and the six fields
    volatile std::size_t sink = 0;

    // Open.
    Figures open;
    {
        std::vector<double> a, b;
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare("SELECT rowid, id, nom, nom1, test, rasdel, otv FROM test ORDER BY rowid");
        for (int r = 0; r <= kOpenRepeats; ++r) { // the first round warms up
            QElapsedTimer t;
            table.close();
            t.start();
            table.open();
            const double ta = ms(t);
            t.restart();
            check(q.exec(), q);
            sink = sink + readAll(q, columns).size();
            const double tb = ms(t);
            if (r > 0) {
                a.push_back(ta);
                b.push_back(tb);
            }
        }
        open = {median(a), median(b)};
    }
    print("open", rows, open);

    // The baseline's copy of the table, read once (as the object's snapshot).
    std::vector<std::vector<QVariant>> copy;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        check(q.exec("SELECT rowid, id, nom, nom1, test, rasdel, otv FROM test ORDER BY rowid"), q);
        copy = readAll(q, columns);
    }

    // Locate by id.
    Figures locate;
    {
        std::vector<qlonglong> keys;
        QRandomGenerator random(42);
        for (int i = 0; i < kLocates; ++i)
            keys.push_back(random.bounded(rows) + 1);
        QElapsedTimer t;
        t.start();
        for (qlonglong k : keys)
            sink = sink + table.locate("id", k, Table::CaseInsensitive | Table::PartialKey);
        locate.table = ms(t);
        t.restart();
        QHash<qlonglong, int> byId;
        byId.reserve(int(copy.size()));
        for (int r = int(copy.size()) - 1; r >= 0; --r) // the first stored row of each key wins
            byId.insert(copy[r][1].toLongLong(), r);
        for (qlonglong k : keys)
            sink = sink + (byId.value(k, -1) >= 0);
        locate.baseline = ms(t);
    }
    print("locate", rows, locate);

    // Switching the topic filter.
    Figures filter;
    {
        table.setFiltered(true);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kFilterSwitches; ++i) {
            QString name = topicName(i % kTopics);
            table.setFilter("rasdel='" + name.replace("'", "''") + "'");
            sink = sink + table.recordCount();
        }
        filter.table = ms(t);
        table.setFiltered(false);
        t.restart();
        std::vector<int> visible;
        for (int i = 0; i < kFilterSwitches; ++i) {
            const QString name = topicName(i % kTopics);
            visible.clear();
            visible.reserve(copy.size());
            for (int r = 0; r < int(copy.size()); ++r) {
                const QVariant& topic = copy[r][5];
                if (topic.typeId() == QMetaType::QString && *static_cast<const QString*>(topic.constData()) == name)
                    visible.push_back(r);
            }
            sink = sink + visible.size();
        }
        filter.baseline = ms(t);
    }
    print("filter", rows, filter);

    // Posts, alternating in blocks so that both see the same disk.
    Figures post;
    {
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)");
        QSqlQuery begin(db), commit(db);
        begin.prepare("BEGIN");
        commit.prepare("COMMIT");
        constexpr int kBlock = 100;
        for (int done = 0; done < kPosts; done += kBlock) {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < kBlock; ++i) {
                table.append();
                table.setValue("nom", i + 1);
                table.setValue("nom1", rows + done + i + 1);
                table.setValue("test", QStringLiteral("Новый вопрос\nA) да\nB) нет"));
                table.setValue("rasdel", topicName(0));
                table.post();
            }
            post.table += ms(t);
            t.restart();
            for (int i = 0; i < kBlock; ++i) {
                check(begin.exec(), begin);
                insert.addBindValue(i + 1);
                insert.addBindValue(rows + done + i + 1);
                insert.addBindValue(QStringLiteral("Новый вопрос\nA) да\nB) нет"));
                insert.addBindValue(topicName(0));
                insert.addBindValue(QVariant());
                check(insert.exec(), insert);
                check(commit.exec(), commit);
            }
            post.baseline += ms(t);
        }
    }
    print("post", rows, post);

    table.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("bench-baseline");
    (void)sink;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QString::fromLocal8Bit(argv[i]).toInt());
    if (sizes.empty())
        sizes = {1000, 10000};
    std::printf("%-8s %7s %12s %12s %8s\n", "work", "rows", "table ms", "baseline ms", "ratio");
    for (int rows : sizes)
        run(rows);
    return 0;
}
