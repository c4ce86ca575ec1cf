// The results register over a large table of results, against a plain
// QTableView over a QSqlQueryModel of the same table.
//
// Each side runs in a process of its own (this program started again with
// --side), in turns, after one warm-up run each:
//   register  the table object tblResult opened over the file (its snapshot
//             of every row) and the register window TForm9 shown over it
//   baseline  a QSqlQueryModel of the same columns, every row fetched (so
//             that the last row can be reached, as the snapshot holds it),
//             and a QTableView of the grid's size in a window of the
//             register's size
// Then Ctrl+End is pressed in the grid and the window painted with the last
// row current. The figures: the time to the rows read ("read"), to the
// window shown ("open", the reading included), the time
// of Ctrl+End with its painting, their sum, and the process's resident
// memory (VmRSS, and the peak VmHWM, from /proc/self/status) at the end. The
// table gives the medians and the register's ratio to the baseline.
//
// Usage: bench_register [--rows N] [--runs N]     (default 100000 rows, 5 runs)
// The display is the environment's: QT_QPA_PLATFORM, or DISPLAY (for
// instance under xvfb-run); with neither, the offscreen platform.

#include "bench/support/Bench.h"

#include "data/Connection.h"
#include "data/Table.h"
#include "forms/DataGrid.h"
#include "forms/Unit9.h"
#include "skin/Look.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace bench;

namespace {

struct Sample {
    double readMs = 0; // the rows read: the table object's snapshot, or the model's fetches
    double openMs = 0;
    double lastRowMs = 0;
    double rssMiB = 0;
    double hwmMiB = 0;
    double totalMs() const { return openMs + lastRowMs; }
};

void makeDatabase(const QString& path, int rows)
{
    static const char* const surnames[] = {"Иванов", "Петров", "Сидоров", "Кузнецов", "Смирнов",
                                           "Попов",  "Волков", "Соколов", "Лебедев",  "Новиков"};
    static const char* const grades[] = {"F", "D", "D+", "C-", "C", "C+", "B-", "B", "B+", "A-", "A"};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-make"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        check(q.exec(QStringLiteral(
                  "CREATE TABLE result (fio VARCHAR(50), data DATE, kol VARCHAR(10), ocenka VARCHAR(2))")),
              q);
        check(q.exec(QStringLiteral("BEGIN")), q);
        q.prepare(QStringLiteral("INSERT INTO result (fio, data, kol, ocenka) VALUES (?, ?, ?, ?)"));
        const QDate first(2020, 9, 1);
        for (int i = 0; i < rows; ++i) {
            q.addBindValue(QStringLiteral("%1 Студент %2").arg(QString::fromUtf8(surnames[i % 10])).arg(i + 1));
            q.addBindValue(first.addDays(i % 1500).toString(Qt::ISODate));
            q.addBindValue(QString::number(5 + i % 20));
            q.addBindValue(QString::fromLatin1(grades[i % 11]));
            check(q.exec(), q);
        }
        check(q.exec(QStringLiteral("COMMIT")), q);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-make"));
}

// Shows the window, presses Ctrl+End in the view and paints; fills the times.
bool showAndJump(QWidget* window, QTableView* view, const QElapsedTimer& clock, Sample& s, int rows)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    view->setFocus();
    QCoreApplication::processEvents();
    s.openMs = ms(clock);

    QElapsedTimer jump;
    jump.start();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    view->viewport()->repaint();
    view->verticalHeader()->viewport()->repaint();
    QCoreApplication::processEvents();
    s.lastRowMs = ms(jump);

    const QModelIndex current = view->currentIndex();
    if (current.row() != rows - 1 || !view->viewport()->rect().contains(view->visualRect(current))) {
        std::fprintf(stderr, "the last row is not current and on screen (row %d)\n", current.row());
        return false;
    }
    return true;
}

int runRegister(const QString& path, int rows)
{
    QElapsedTimer clock;
    clock.start();
    Connection connection(QStringLiteral("ADOConnection1"));
    connection.setConnectionString(QStringLiteral("Data Source=") + path);
    connection.open();
    Table table(QStringLiteral("tblResult"), &connection, QStringLiteral("result"));
    table.open();
    Sample s;
    s.readMs = ms(clock);
    TForm9 window(&table);
    if (!showAndJump(&window, window.DBGrid1, clock, s, rows) || table.currentIndex() != rows - 1)
        return 1;
    std::tie(s.rssMiB, s.hwmMiB) = memoryMiB(QStringLiteral("self"));
    std::printf("%f %f %f %f %f\n", s.readMs, s.openMs, s.lastRowMs, s.rssMiB, s.hwmMiB);
    return 0;
}

int runBaseline(const QString& path, int rows)
{
    QElapsedTimer clock;
    clock.start();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("baseline"));
    db.setDatabaseName(path);
    if (!db.open())
        return 1;
    QSqlQueryModel model;
    model.setQuery(QStringLiteral("SELECT fio, data, kol, ocenka FROM result"), db);
    while (model.canFetchMore())
        model.fetchMore();
    Sample s;
    s.readMs = ms(clock);
    const char* const titles[] = {"ФИО студента", "Дата", "Кол-во вопросов", "Оценка"};
    for (int c = 0; c < 4; ++c)
        model.setHeaderData(c, Qt::Horizontal, QString::fromUtf8(titles[c]));

    QWidget window;
    window.setFont(Look::font(11));
    window.resize(694, 464);
    QTableView view(&window);
    view.setGeometry(0, 40, 694, 424);
    view.setModel(&model);
    view.setCurrentIndex(model.index(0, 0)); // as the grid stands on the table's first row
    if (!showAndJump(&window, &view, clock, s, rows))
        return 1;
    std::tie(s.rssMiB, s.hwmMiB) = memoryMiB(QStringLiteral("self"));
    std::printf("%f %f %f %f %f\n", s.readMs, s.openMs, s.lastRowMs, s.rssMiB, s.hwmMiB);
    return 0;
}

std::optional<Sample> runSide(const QString& side, const QString& path, int rows)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) && !env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--side"), side, path, QString::number(rows)});
    if (!process.waitForFinished(300000) || process.exitCode() != 0) {
        std::fprintf(stderr, "the %s run failed\n", qPrintable(side));
        return std::nullopt;
    }
    const QList<QByteArray> f = process.readAllStandardOutput().simplified().split(' ');
    if (f.size() != 5)
        return std::nullopt;
    return Sample{f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[3].toDouble(), f[4].toDouble()};
}

template <class F> double medianOf(const std::vector<Sample>& samples, F field)
{
    std::vector<double> values;
    for (const Sample& s : samples)
        values.push_back(field(s));
    return median(values);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 5 && QByteArray(argv[1]) == "--side") {
        QApplication app(argc, argv);
        Look::registerFontSubstitutes();
        const QString side = QString::fromLocal8Bit(argv[2]);
        const QString path = QString::fromLocal8Bit(argv[3]);
        const int rows = QByteArray(argv[4]).toInt();
        return side == QLatin1String("register") ? runRegister(path, rows) : runBaseline(path, rows);
    }

    QCoreApplication app(argc, argv);
    int rows = 100000;
    int runs = 5;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--rows")); i > 0 && i + 1 < args.size())
        rows = std::max(1, args[i + 1].toInt());
    if (const qsizetype i = args.indexOf(QStringLiteral("--runs")); i > 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.mdb"));
    makeDatabase(path, rows);

    const QStringList sides{QStringLiteral("register"), QStringLiteral("baseline")};
    std::vector<Sample> samples[2];
    for (const QString& side : sides) // warm-up
        if (!runSide(side, path, rows))
            return 1;
    for (int run = 0; run < runs; ++run)
        for (int s = 0; s < 2; ++s) {
            const std::optional<Sample> sample = runSide(sides[s], path, rows);
            if (!sample)
                return 1;
            samples[s].push_back(*sample);
        }

    const QString platform = qEnvironmentVariable(
        "QT_QPA_PLATFORM", qEnvironmentVariableIsSet("DISPLAY")
                               ? QStringLiteral("xcb (DISPLAY=%1)").arg(qEnvironmentVariable("DISPLAY"))
                               : QStringLiteral("offscreen"));
    std::printf("Results register over %d rows, then Ctrl+End; medians of %d runs, platform %s\n\n", rows, runs,
                qPrintable(platform));
    std::printf("%-10s %10s %10s %14s %10s %12s %12s\n", "side", "read (ms)", "open (ms)", "Ctrl+End (ms)",
                "total (ms)", "VmRSS (MiB)", "VmHWM (MiB)");
    const auto read = [](const Sample& s) { return s.readMs; };
    const auto open = [](const Sample& s) { return s.openMs; };
    const auto last = [](const Sample& s) { return s.lastRowMs; };
    const auto total = [](const Sample& s) { return s.totalMs(); };
    const auto rss = [](const Sample& s) { return s.rssMiB; };
    const auto hwm = [](const Sample& s) { return s.hwmMiB; };
    for (int s = 0; s < 2; ++s)
        std::printf("%-10s %10.1f %10.1f %14.2f %10.1f %12.1f %12.1f\n", qPrintable(sides[s]),
                    medianOf(samples[s], read), medianOf(samples[s], open), medianOf(samples[s], last),
                    medianOf(samples[s], total), medianOf(samples[s], rss), medianOf(samples[s], hwm));
    const auto ratio = [&](auto field) { return medianOf(samples[0], field) / medianOf(samples[1], field); };
    std::printf("%-10s %10.2f %10.2f %14.2f %10.2f %12.2f %12.2f\n", "ratio", ratio(read), ratio(open), ratio(last),
                ratio(total), ratio(rss), ratio(hwm));
    return 0;
}
