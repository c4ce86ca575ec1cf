// The document viewer with the real browser engine: how long a click on a
// material button keeps the main window busy, and when the viewer and the
// page appear, for the first document of a run (the engine is loaded then)
// and for a later one.
//
// Every run is a process of its own (the engine is loaded once per process):
// the program's windows on a copy of the demo course, the main window shown,
// then in turn
//   baseline  a click on a button that shows a bare window of the viewer's
//             size (no engine), until that window is painted;
//   first     a click on "Лекция 1" of the part-1 panel;
//   later     a click on "Лекция 2".
// For each click: until the click's handler has returned (the main window
// takes input again), until the viewer is painted, until the page has
// loaded (the engine's loadFinished) and until it is drawn (the view's
// first frame that shows the page's text). The table gives the medians of
// the runs and their ratio to the baseline.
//
// Usage: bench_viewer [--runs N]
// The display is the environment's: QT_QPA_PLATFORM, or DISPLAY (for
// instance under xvfb-run); with neither, the offscreen platform.

#include "bench/support/Bench.h"
#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "app/Unit3.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace bench;

namespace {

const char kChild[] = "--child";

// When a window (or anything in it) was first painted after the watch began, in ms.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(const QElapsedTimer& clock) : m_clock(clock) { qApp->installEventFilter(this); }
    void watch(QWidget* window)
    {
        m_window = window;
        m_paintedAt = -1;
    }
    double paintedAt() const { return m_paintedAt; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_paintedAt < 0 && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_window)
            m_paintedAt = m_clock.nsecsElapsed() / 1e6;
        return false;
    }

private:
    const QElapsedTimer& m_clock;
    QWidget* m_window = nullptr;
    double m_paintedAt = -1;
};

// The engine's view inside the viewer's HTML view, once there is one.
QWidget* engineView()
{
    const QList<QWidget*> children = Form2->WebBrowser1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return children.isEmpty() ? nullptr : children.first();
}

// Whether the view shows text: dark pixels on the page.
bool showsText(QWidget* view)
{
    const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); y += 2) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 2)
            if (qGray(line[x]) < 96)
                return true;
    }
    return false;
}

// Notes when the engine's view finished loading a page.
class LoadWatch : public QObject {
    Q_OBJECT
public:
    explicit LoadWatch(const QElapsedTimer& clock) : m_clock(clock) {}
    void follow(QWidget* view)
    {
        if (view == m_view)
            return;
        m_view = view;
        const int signal = view->metaObject()->indexOfSignal("loadFinished(bool)");
        const int slot = metaObject()->indexOfSlot("finished(bool)");
        QMetaObject::connect(view, signal, this, slot);
    }
    void reset() { m_loadedAt = -1; }
    double loadedAt() const { return m_loadedAt; }

public slots:
    void finished(bool ok)
    {
        if (ok && m_loadedAt < 0)
            m_loadedAt = m_clock.nsecsElapsed() / 1e6;
    }

private:
    const QElapsedTimer& m_clock;
    QWidget* m_view = nullptr;
    double m_loadedAt = -1;
};

struct Click {
    double handled = -1, shown = -1, loaded = -1, drawn = -1;
};

// Clicks the button and follows the viewer until its page is drawn.
Click clickDocument(QPushButton* button, PaintWatch& paints, LoadWatch& loads, const QElapsedTimer& clock)
{
    Click c;
    paints.watch(Form2);
    loads.reset();
    const double start = clock.nsecsElapsed() / 1e6;
    QTest::mouseClick(button, Qt::LeftButton);
    c.handled = clock.nsecsElapsed() / 1e6 - start;

    QElapsedTimer timeout;
    timeout.start();
    while (timeout.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        if (c.shown < 0 && paints.paintedAt() >= 0)
            c.shown = paints.paintedAt() - start;
        QWidget* view = engineView();
        if (view)
            loads.follow(view);
        if (c.loaded < 0 && loads.loadedAt() >= 0)
            c.loaded = loads.loadedAt() - start;
        if (c.loaded >= 0 && showsText(view)) {
            c.drawn = clock.nsecsElapsed() / 1e6 - start;
            break;
        }
    }
    if (c.shown < 0) // a viewer already on screen is not painted anew
        c.shown = c.handled;
    return c;
}

int runChild()
{
    CourseFixture course;
    course.platform.realHtmlViews = true;
    course.start();
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    Form3->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    if (!QTest::qWaitForWindowExposed(Form1))
        return 2;
    course.platform.clear(); // the login's notice
    Form1->Button3->click(); // the part-1 panel
    QTest::qWait(200);

    QElapsedTimer clock;
    clock.start();
    PaintWatch paints(clock);
    LoadWatch loads(clock);

    // Baseline: a bare window of the viewer's size, shown by a click.
    QWidget bare;
    bare.setWindowTitle(QStringLiteral("Baseline"));
    bare.resize(Form2->size());
    QPushButton trigger(QStringLiteral("Показать"), Form1);
    trigger.setGeometry(600, 8, 100, 25);
    trigger.show();
    QObject::connect(&trigger, &QPushButton::clicked, &bare, [&bare] { bare.show(); });
    QTest::qWait(50);
    paints.watch(&bare);
    double start = clock.nsecsElapsed() / 1e6;
    QTest::mouseClick(&trigger, Qt::LeftButton);
    const double baseHandled = clock.nsecsElapsed() / 1e6 - start;
    if (!QTest::qWaitFor([&] { return paints.paintedAt() >= 0; }, 10000))
        return 2;
    const double basePainted = paints.paintedAt() - start;
    bare.hide();
    QTest::qWait(100);

    const Click first = clickDocument(Form1->materialButton(QStringLiteral("Button10")), paints, loads, clock);
    QTest::qWait(300);
    const Click later = clickDocument(Form1->materialButton(QStringLiteral("Button11")), paints, loads, clock);
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f\n", baseHandled, basePainted, first.handled,
                first.shown, first.loaded, first.drawn, later.handled, later.shown, later.loaded, later.drawn);
    std::fflush(stdout);
    for (const TestPlatform::Box& box : course.platform.boxes)
        std::fprintf(stderr, "bench_viewer: a box was shown: %s\n", qPrintable(box.text));
    return course.platform.boxes.isEmpty() ? 0 : 3;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], kChild) == 0) {
        QApplication app(argc, argv);
        return runChild();
    }
    QCoreApplication app(argc, argv);
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));

    std::vector<std::vector<double>> columns(10);
    for (int r = 0; r < runs; ++r) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) && !env.contains(QStringLiteral("DISPLAY")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
#ifdef Q_OS_UNIX
        if (::geteuid() == 0) // the engine's sandbox refuses root
            env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
#endif
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kChild)});
        if (!child.waitForFinished(180000) || child.exitCode() != 0) {
            std::fprintf(stderr, "bench_viewer: run %d failed (exit code %d)\n", r + 1, child.exitCode());
            return 1;
        }
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 10) {
            std::fprintf(stderr, "bench_viewer: run %d gave no figures\n", r + 1);
            return 1;
        }
        for (int i = 0; i < 10; ++i)
            columns[i].push_back(figures[i].toDouble());
    }

    const double baseline = median(columns[1]);
    std::printf("document viewer, median of %d runs (a process each); baseline: a click that shows a bare window\n"
                "of the viewer's size, until it is painted: %.1f ms (handler %.1f ms)\n",
                runs, baseline, median(columns[0]));
    std::printf("  %-38s %15s %15s\n", "from the click until", "first document", "later document");
    const char* rows[] = {"the handler returned (main window free)", "the viewer is painted", "the page has loaded",
                          "the page is drawn"};
    for (int row = 0; row < 4; ++row) {
        const double a = median(columns[2 + row]), b = median(columns[6 + row]);
        std::printf("  %-38s %8.1f ms %4.1fx %8.1f ms %4.1fx\n", rows[row], a, a / baseline, b, b / baseline);
    }
    return 0;
}

#include "bench_viewer.moc"
