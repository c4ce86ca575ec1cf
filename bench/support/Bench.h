#pragma once

// What the benchmarks share: failing loudly, plain SQLite statements for the
// baselines, the course's tables, timing and medians.

#include "platform/Platform.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <utility>
#include <vector>

class QElapsedTimer;
class QSqlQuery;

namespace bench {

// Prints "<benchmark>: <what>" on stderr and ends the process with exit code 2.
[[noreturn]] void fail(const QString& what);

// The whole number given as the index-th argument, at least `least`;
// fallback when it is not given.
int argument(int argc, char** argv, int index, int fallback, int least = 1);

// A temporary folder that is the working directory while it lives; the
// working directory of before comes back, then the folder goes.
class WorkFolder {
public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Runs a prepared statement; a refused one fails the benchmark.
void exec(QSqlQuery& query);
void exec(const QSqlDatabase& db, const QString& statement);
// Fails the benchmark with the statement's error unless ok.
void check(bool ok, const QSqlQuery& query);

// Opens a database file on a connection of the given name.
QSqlDatabase openFile(const QString& connectionName, const QString& path);
// Makes a database file with the course's tables (the CREATE TABLE
// statements of the demo seed) and fills it in one transaction.
void makeCourseFile(const QString& path, const std::function<void(const QSqlDatabase&)>& fill);
// The work as one transaction that takes the file's write lock at once, as
// the program writes one handler's rows.
void inTransaction(const QSqlDatabase& db, const std::function<void()>& work);

// The time the work takes, in milliseconds.
double timed(const std::function<void()>& work);
double ms(const QElapsedTimer& timer);
// The median; the mean of the two middle values for an even count, 0 for none.
double median(std::vector<double> values);

// The resident memory of a process, VmRSS and the peak VmHWM from
// /proc/<pid>/status, in MiB; pid "self" for this one. Zeros when unknown.
std::pair<double, double> memoryMiB(const QString& pid);

// Any message box during a benchmark is a fault: it is printed and the
// benchmark fails.
class FailingMessages : public MessageBoxes {
public:
    void notice(QWidget*, const QString& text) override;
    void error(QWidget*, const QString&, const QString& text) override;
    bool informationYesNo(QWidget*, const QString& text) override;
    void informationOk(QWidget*, const QString& text) override;
    bool confirm(QWidget*, const QString& text) override;
};

} // namespace bench
