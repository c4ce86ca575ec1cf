// The teacher's imports and exports through the windows' own actions, timed,
// each against a baseline run in the same process:
//   export  the results register's "Сохранить в CSV…" over 100,000 results
//           (the rows read as the grid shows them, formatted, written through
//           the atomic file with its sync), against writing the same bytes
//           with plain file writes (without and with a sync at the end)
//   import  the test editor's "Импорт вопросов…" of an Aiken file of 10,000
//           questions into a new topic (reading and checking the file, the
//           rows written through tblTest in the handler's one transaction,
//           numbered, the topic added to temi, the commit, the tree refilled),
//           and its imports of the same questions from Moodle XML, GIFT and
//           an IMS QTI 2.1 package, each against the same rows written with
//           plain prepared SQLite statements in one transaction on a copy of
//           the same file
//
//   bench_dataio [results] [questions] [rounds]   (defaults 100000 10000 5)
//
// Run it headless: QT_QPA_PLATFORM=offscreen bench_dataio

#include "support/TestPlatform.h"

#include "bench/support/Bench.h"

#include "app/Forms.h"
#include "app/Startup.h"
#include "data/Aiken.h"
#include "data/Gift.h"
#include "data/MoodleXml.h"
#include "data/Qti.h"
#include "data/Table.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"
#include "forms/Unit9.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace bench;

namespace {

const QString kTopic = QStringLiteral("Импортированная тема");

// A plain connection writes to disk as the program's connection does.
QSqlDatabase openSynced(const QString& name, const QString& path)
{
    QSqlDatabase db = openFile(name, path);
    QSqlQuery sync(db);
    sync.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    return db;
}

// The course's schema (the CREATE TABLE statements of the demo seed) with
// `results` rows in result and 1,000 questions in 20 topics.
void makeDatabase(const QString& path, int results)
{
    makeCourseFile(path, [&](const QSqlDatabase& db) {
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
        QSqlQuery topic(db);
        topic.prepare(QStringLiteral("INSERT INTO temi (rasdel) VALUES (?)"));
        for (int i = 0; i < 1000; ++i) {
            t.addBindValue(i / 20 + 1);
            t.addBindValue(i + 1);
            t.addBindValue(QStringLiteral("Вопрос %1\r\nA) да\r\nB) нет").arg(i));
            t.addBindValue(QStringLiteral("Тема %1").arg(i % 20));
            t.addBindValue(QStringLiteral("A"));
            exec(t);
            if (i < 20) {
                topic.addBindValue(QStringLiteral("Тема %1").arg(i));
                exec(topic);
            }
        }
    });
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

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write ") + path);
}

double seconds(const std::function<void()>& work) { return timed(work) / 1e3; }

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

// The three windows that the actions need, on test.mdb in the working directory.
void createWindows()
{
    Form6 = new TForm6;
    Form6->FormCreate();
    Form8 = new TForm8;
    Form9 = new TForm9;
}

void destroyWindows()
{
    delete Form9;
    delete Form8;
    delete Form6;
    Form9 = nullptr;
    Form8 = nullptr;
    Form6 = nullptr;
}

void checkQuiet(TestPlatform& platform, const QStringList& notices = {})
{
    QStringList boxes;
    for (const TestPlatform::Box& box : platform.boxes)
        boxes << box.kind + QStringLiteral(": ") + box.text;
    if (platform.texts(QStringLiteral("notice")) != notices || boxes.size() != notices.size() ||
        !platform.verifyDone().isEmpty())
        fail(boxes.join(u'\n') + platform.verifyDone());
    platform.clear();
}

void report(const QString& what, double seconds, const QString& against, double baseline)
{
    std::printf("  %s %8.3f s   %s %8.3f s   ratio %6.2f\n", qPrintable(what.leftJustified(26)), seconds,
                qPrintable(against.leftJustified(34)), baseline, seconds / baseline);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int results = argument(argc, argv, 1, 100000);
    const int questions = argument(argc, argv, 2, 10000);
    const int rounds = argument(argc, argv, 3, 5);

    const WorkFolder dir;
    const QString pristine = dir.filePath(QStringLiteral("pristine.mdb"));
    const QString database = dir.filePath(QStringLiteral("test.mdb"));
    makeDatabase(pristine, results);

    initialiseApplication();
    TestPlatform platform;

    // Export.
    {
        QFile::copy(pristine, database);
        createWindows();
        const QString csvPath = dir.filePath(QStringLiteral("Результаты тестирования.csv"));
        const QString plainPath = dir.filePath(QStringLiteral("plain.csv"));
        std::vector<double> exported, plain, plainSynced;
        for (int round = 0; round < rounds; ++round) {
            platform.fileAnswers << csvPath;
            exported.push_back(seconds([] { Form9->SaveCsvAction->trigger(); }));
            checkQuiet(platform, {QStringLiteral("Результаты сохранены в файл «%1».")
                                      .arg(QDir::toNativeSeparators(QFileInfo(csvPath).absoluteFilePath()))});
            QFile written(csvPath);
            if (!written.open(QIODevice::ReadOnly))
                fail(QStringLiteral("no CSV file"));
            const QByteArray bytes = written.readAll();
            plain.push_back(seconds([&] { writePlain(plainPath, bytes, false); }));
            plainSynced.push_back(seconds([&] { writePlain(plainPath, bytes, true); }));
        }
        destroyWindows();
        QFile::remove(database);
        std::printf("export of %d results to CSV, %lld bytes, median of %d rounds\n", results,
                    qlonglong(QFile(csvPath).size()), rounds);
        report(QStringLiteral("\"Сохранить в CSV…\""), median(exported),
               QStringLiteral("plain writes of the same bytes"), median(plain));
        report(QString(), median(exported), QStringLiteral("plain writes and a sync"), median(plainSynced));
    }

    // Import.
    const QByteArray aikenBank = aikenFile(questions);
    const QList<aiken::Question> parsed = aiken::read(aikenBank);
    struct Source {
        QString format, file;
        QByteArray bytes;
        QAction* (*action)();
    };
    const QList<Source> sources{
        {QStringLiteral("an Aiken file"), QStringLiteral("вопросы.txt"), aikenBank, [] { return Form8->ImportAction; }},
        {QStringLiteral("a Moodle XML file"), QStringLiteral("вопросы.xml"), moodlexml::write(kTopic, parsed),
         [] { return Form8->ImportMoodleXmlAction; }},
        {QStringLiteral("a GIFT file"), QStringLiteral("вопросы.gift"), gift::write(kTopic, parsed),
         [] { return Form8->ImportGiftAction; }},
        {QStringLiteral("an IMS QTI 2.1 package"), QStringLiteral("вопросы.zip"), qti::write(kTopic, parsed),
         [] { return Form8->ImportQtiAction; }},
    };
    for (const Source& source : sources) {
        const QString bankPath = dir.filePath(source.file);
        writeFile(bankPath, source.bytes);
        const QString expected = QStringLiteral("Добавлено вопросов: %1 (тема «%2»).").arg(questions).arg(kTopic);
        std::vector<double> imported, plain;
        QString actionText;
        for (int round = 0; round < rounds; ++round) {
            QFile::copy(pristine, database);
            createWindows();
            Form8->sEdit1->setText(kTopic);
            platform.fileAnswers << bankPath;
            QAction* action = source.action();
            actionText = action->text();
            imported.push_back(seconds([action] { action->trigger(); }));
            checkQuiet(platform, {expected});
            if (Form6->tblTest->recordCount() != 1000 + questions)
                fail(QStringLiteral("the import wrote %1 rows").arg(Form6->tblTest->recordCount() - 1000));
            destroyWindows();
            QFile::remove(database);

            const QString copy = dir.filePath(QStringLiteral("plain.mdb"));
            QFile::remove(copy);
            QFile::copy(pristine, copy);
            {
                QSqlDatabase db = openSynced(QStringLiteral("bench_plain"), copy);
                plain.push_back(seconds([&] {
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
                db.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("bench_plain"));
        }
        std::printf("import of %d questions from %s of %lld bytes, median of %d rounds\n", questions,
                    qPrintable(source.format), qlonglong(source.bytes.size()), rounds);
        report(QStringLiteral("\"") + actionText + u'"', median(imported),
               QStringLiteral("plain inserts in one transaction"), median(plain));
    }
    return 0;
}
