#include "bench/support/Bench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

void bench::fail(const QString& what)
{
    const QString name =
        QCoreApplication::instance() ? QFileInfo(QCoreApplication::applicationFilePath()).fileName() : QString();
    std::fprintf(stderr, "%s: %s\n", name.isEmpty() ? "bench" : qPrintable(name), qPrintable(what));
    std::exit(2);
}

int bench::argument(int argc, char** argv, int index, int fallback, int least)
{
    return argc > index ? std::max(least, std::atoi(argv[index])) : fallback;
}

bench::WorkFolder::WorkFolder() : m_previous(QDir::currentPath())
{
    if (!m_dir.isValid())
        fail(QStringLiteral("no temporary folder"));
    QDir::setCurrent(m_dir.path());
}

bench::WorkFolder::~WorkFolder() { QDir::setCurrent(m_previous); }

void bench::exec(QSqlQuery& query)
{
    if (!query.exec())
        fail(query.lastError().text() + QStringLiteral(" in ") + query.lastQuery());
}

void bench::exec(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery q(db);
    q.prepare(statement);
    exec(q);
}

void bench::check(bool ok, const QSqlQuery& query)
{
    if (!ok)
        fail(query.lastError().text());
}

QSqlDatabase bench::openFile(const QString& connectionName, const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    if (!db.open())
        fail(db.lastError().text());
    return db;
}

void bench::makeCourseFile(const QString& path, const std::function<void(const QSqlDatabase&)>& fill)
{
    QFile seed(QStringLiteral(NORVENA_SOURCE_DIR "/course/test.sql"));
    if (!seed.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + seed.fileName());
    QStringList code;
    for (const QString& line : QString::fromUtf8(seed.readAll()).split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            code << line;
    const QString name = QStringLiteral("bench_make");
    {
        const QSqlDatabase db = openFile(name, path);
        for (const QString& s : code.join(u'\n').split(u';'))
            if (s.trimmed().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
                exec(db, s);
        exec(db, QStringLiteral("BEGIN"));
        fill(db);
        exec(db, QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase(name);
}

void bench::inTransaction(const QSqlDatabase& db, const std::function<void()>& work)
{
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    work();
    exec(db, QStringLiteral("COMMIT"));
}

double bench::timed(const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return ms(t);
}

double bench::ms(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

double bench::median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::pair<double, double> bench::memoryMiB(const QString& pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    double rss = 0, hwm = 0;
    if (!status.open(QIODevice::ReadOnly))
        return {rss, hwm};
    for (const QByteArray& line : status.readAll().split('\n')) {
        const auto kib = [&line] { return line.simplified().split(' ').value(1).toDouble() / 1024.0; };
        if (line.startsWith("VmRSS:"))
            rss = kib();
        else if (line.startsWith("VmHWM:"))
            hwm = kib();
    }
    return {rss, hwm};
}

void bench::FailingMessages::notice(QWidget*, const QString& text) { fail(QStringLiteral("notice: ") + text); }

void bench::FailingMessages::error(QWidget*, const QString&, const QString& text)
{
    fail(QStringLiteral("error: ") + text);
}

bool bench::FailingMessages::informationYesNo(QWidget*, const QString& text) { fail(text); }

void bench::FailingMessages::informationOk(QWidget*, const QString& text) { fail(text); }

bool bench::FailingMessages::confirm(QWidget*, const QString& text) { fail(text); }
