// One simulated copy of the program for the load test (tests/admin/tst_load):
// a student who does what the test window does, run after run, or a teacher
// who saves and deletes questions as the editor does. Each action is one
// handler (one transaction), as in the program. It prints one line per
// finished run or action, and "ERROR <text>" for every error the program
// would have shown in an error box.
//
//   norvena_loadclient COURSE student NAME RUNS TOPIC
//   norvena_loadclient COURSE teacher PASSWORD ACTIONS STOPFILE

#include "data/Connection.h"
#include "data/ServerGrading.h"
#include "data/Table.h"
#include "data/Value.h"
#include "forms/Grading.h"
#include "platform/HandlerScope.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

QTextStream out(stdout);

QString filterFor(const QString& topic)
{
    return QStringLiteral("rasdel='%1'").arg(QString(topic).replace(u'\'', QStringLiteral("''")));
}

// Runs one action as a handler runs: its writes reach the database together
// at its end. False, with the error printed, when it failed.
bool handler(const std::function<void()>& action)
{
    HandlerScope::Running running;
    try {
        action();
        HandlerScope::settle(); // the handler's end commits
    } catch (const std::exception& e) {
        // The error box would settle what the handler wrote before it.
        try {
            HandlerScope::settle();
        } catch (const std::exception&) {
        }
        out << "ERROR " << QString::fromUtf8(e.what()).replace(u'\n', u' ') << Qt::endl;
        return false;
    }
    return true;
}

int student(Connection& c, const QString& name, int runs, const QString& topic)
{
    Table test(QStringLiteral("tblTest"), &c, QStringLiteral("test"));
    Table testing(QStringLiteral("tblTesting"), &c, QStringLiteral("testing"));
    Table result(QStringLiteral("tblResult"), &c, QStringLiteral("result"));
    testing.setPrivateToConnection(true);
    if (!handler([&] {
            test.open();
            testing.open();
            result.open();
        }))
        return 1;
    static const QRegularExpression key(QStringLiteral("ответ ([A-E])"));
    for (int run = 1; run <= runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        int questions = 0;
        QUuid runKey;
        // Choosing the topic: the sheet emptied and made anew.
        bool ok = handler([&] {
            test.setFiltered(true);
            test.setFilter(filterFor(topic));
            questions = test.recordCount();
            testing.first();
            for (int i = testing.recordCount(); i > 0; --i)
                testing.remove();
            test.first();
            for (int k = 1; k <= questions; ++k) {
                testing.insert();
                testing.setValue(QStringLiteral("nom"), QString::number(k));
                testing.setValue(QStringLiteral("nom1"), test.value(QStringLiteral("id")));
                testing.post();
                test.next();
            }
            if (c.server()) {
                runKey = QUuid::createUuid();
                server_grading::startRun(c, runKey, topic);
            }
        });
        const double choiceMs = double(timer.nsecsElapsed()) / 1e6;
        // Answering: a question shown, a letter marked; this student knows
        // the answers of the questions whose number modulo 4 is not `run`.
        int expected = 0;
        for (int k = 1; ok && k <= questions; ++k) {
            ok = handler([&] {
                testing.locate(QStringLiteral("nom"), QString::number(k), Table::CaseInsensitive | Table::PartialKey);
                test.locate(QStringLiteral("id"), testing.value(QStringLiteral("nom1")), Table::NoOptions);
                const QString right = key.match(value::toText(test.value(QStringLiteral("test")))).captured(1);
                const bool knows = k % 4 != run % 4;
                expected += knows ? 1 : 0;
                testing.edit();
                testing.setValue(QStringLiteral("otv"), knows ? right : (right == QLatin1String("A") ? "B" : "A"));
            });
        }
        // Grading and storing.
        timer.restart();
        const QString fio = QStringLiteral("%1, попытка %2").arg(name).arg(run);
        ok = ok && handler([&] {
                 testing.first();
                 if (c.server()) {
                     QList<QPair<QVariant, QVariant>> sheet;
                     for (int i = testing.recordCount(); i > 0; --i) {
                         sheet.append({testing.value(QStringLiteral("nom1")), testing.value(QStringLiteral("otv"))});
                         testing.next();
                     }
                     server_grading::grade(c, QUuid::createUuid(), runKey, fio, QVariant(topic), sheet);
                     return;
                 }
                 int correct = 0;
                 for (int i = testing.recordCount(); i > 0; --i) {
                     test.locate(QStringLiteral("id"), testing.value(QStringLiteral("nom1")), Table::NoOptions);
                     if (value::equal(testing.value(QStringLiteral("otv")), test.value(QStringLiteral("otv"))))
                         ++correct;
                     testing.next();
                 }
                 const int n = test.recordCount();
                 const grading::Grade g = grading::grade(correct, n);
                 result.insert();
                 result.setValue(QStringLiteral("fio"), fio);
                 result.setValue(QStringLiteral("data"), QDate::currentDate());
                 result.setValue(QStringLiteral("kol"), QString::number(n));
                 result.setValue(QStringLiteral("ocenka"), g.letter);
                 result.post();
             });
        const double gradingMs = double(timer.nsecsElapsed()) / 1e6;
        if (ok)
            out << "RUN\t" << fio << '\t' << expected << '\t' << questions << '\t' << choiceMs << '\t' << gradingMs
                << Qt::endl;
    }
    return 0;
}

int teacher(Connection& c, int actions, const QString& stopFile)
{
    Table test(QStringLiteral("tblTest"), &c, QStringLiteral("test"));
    if (!handler([&] { test.open(); }))
        return 1;
    const QString topic = QStringLiteral("Черновик преподавателя");
    for (int i = 0; i < actions && !QFile::exists(stopFile); ++i) {
        // "Сохранить": a question added, the topic's numbers made dense.
        handler([&] {
            test.setFiltered(false);
            test.last();
            test.insert();
            test.setValue(QStringLiteral("test"), QStringLiteral("Черновой вопрос %1, ответ C").arg(i));
            test.setValue(QStringLiteral("rasdel"), topic);
            test.setValue(QStringLiteral("otv"), QStringLiteral("C"));
            test.setValue(QStringLiteral("nom1"), test.recordCount() + 1);
            test.post();
            test.refresh();
            test.setFiltered(true);
            test.setFilter(filterFor(topic));
            test.first();
            Table::Batch walk(&test);
            for (int k = 1, m = test.recordCount(); k <= m; ++k) {
                test.edit();
                test.setValue(QStringLiteral("nom"), k);
                test.post();
                test.next();
            }
            walk.finish();
            test.setFiltered(false);
        });
        // "Удалить": the question removed, every running number made dense.
        handler([&] {
            test.setFiltered(false);
            test.last();
            test.remove();
            test.first();
            Table::Batch walk(&test);
            for (int k = 1, n = test.recordCount(); k <= n; ++k) {
                test.edit();
                test.setValue(QStringLiteral("nom1"), k);
                test.post();
                test.next();
            }
            walk.finish();
        });
        out << "ACTION\t" << i << Qt::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 6) {
        std::fprintf(stderr, "usage: norvena_loadclient COURSE student|teacher NAME|PASSWORD COUNT TOPIC|STOPFILE\n");
        return 2;
    }
    Connection c(QStringLiteral("ADOConnection1"));
    c.setConnectionString(QStringLiteral("Data Source=%1/test.mdb").arg(a[1]));
    if (!handler([&] { c.open(); }))
        return 1;
    if (a[2] == QLatin1String("teacher")) {
        if (c.server()) {
            c.close();
            c.setLogin(c.teacherRole(), a[3]);
            if (!handler([&] { c.open(); }))
                return 1;
        }
        return teacher(c, a[4].toInt(), a[5]);
    }
    return student(c, a[3], a[4].toInt(), a[5]);
}
