// The teacher's imports and exports, timed, each against a baseline run in
// the same process:
//   export  100,000 results of the register to a CSV file (read from the
//           table object, formatted, written through the atomic file with
//           its sync), against writing the same bytes with plain file writes
//           (without and with a sync at the end)
//   import  an Aiken file of 10,000 questions into a new topic (decoding,
//           reading, the rows written through the table object in one
//           transaction, the topic numbered and added to temi), against the
//           same rows written with plain prepared SQLite statements in one
//           transaction
//
//   bench_dataio [results] [questions] [rounds]   (defaults 100000 10000 5)

#include "data/Aiken.h"
#include "data/Connection.h"
#include "data/Csv.h"
#include "data/QuestionBank.h"
#include "data/Table.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

const QString kTopic = QStringLiteral("Импортированная тема");

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_dataio: %s\n", qPrintable(what));
    std::exit(2);
}

void exec(QSqlQuery& q)
{
    if (!q.exec())
        fail(q.lastError().text() + QStringLiteral(" in ") + q.lastQuery());
}

// The course's schema, from the CREATE TABLE statements of the demo seed,
// with `results` rows in result and 1,000 questions in 20 topics.
void makeDatabase(const QString& path, int results)
{
    QFile seed(QStringLiteral(NORVENA_SOURCE_DIR "/course/test.sql"));
    if (!seed.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + seed.fileName());
    QStringList code;
    for (const QString& line : QString::fromUtf8(seed.readAll()).split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            code << line;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench_make"));
        db.setDatabaseName(path);
        if (!db.open())
            fail(db.lastError().text());
        for (const QString& s : code.join(u'\n').split(u';')) {
            if (!s.trimmed().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
                continue;
            QSqlQuery q(db);
            q.prepare(s);
            exec(q);
        }
        db.transaction();
        QSqlQuery r(db);
        r.prepare(QStringLiteral("INSERT INTO result (fio, data, kol, ocenka) VALUES (?, ?, ?, ?)"));
        const char* grades[] = {"A", "A-", "B+", "B", "C-", "F"};
        for (int i = 0; i < results; ++i) {
            r.addBindValue(QStringLiteral("Студентка Иванова-%1, гр. \"Ф-21\"; поток 2").arg(i));
            r.addBindValue(QDate(2024, 1, 1).addDays(i % 365).toString(Qt::ISODate));
            r.addBindValue(QString::number(10 + i % 30));
            r.addBindValue(QString::fromLatin1(grades[i % 6]));
            exec(r);
        }
        QSqlQuery t(db);
        t.prepare(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)"));
        for (int i = 0; i < 1000; ++i) {
            t.addBindValue(i / 20 + 1);
            t.addBindValue(i + 1);
            t.addBindValue(QStringLiteral("Вопрос %1\nA) да\nB) нет").arg(i));
            t.addBindValue(QStringLiteral("Тема %1").arg(i % 20));
            t.addBindValue(QStringLiteral("A"));
            exec(t);
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench_make"));
}

QByteArray aikenFile(int questions)
{
    QString text;
    for (int i = 1; i <= questions; ++i)
        text += QStringLiteral("Вопрос %1: кто из писателей XIX века написал это произведение?\n"
                               "A) Пушкин\nB) Лермонтов\nC) Гоголь\nD) Тургенев\nE) Толстой\nANSWER: %2\n\n")
                    .arg(i)
                    .arg(QChar(u'A' + i % 5));
    return text.toUtf8();
}

double timed(const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void writePlain(const QString& path, const QByteArray& bytes, bool sync)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(QStringLiteral("cannot write ") + path);
    constexpr qsizetype kChunk = 256 * 1024;
    for (qsizetype at = 0; at < bytes.size(); at += kChunk)
        if (::write(fd, bytes.constData() + at, size_t(std::min(kChunk, bytes.size() - at))) < 0)
            fail(QStringLiteral("cannot write ") + path);
    if (sync)
        ::fsync(fd);
    ::close(fd);
}

void report(const char* what, double seconds, double baseline, const char* against)
{
    std::printf("%-44s %8.3f s   %-40s %8.3f s   ratio %6.2f\n", what, seconds, against, baseline, seconds / baseline);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int results = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int questions = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;

    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("original.mdb"));
    makeDatabase(original, results);

    // Export.
    {
        Connection connection(QStringLiteral("ADOConnection1"));
        connection.setConnectionString(QStringLiteral("Data Source=") + original);
        Table tblResult(QStringLiteral("tblResult"), &connection, QStringLiteral("result"));
        tblResult.open();
        const QStringList fields{"fio", "data", "kol", "ocenka"};
        const QStringList titles{"ФИО студента", "Дата", "Кол-во вопросов", "Оценка"};
        const QString csvPath = dir.filePath(QStringLiteral("Результаты.csv"));
        const QString plainPath = dir.filePath(QStringLiteral("plain.csv"));
        std::vector<double> exported, plain, plainSynced;
        for (int round = 0; round < rounds; ++round) {
            exported.push_back(timed([&] {
                csv::writeTable(
                    csvPath, titles, tblResult.recordCount(),
                    [&](qint64 row) {
                        QStringList cells;
                        for (const QString& f : fields)
                            cells << csv::cellText(tblResult.valueAt(int(row), f));
                        return cells;
                    },
                    [](qint64) { return true; });
            }));
            QFile written(csvPath);
            written.open(QIODevice::ReadOnly);
            const QByteArray bytes = written.readAll();
            plain.push_back(timed([&] { writePlain(plainPath, bytes, false); }));
            plainSynced.push_back(timed([&] { writePlain(plainPath, bytes, true); }));
        }
        std::printf("export of %d results, %lld bytes, median of %d rounds\n", results,
                    qlonglong(QFile(csvPath).size()), rounds);
        report("CSV export (read, format, write, sync)", median(exported), median(plain),
               "plain writes of the same bytes");
        report("", median(exported), median(plainSynced), "plain writes and a sync");
    }

    // Import.
    {
        const QByteArray file = aikenFile(questions);
        std::vector<double> imported, plain;
        for (int round = 0; round < rounds; ++round) {
            const QString copy = dir.filePath(QStringLiteral("import-%1.mdb").arg(round));
            QFile::copy(original, copy);
            {
                Connection connection(QStringLiteral("ADOConnection1"));
                connection.setConnectionString(QStringLiteral("Data Source=") + copy);
                Table tblTemi(QStringLiteral("tblTemi"), &connection, QStringLiteral("temi"));
                Table tblTest(QStringLiteral("tblTest"), &connection, QStringLiteral("test"));
                tblTemi.open();
                tblTest.open();
                imported.push_back(timed([&] {
                    const QList<aiken::Question> parsed = aiken::read(file);
                    questionbank::importQuestions(tblTest, tblTemi, kTopic, parsed, [](qint64) { return true; });
                }));
                if (tblTest.recordCount() != 1000 + questions)
                    fail(QStringLiteral("the import wrote %1 rows").arg(tblTest.recordCount() - 1000));
            }

            const QString baseCopy = dir.filePath(QStringLiteral("plain-%1.mdb").arg(round));
            QFile::copy(original, baseCopy);
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench_plain"));
                db.setDatabaseName(baseCopy);
                db.open();
                QSqlQuery sync(db);
                sync.exec(QStringLiteral("PRAGMA synchronous = FULL"));
                // The same rows, made ready beforehand.
                const QList<aiken::Question> parsed = aiken::read(file);
                plain.push_back(timed([&] {
                    db.transaction();
                    QSqlQuery q(db);
                    q.prepare(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)"));
                    for (int i = 0; i < parsed.size(); ++i) {
                        q.addBindValue(i + 1);
                        q.addBindValue(1000 + i + 1);
                        q.addBindValue(parsed[i].text);
                        q.addBindValue(kTopic);
                        q.addBindValue(parsed[i].answer);
                        exec(q);
                    }
                    QSqlQuery t(db);
                    t.prepare(QStringLiteral("INSERT INTO temi (rasdel) VALUES (?)"));
                    t.addBindValue(kTopic);
                    exec(t);
                    db.commit();
                }));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("bench_plain"));
        }
        std::printf("import of %d questions, %lld bytes, median of %d rounds\n", questions, qlonglong(file.size()),
                    rounds);
        report("Aiken import (read, rows, numbers, temi)", median(imported), median(plain),
               "plain inserts in one transaction");
    }
    return 0;
}
