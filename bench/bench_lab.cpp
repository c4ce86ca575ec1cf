// One copy of the program in a lab: the course on a PostgreSQL server of the
// benchmark's own, reached over a network that costs 0, 0.5 and 2 ms a round
// trip (tests/pg/DelayProxy, which also counts the statements sent), against
// the same work on the course's test.mdb. Each action runs in this process
// with the program's own table objects, as one handler (one transaction):
//   topic choice   the test window's choice of a topic of 40 and of 400
//                  questions (the answer sheet made anew, the run started)
//   grading        the grading and storing of that run
//   save           the editor's "Сохранить": a question added to the topic
//                  of 40, the topic's numbers walked
//   delete         the editor's "Удалить" of that question: the running
//                  numbers of the whole table walked, then the topic's
// over tables of 1,000 and 10,000 questions. It prints per action the
// median milliseconds, the ratio to the file and the statements counted.
//
//   bench_lab [runs]     (default 9, after one run that is not counted)

#include "bench/support/Bench.h"
#include "data/Connection.h"
#include "data/Schema.h"
#include "data/ServerGrading.h"
#include "data/Settings.h"
#include "data/Table.h"
#include "data/TestBase.h"
#include "data/Value.h"
#include "forms/Grading.h"
#include "pg/DelayProxy.h"
#include "pg/ServerCourse.h"
#include "platform/HandlerScope.h"
#include "support/SideConnection.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

using namespace std::chrono_literals;

const QString kSmallTopic = QStringLiteral("Тема 40");
const QString kLargeTopic = QStringLiteral("Тема 400");

// A course of `questions` questions: the topics of 40 and 400, the rest in
// topics of 200; running numbers 1 … N in stored order.
void makeCourse(const QString& folder, int questions)
{
    SideConnection db(folder + QStringLiteral("/test.mdb"));
    for (const schema::Table& t : schema::tables())
        db.exec(schema::fileDdl(t));
    db.exec(QStringLiteral("BEGIN"));
    int running = 0;
    const auto topic = [&](const QString& name, int size) {
        db.exec(QStringLiteral("INSERT INTO temi (rasdel) VALUES (?)"), {name});
        for (int k = 1; k <= size; ++k) {
            ++running;
            db.exec(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, 'C')"),
                    {k, running, QStringLiteral("Вопрос %1 темы «%2», ответ C").arg(k).arg(name), name});
        }
    };
    topic(kSmallTopic, 40);
    topic(kLargeTopic, 400);
    for (int t = 1; running < questions; ++t)
        topic(QStringLiteral("Раздел %1").arg(t), std::min(200, questions - running));
    db.exec(QStringLiteral("COMMIT"));
}

// One action as a handler runs it: its writes are committed at its end. An
// error the program would show fails the benchmark.
double handler(const std::function<void()>& action)
{
    QElapsedTimer timer;
    timer.start();
    {
        HandlerScope::Running running;
        try {
            action();
            HandlerScope::settle();
        } catch (const std::exception& e) {
            bench::fail(QString::fromUtf8(e.what()));
        }
    }
    return bench::ms(timer);
}

// One copy of the program on a course folder: the student's test window and
// the teacher's editor, each with its own connection (on a server, each
// logs in as its own role).
class Copy {
public:
    explicit Copy(const QString& folder)
        : m_student(QStringLiteral("ADOConnection1")), m_teacher(QStringLiteral("ADOConnection1 (editor)")),
          m_test(QStringLiteral("tblTest"), &m_student, QStringLiteral("test")),
          m_testing(QStringLiteral("tblTesting"), &m_student, QStringLiteral("testing")),
          m_result(QStringLiteral("tblResult"), &m_student, QStringLiteral("result")),
          m_editor(QStringLiteral("tblTest"), &m_teacher, QStringLiteral("test"))
    {
        const QString source = QStringLiteral("Data Source=%1/test.mdb").arg(folder);
        m_student.setConnectionString(source);
        m_teacher.setConnectionString(source);
        m_teacher.setLogin(QString::fromLatin1(ServerCourse::kTeacher),
                           QString::fromUtf8(ServerCourse::kTeacherPassword));
        m_testing.setPrivateToConnection(true);
        handler([&] {
            m_student.open();
            m_teacher.open();
            m_test.open();
            m_testing.open();
            m_result.open();
            m_editor.open();
        });
    }

    // The test window's topic choice (TForm6::sComboBox1Change).
    void chooseTopic(const QString& topic)
    {
        m_topic = topic;
        m_test.setFiltered(true);
        m_test.setFilter(testbase::topicFilter(topic));
        const int questions = m_test.recordCount();
        m_testing.first();
        for (int i = m_testing.recordCount(); i > 0; --i)
            m_testing.remove();
        m_test.first();
        for (int k = 1; k <= questions; ++k) {
            m_testing.insert();
            m_testing.setValue(QStringLiteral("nom"), QString::number(k));
            m_testing.setValue(QStringLiteral("nom1"), m_test.value(QStringLiteral("id")));
            m_testing.post();
            m_test.next();
        }
        if (m_student.server()) {
            m_run = QUuid::createUuid();
            server_grading::startRun(m_student, m_run, topic);
        }
    }

    // The student's answers, one letter for each question (not timed: an
    // answer sends nothing).
    void answerAll()
    {
        handler([&] {
            m_testing.first();
            for (int i = m_testing.recordCount(), k = 0; i > 0; --i, ++k) {
                m_testing.edit();
                m_testing.setValue(QStringLiteral("otv"), k % 3 ? QStringLiteral("C") : QStringLiteral("A"));
                m_testing.next();
            }
        });
    }

    // The test window's grading and storing (TForm6::sButton1Click).
    void grade()
    {
        m_testing.first();
        const int rows = m_testing.recordCount();
        if (m_student.server()) {
            QList<QPair<QVariant, QVariant>> sheet;
            for (int i = 0; i < rows; ++i) {
                sheet.append({m_testing.value(QStringLiteral("nom1")), m_testing.value(QStringLiteral("otv"))});
                m_testing.next();
            }
            const server_grading::Outcome o =
                server_grading::grade(m_student, QUuid::createUuid(), m_run, QStringLiteral("Студент"), m_topic, sheet);
            if (o.questions != rows)
                bench::fail(QStringLiteral("the server graded %1 questions of %2").arg(o.questions).arg(rows));
            return;
        }
        int correct = 0;
        for (int i = 0; i < rows; ++i) {
            m_test.locate(QStringLiteral("id"), m_testing.value(QStringLiteral("nom1")), Table::NoOptions);
            if (value::equal(m_testing.value(QStringLiteral("otv")), m_test.value(QStringLiteral("otv"))))
                ++correct;
            m_testing.next();
        }
        const int questions = m_test.recordCount();
        const grading::Grade g = grading::grade(correct, questions);
        m_result.insert();
        m_result.setValue(QStringLiteral("fio"), QStringLiteral("Студент"));
        m_result.setValue(QStringLiteral("data"), QDate::currentDate());
        m_result.setValue(QStringLiteral("kol"), QString::number(questions));
        m_result.setValue(QStringLiteral("ocenka"), g.letter);
        m_result.post();
    }

    // The editor's "Сохранить" of a new question in the topic (TForm8::sButton2Click).
    void save(const QString& topic)
    {
        Table& test = m_editor;
        test.last();
        test.insert();
        test.setValue(QStringLiteral("test"), QStringLiteral("Новый вопрос, ответ B"));
        test.setValue(QStringLiteral("rasdel"), topic);
        test.setValue(QStringLiteral("otv"), QStringLiteral("B"));
        test.setValue(QStringLiteral("nom1"), test.recordCount() + 1);
        test.post();
        test.refresh();
        test.setFiltered(true);
        test.setFilter(testbase::topicFilter(topic));
        test.first();
        walk(test, QStringLiteral("nom"));
        test.setFiltered(false);
    }

    // The editor's "Удалить" of the last question, the topic's in the topic
    // edit (TForm8::sButton3Click).
    void remove(const QString& topic)
    {
        Table& test = m_editor;
        test.last();
        test.remove();
        test.setFiltered(false);
        test.first();
        walk(test, QStringLiteral("nom1"));
        test.setFiltered(true);
        test.setFilter(testbase::topicFilter(topic));
        test.first();
        walk(test, QStringLiteral("nom"));
        test.setFiltered(false);
    }

    // A call that does nothing on the server: the bare cost of a round trip.
    void call()
    {
        QSqlQuery& q = m_student.call(QStringLiteral("SELECT 1"), {});
        q.finish();
    }

    int questions()
    {
        m_editor.setFiltered(false);
        return m_editor.recordCount();
    }

private:
    // The visible rows numbered 1 … M in the field, as one walk.
    static void walk(Table& test, const QString& field)
    {
        const int rows = test.recordCount();
        Table::Batch batch(&test);
        for (int i = 1; i <= rows; ++i) {
            test.edit();
            test.setValue(field, i);
            test.post();
            test.next();
        }
        batch.finish();
    }

    Connection m_student;
    Connection m_teacher;
    Table m_test;
    Table m_testing;
    Table m_result;
    Table m_editor;
    QString m_topic;
    QUuid m_run;
};

// What one action cost: the median time and the statements of its runs.
struct Figure {
    double ms = 0;
    int statementsLeast = 0;
    int statementsMost = 0;
};

const QStringList kActions{
    QStringLiteral("one call, SELECT 1"),
    QStringLiteral("topic choice, 40"),
    QStringLiteral("grading, 40"),
    QStringLiteral("topic choice, 400"),
    QStringLiteral("grading, 400"),
    QStringLiteral("save"),
    QStringLiteral("delete"),
};

// Every action on the copy: one run not counted, then `runs` runs.
std::map<QString, Figure> measure(Copy& copy, int runs, DelayProxy* proxy)
{
    std::map<QString, std::vector<double>> times;
    std::map<QString, std::vector<int>> statements;
    const auto timed = [&](bool counted, const QString& action, const std::function<void()>& work) {
        if (proxy)
            proxy->resetStatements();
        const double ms = handler(work);
        if (!counted)
            return;
        times[action].push_back(ms);
        statements[action].push_back(proxy ? proxy->statements() : 0);
    };
    // A link opened anew on the way (a lost one, a cancel) would cost round
    // trips that no statement shows.
    const int links = proxy ? proxy->connectionsAccepted() : 0;
    for (int run = 0; run <= runs; ++run) {
        const bool counted = run > 0;
        for (const QString& topic : {kSmallTopic, kLargeTopic}) {
            const QString size = topic == kSmallTopic ? QStringLiteral("40") : QStringLiteral("400");
            timed(counted, QStringLiteral("topic choice, ") + size, [&] { copy.chooseTopic(topic); });
            copy.answerAll();
            timed(counted, QStringLiteral("grading, ") + size, [&] { copy.grade(); });
        }
        // Timed where the server is idle, not right after the editor's writes.
        timed(counted, QStringLiteral("one call, SELECT 1"), [&] { copy.call(); });
        timed(counted, QStringLiteral("save"), [&] { copy.save(kSmallTopic); });
        timed(counted, QStringLiteral("delete"), [&] { copy.remove(kSmallTopic); });
    }
    if (proxy && proxy->connectionsAccepted() != links)
        bench::fail(QStringLiteral("the copy connected anew while it was timed"));
    std::map<QString, Figure> figures;
    for (const auto& [action, ms] : times) {
        const std::vector<int>& s = statements[action];
        figures[action] = {bench::median(ms), *std::min_element(s.begin(), s.end()),
                           *std::max_element(s.begin(), s.end())};
    }
    return figures;
}

QString statementsText(const Figure& f)
{
    return f.statementsLeast == f.statementsMost ? QString::number(f.statementsLeast)
                                                 : QStringLiteral("%1-%2").arg(f.statementsLeast).arg(f.statementsMost);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The server writes to disk before a commit returns, as the file does.
    qputenv("NORVENA_PG_DURABLE", "1");
    const int runs = bench::argument(argc, argv, 1, 9);
    const std::vector<double> roundTripsMs{0, 0.5, 2};

    QString error;
    PgCluster* cluster = test_engine::cluster(&error);
    if (!cluster)
        bench::fail(error);
    DelayProxy proxy(QDir(cluster->socketDir()).filePath(QStringLiteral(".s.PGSQL.%1").arg(PgCluster::kPort)));
    if (!proxy.start(&error))
        bench::fail(error);

    std::printf("one copy of the program, medians of %d runs; milliseconds, the ratio to test.mdb, and the\n"
                "statements sent to the server (simple queries and executes) per action\n",
                runs);
    for (const int questions : {1000, 10000}) {
        QTemporaryDir onFile;
        QTemporaryDir onServer;
        makeCourse(onFile.path(), questions);
        if (!QFile::copy(onFile.filePath(QStringLiteral("test.mdb")), onServer.filePath(QStringLiteral("test.mdb"))))
            bench::fail(QStringLiteral("cannot copy the course"));
        ServerCourse course(onServer.path());
        if (!course.error().isEmpty())
            bench::fail(course.error());
        // The course's PCs reach the server through the proxy.
        QFile ini(QDir(onServer.path()).filePath(QString::fromLatin1(DatabaseSettings::kFileName)));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            bench::fail(ini.errorString());
        ini.write(course
                      .settingsText(QString::fromLatin1(ServerCourse::kStudent),
                                    QString::fromUtf8(ServerCourse::kStudentPassword), DelayProxy::host(), proxy.port())
                      .toUtf8());
        ini.close();

        Copy fileCopy(onFile.path());
        Copy serverCopy(onServer.path());
        if (fileCopy.questions() != questions || serverCopy.questions() != questions)
            bench::fail(QStringLiteral("the course does not hold %1 questions").arg(questions));
        const std::map<QString, Figure> file = measure(fileCopy, runs, nullptr);
        std::vector<std::map<QString, Figure>> server;
        for (const double rt : roundTripsMs) {
            proxy.setDelay(std::chrono::microseconds(qRound64(rt * 1000 / 2)));
            server.push_back(measure(serverCopy, runs, &proxy));
        }
        proxy.setDelay(0us);

        std::printf("\n%-19s %8s", qPrintable(QStringLiteral("%1 questions").arg(questions)), "test.mdb");
        for (const double rt : roundTripsMs)
            std::printf(" | %-28s", qPrintable(QStringLiteral("server, %1 ms round trip").arg(rt, 0, 'f', 1)));
        std::printf("\n%-19s %8s", "action", "ms");
        for (size_t i = 0; i < roundTripsMs.size(); ++i)
            std::printf(" | %8s %7s %10s", "ms", "x file", "statements");
        std::printf("\n");
        for (const QString& action : kActions) {
            const double fileMs = file.at(action).ms;
            std::printf("%-19s %8.2f", qPrintable(action), fileMs);
            for (const auto& figures : server) {
                const Figure& f = figures.at(action);
                std::printf(" | %8.2f %7.2f %10s", f.ms, f.ms / fileMs, qPrintable(statementsText(f)));
            }
            std::printf("\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
