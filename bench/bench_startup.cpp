// Start-up of the real program against a bare Qt Widgets program showing the
// same picture (baseline_window, built beside this benchmark).
//
// For each program: the time from starting the process to its line "title
// window shown" on stderr, and its resident memory (VmRSS, and the peak
// VmHWM, from /proc/PID/status) half a second later, once the window has
// been painted. The two programs run in turns, after one warm-up run each;
// the table gives the medians and the program's ratio to the baseline.
//
// It also times, in its own process, the steps of the title picture that lie
// on the start-up path: decoding the JPEG with libjpeg (and, for comparison,
// with Qt's image reader) and scaling it to the window's 801 x 601.
//
// Usage: bench_startup [--runs N] [--program NAME=PATH]...
// --program adds another build of the program to the turns, for instance
// the installed one: --program installed=/usr/bin/norvena.
// The display is the environment's: QT_QPA_PLATFORM, or DISPLAY (for
// instance under xvfb-run); with neither, the offscreen platform.

#include "bench/support/Bench.h"

#include "app/TitlePicture.h"
#include "support/CourseFixture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace bench;

namespace {

struct Sample {
    double startupMs = 0;
    double rssMiB = 0;
    double hwmMiB = 0;
};

struct Program {
    QString name;
    QString binary;
    QStringList arguments;
    std::vector<Sample> samples;
};

std::optional<Sample> runOnce(const Program& program, const QString& workingDirectory)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) && !env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("norvena.*=true"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingDirectory);
    process.setReadChannel(QProcess::StandardError);

    QElapsedTimer clock;
    clock.start();
    process.start(program.binary, program.arguments);
    QByteArray log;
    std::optional<Sample> sample;
    while (clock.elapsed() < 60000) {
        if (!process.waitForReadyRead(100) && process.state() != QProcess::Running)
            break;
        log += process.readAllStandardError();
        if (log.contains("title window shown")) {
            sample = Sample{clock.nsecsElapsed() / 1e6, 0, 0};
            break;
        }
        if (log.contains("error report:"))
            break;
    }
    if (sample) {
        // Half a second for painting the window.
        QThread::msleep(500);
        std::tie(sample->rssMiB, sample->hwmMiB) = memoryMiB(QString::number(process.processId()));
    } else {
        std::fprintf(stderr, "%s did not show its window:\n%s\n", qPrintable(program.name), log.constData());
    }
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return sample;
}

double medianOf(const Program& p, double Sample::*field)
{
    std::vector<double> values;
    for (const Sample& s : p.samples)
        values.push_back(s.*field);
    return median(values);
}

// Median time in milliseconds of a step run several times.
template <class F> double timeStep(F&& step, int times = 15)
{
    std::vector<double> values;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer clock;
        clock.start();
        step();
        values.push_back(clock.nsecsElapsed() / 1e6);
    }
    return median(values);
}

void timePictureSteps()
{
    QFile file(QString::fromLatin1(TitlePicture::kResource));
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("title picture resource missing\n");
        return;
    }
    const QByteArray jpeg = file.readAll();
    QImage decoded;
    const double libjpeg = timeStep([&] { decoded = TitlePicture::decodeJpeg(jpeg); });
    const double qtReader = timeStep([&] {
        QBuffer buffer;
        buffer.setData(jpeg);
        QImageReader reader(&buffer, "jpeg");
        decoded = reader.read();
    });
    const double scale = timeStep([&] {
        const QImage scaled = decoded.scaled(801, 601, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        Q_UNUSED(scaled);
    });
    std::printf("\nTitle picture (%lld bytes, %dx%d), medians of 15 in this process:\n",
                static_cast<long long>(jpeg.size()), decoded.width(), decoded.height());
    std::printf("  decode with libjpeg (the program)  %6.2f ms\n", libjpeg);
    std::printf("  decode with Qt's image reader      %6.2f ms\n", qtReader);
    std::printf("  smooth scaling to 801x601          %6.2f ms\n", scale);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 7;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--runs")); i > 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());

    const QString sourceDir = QStringLiteral(NORVENA_SOURCE_DIR);
    if (!QFile::exists(sourceDir + QStringLiteral("/course/test.mdb"))) {
        std::fprintf(stderr, "The demo course has no database yet: build the target demo_database first.\n");
        return 2;
    }
    QTemporaryDir course;
    CourseFixture::copyTree(sourceDir + QStringLiteral("/course"), course.path());

    std::vector<Program> programs = {
        {QStringLiteral("baseline window"),
         QCoreApplication::applicationDirPath() + QStringLiteral("/baseline_window"),
         {sourceDir + QStringLiteral("/app/resources/title.jpg")},
         {}},
        {QStringLiteral("norvena"), QStringLiteral(NORVENA_BINARY), {}, {}},
    };
    for (qsizetype i = args.indexOf(QStringLiteral("--program")); i > 0 && i + 1 < args.size();
         i = args.indexOf(QStringLiteral("--program"), i + 2)) {
        const QString entry = args[i + 1];
        const qsizetype eq = entry.indexOf(u'=');
        if (eq <= 0) {
            std::fprintf(stderr, "--program wants NAME=PATH, not %s\n", qPrintable(entry));
            return 2;
        }
        programs.push_back({entry.left(eq), entry.mid(eq + 1), {}, {}});
    }
    for (const Program& p : programs)
        if (!QFile::exists(p.binary)) {
            std::fprintf(stderr, "missing %s\n", qPrintable(p.binary));
            return 2;
        }

    // One warm-up run each (file cache), then turns.
    for (const Program& p : programs)
        if (!runOnce(p, course.path()))
            return 1;
    for (int run = 0; run < runs; ++run)
        for (Program& p : programs) {
            const std::optional<Sample> s = runOnce(p, course.path());
            if (!s)
                return 1;
            p.samples.push_back(*s);
        }

    const QString platform = qEnvironmentVariable(
        "QT_QPA_PLATFORM", qEnvironmentVariableIsSet("DISPLAY")
                               ? QStringLiteral("xcb (DISPLAY=%1)").arg(qEnvironmentVariable("DISPLAY"))
                               : QStringLiteral("offscreen"));
    std::printf("Start-up to \"title window shown\", medians of %d runs, platform %s\n\n", runs, qPrintable(platform));
    std::printf("%-18s %14s %12s %12s\n", "program", "start-up (ms)", "VmRSS (MiB)", "VmHWM (MiB)");
    for (const Program& p : programs)
        std::printf("%-18s %14.1f %12.1f %12.1f\n", qPrintable(p.name), medianOf(p, &Sample::startupMs),
                    medianOf(p, &Sample::rssMiB), medianOf(p, &Sample::hwmMiB));
    const Program& base = programs[0];
    for (size_t i = 1; i < programs.size(); ++i) {
        const Program& ours = programs[i];
        const QString label = programs.size() > 2 ? QStringLiteral("ratio ") + ours.name : QStringLiteral("ratio");
        std::printf("%-18s %14.2f %12.2f %12.2f\n", qPrintable(label),
                    medianOf(ours, &Sample::startupMs) / medianOf(base, &Sample::startupMs),
                    medianOf(ours, &Sample::rssMiB) / medianOf(base, &Sample::rssMiB),
                    medianOf(ours, &Sample::hwmMiB) / medianOf(base, &Sample::hwmMiB));
    }
    std::printf("\n");
    for (const Program& p : programs) {
        std::printf("%s start-up runs (ms):", qPrintable(p.name));
        for (const Sample& s : p.samples)
            std::printf(" %.1f", s.startupMs);
        std::printf("\n");
    }
    for (size_t i = 2; i < programs.size(); ++i)
        std::printf("%s: %s\n", qPrintable(programs[i].name), qPrintable(programs[i].binary));
    timePictureSteps();
    return 0;
}
