// Tables written as CSV files, read back by a CSV reader of the test's own
// and compared cell by cell; the file written whole or not at all.

#include "data/Csv.h"
#include "platform/Error.h"
#include "platform/NewFile.h"
#include "support/CsvReader.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Files in a folder, hidden ones included.
QStringList filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

bool always(qint64) { return true; }

// While it lives, no file of the process may grow beyond the limit: writes
// past it fail with "File too large", as they would on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

} // namespace

class TestCsv : public QObject {
    Q_OBJECT

private slots:
    void cellTexts_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("cell");
        QTest::newRow("absent") << QVariant() << "";
        QTest::newRow("empty text") << QVariant(QString("")) << "";
        QTest::newRow("date") << QVariant(QDate(2024, 3, 5)) << "05.03.2024";
        QTest::newRow("number") << QVariant(qlonglong(12)) << "12";
        QTest::newRow("grade with a minus at its end") << QVariant("C-") << "C-";
        QTest::newRow("formula") << QVariant("=HYPERLINK(\"http://x\")") << "'=HYPERLINK(\"http://x\")";
        QTest::newRow("plus") << QVariant("+7 900") << "'+7 900";
        QTest::newRow("minus") << QVariant("-2") << "'-2";
        QTest::newRow("at sign") << QVariant("@SUM(A1)") << "'@SUM(A1)";
        QTest::newRow("Cyrillic") << QVariant("Ёжиков Пётр") << "Ёжиков Пётр";
    }

    void cellTexts()
    {
        QFETCH(QVariant, value);
        QTEST(csv::cellText(value), "cell");
    }

    // A row's exact bytes: blanks at a cell's start or end are kept only
    // inside quotes (a spreadsheet trims them from an unquoted cell).
    void rowBytes_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("blank inside only") << QStringList{"Иванов Иван", "A"} << QByteArray("Иванов Иван;A\r\n");
        QTest::newRow("blank at the end only") << QStringList{"Иванов ", "A"} << QByteArray("\"Иванов \";A\r\n");
        QTest::newRow("blank at the start only") << QStringList{" Иванов", "A"} << QByteArray("\" Иванов\";A\r\n");
        QTest::newRow("tab at the end of the last cell") << QStringList{"A", "B\t"} << QByteArray("A;\"B\t\"\r\n");
        QTest::newRow("blank only") << QStringList{" "} << QByteArray("\" \"\r\n");
        QTest::newRow("quote and separator")
            << QStringList{"О'Коннор; \"Шон\""} << QByteArray("\"О'Коннор; \"\"Шон\"\"\"\r\n");
        QTest::newRow("empty cells") << QStringList{"", ""} << QByteArray(";\r\n");
    }

    void rowBytes()
    {
        QFETCH(QStringList, cells);
        QTEST(csv::row(cells), "bytes");
    }

    void tableReadBackCellByCell()
    {
        const QStringList titles{"ФИО студента", "Дата", "Кол-во вопросов", "Оценка"};
        const QList<QStringList> rows{
            {"Иванов Иван", "05.03.2024", "12", "A-"},     {"О'Коннор; Шон", "31.12.2023", "5", "C+"},
            {"Пётр \"Петя\" Ёлкин", "", "", "F"},          {"в две\r\nстроки", "01.01.2024", "7", "B"},
            {"перевод\nстроки", "  пробелы  ", "\"", ";"}, {"", "", "", ""},
        };
        QTemporaryDir dir;
        const QString path = dir.filePath("Результаты тестирования.csv");
        QVERIFY(csv::writeTable(
            path, titles, rows.size(), [&](qint64 i) { return rows[i]; }, always));

        const QByteArray bytes = contents(path);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF\xD0\xA4\xD0\x98\xD0\x9E \xD1\x81\xD1\x82\xD1\x83\xD0\xB4\xD0\xB5\xD0\xBD"
                                 "\xD1\x82\xD0\xB0;\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0;"));
        QString fault;
        const QList<QStringList> back = csvreader::read(QString::fromUtf8(bytes.mid(3)), &fault);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(back.size(), rows.size() + 1);
        QCOMPARE(back.first(), titles);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < titles.size(); ++c)
                QCOMPARE(back[r + 1].value(c), rows[r][c]);
        QCOMPARE(filesIn(dir.path()), QStringList{"Результаты тестирования.csv"});
    }

    void cancelledWriteLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.csv");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        qint64 seen = 0;
        const bool written = csv::writeTable(
            path, {"a"}, 10000, [](qint64 i) { return QStringList{QString::number(i)}; },
            [&](qint64 done) {
                seen = done;
                return done < 5000;
            });
        QVERIFY(!written);
        QVERIFY(seen >= 5000 && seen < 10000);
        QCOMPARE(contents(path), QByteArray("old contents"));
        QCOMPARE(filesIn(dir.path()), QStringList{"out.csv"});
    }

    void failedWriteReportsWhyAndLeavesNoFile_data()
    {
        QTest::addColumn<bool>("oldFile");
        QTest::newRow("in place of an old file") << true;
        QTest::newRow("a new file") << false;
    }

    void failedWriteReportsWhyAndLeavesNoFile()
    {
        QFETCH(bool, oldFile);
        QTemporaryDir dir;
        const QString path = dir.filePath("результаты.csv");
        if (oldFile) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old contents");
        }
        QString message;
        {
            // 1 MiB of rows into files that may not pass 64 KiB.
            FileSizeLimit limit(64 * 1024);
            try {
                csv::writeTable(
                    path, {"a", "b"}, 20000,
                    [](qint64 i) {
                        return QStringList{QString::number(i), QStringLiteral("строка строка строка")};
                    },
                    always);
            } catch (const Error& e) {
                message = e.message();
            }
        }
        QCOMPARE(message, QStringLiteral("Cannot write file \"%1\". File too large").arg(path));
        QCOMPARE(contents(path), oldFile ? QByteArray("old contents") : QByteArray("<missing>"));
        QCOMPARE(filesIn(dir.path()), oldFile ? QStringList{"результаты.csv"} : QStringList{});
    }

    void newFileFailures()
    {
        QTemporaryDir dir;
        // A folder that is not there.
        try {
            NewFile file(dir.filePath("нет/out.csv"));
            QFAIL("a file was made in a missing folder");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot create file \"%1\". No such file or directory")
                                      .arg(dir.filePath("нет/out.csv")));
        }
        // A folder in the place of the file: the rename is refused, the folder stays.
        QVERIFY(QDir(dir.path()).mkdir("out.csv"));
        NewFile file(dir.filePath("out.csv"));
        file.write("a;b\r\n");
        QVERIFY_THROWS_EXCEPTION(Error, file.commit());
        QCOMPARE(filesIn(dir.path()), QStringList{});
        QVERIFY(QFileInfo(dir.filePath("out.csv")).isDir());
        // An error thrown past a NewFile takes its file away.
        try {
            NewFile part(dir.filePath("part.csv"));
            part.write(QByteArray(300000, 'x'));
            throw Error("stopped");
        } catch (const Error&) {
        }
        QCOMPARE(filesIn(dir.path()), QStringList{});
    }

    void newFileKeepsThePermissionsOfTheFileItReplaces()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.csv");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                          QFileDevice::WriteGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(path, mode));
        NewFile file(path);
        file.write(QByteArray(1000000, 'y'));
        file.commit();
        QCOMPARE(QFileInfo(path).size(), 1000000);
        QCOMPARE(QFile::permissions(path) & 0x7077, mode & 0x7077); // owner, group, others
    }
};

QTEST_APPLESS_MAIN(TestCsv)
#include "tst_csv.moc"
