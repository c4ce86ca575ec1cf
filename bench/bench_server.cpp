// One copy of the program on a course server (a server of the benchmark's
// own, reached through a socket), against the same work on the course's
// test.mdb in the same run: the test window's topic choice and grading, and
// the editor's "Сохранить" and "Удалить" (each with its renumbering), timed
// as the program runs them (one transaction per action). The server, like
// the file, writes every commit to disk before it returns.
//
//   bench_server [questions per topic] [runs]     (defaults 40 and 10)

#include "data/Schema.h"
#include "pg/ServerCourse.h"
#include "support/SideConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

struct Figures {
    double choiceMs = 0, gradingMs = 0, teacherActionMs = 0;
};

void makeCourse(const QString& folder, int questions)
{
    SideConnection db(folder + "/test.mdb");
    for (const schema::Table& t : schema::tables())
        db.exec(schema::fileDdl(t));
    db.exec("BEGIN");
    for (int t = 1; t <= 3; ++t) {
        db.exec("INSERT INTO temi (rasdel) VALUES (?)", {QStringLiteral("Тема %1").arg(t)});
        for (int k = 1; k <= questions; ++k)
            db.exec("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, 'C')",
                    {k, (t - 1) * questions + k, QStringLiteral("Вопрос %1, ответ C").arg(k),
                     QStringLiteral("Тема %1").arg(t)});
    }
    db.exec("COMMIT");
}

QStringList client(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral(NORVENA_LOADCLIENT), arguments);
    p.waitForFinished(600000);
    const QString output = QString::fromUtf8(p.readAllStandardOutput());
    if (output.contains("ERROR")) {
        std::fprintf(stderr, "bench_server: %s\n", qPrintable(output));
        std::exit(2);
    }
    return output.split(u'\n', Qt::SkipEmptyParts);
}

Figures measure(bool server, int questions, int runs)
{
    QTemporaryDir course;
    makeCourse(course.path(), questions);
    std::unique_ptr<ServerCourse> onServer;
    if (server) {
        onServer = std::make_unique<ServerCourse>(course.path());
        if (!onServer->error().isEmpty()) {
            std::fprintf(stderr, "bench_server: %s\n", qPrintable(onServer->error()));
            std::exit(2);
        }
    }
    Figures f;
    int n = 0;
    for (const QString& line :
         client({course.path(), "student", "Студент", QString::number(runs), QStringLiteral("Тема 1")})) {
        const QStringList fields = line.split(u'\t');
        if (fields.value(0) != "RUN")
            continue;
        f.choiceMs += fields[4].toDouble();
        f.gradingMs += fields[5].toDouble();
        ++n;
    }
    f.choiceMs /= std::max(n, 1);
    f.gradingMs /= std::max(n, 1);
    QElapsedTimer timer;
    timer.start();
    client({course.path(), "teacher", server ? QString::fromUtf8(ServerCourse::kTeacherPassword) : QString(),
            QString::number(runs), course.filePath("no-stop")});
    f.teacherActionMs = double(timer.elapsed()) / (2.0 * runs); // a save and a delete per action line
    return f;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The server writes to disk before a commit returns, as the file does.
    qputenv("NORVENA_PG_DURABLE", "1");
    const int questions = argc > 1 ? std::atoi(argv[1]) : 40;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 10;
    const Figures file = measure(false, questions, runs);
    const Figures server = measure(true, questions, runs);
    std::printf("one copy, topics of %d questions (%d of them), %d runs; milliseconds, server / test.mdb\n", questions,
                3 * questions, runs);
    std::printf("  topic choice           %8.1f / %8.1f = %.2f\n", server.choiceMs, file.choiceMs,
                server.choiceMs / file.choiceMs);
    std::printf("  grading and storing    %8.1f / %8.1f = %.2f\n", server.gradingMs, file.gradingMs,
                server.gradingMs / file.gradingMs);
    std::printf("  editor save or delete  %8.1f / %8.1f = %.2f (process start included)\n", server.teacherActionMs,
                file.teacherActionMs, server.teacherActionMs / file.teacherActionMs);
    return 0;
}
