// Painting the test window with the skin against painting it without, in the
// same process: the window is built, painted into an image (QWidget::grab)
// many times, then the internal skin is loaded, which skins it, and it is
// painted as many times again. Both rounds paint the same controls at the
// same size, with the questions of a topic in its tree and memo. Also times
// loading the skin (the master image and the engine) and the first skinned
// paint, when the backgrounds are not cached yet.
//
//   bench_skin [paints]     (default 300)
//
// Run it headless: QT_QPA_PLATFORM=offscreen bench_skin

#include "app/Startup.h"
#include "forms/Unit6.h"
#include "skin/Engine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Milliseconds per paint: the median of five rounds of n paints each.
double paintTime(QWidget* window, int n)
{
    std::vector<double> rounds;
    for (int r = 0; r < 5; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < n; ++i) {
            const QImage image = window->grab().toImage();
            if (image.isNull())
                std::abort();
        }
        rounds.push_back(double(timer.nsecsElapsed()) / 1e6 / n);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    initialiseApplication();
    const int paints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    // The test window as a student sees it during a run, without its
    // database (no files are needed to paint it).
    TForm6 window;
    window.sTreeView1->addNodes(30);
    window.sMemo1->setPlainText(QStringLiteral("Кто автор романа «Герой нашего времени»?\n"
                                               "A) Пушкин\nB) Лермонтов\nC) Гоголь\nD) Тургенев\nE) Толстой"));
    {
        const QSignalBlocker quiet(window.sRadioGroup1); // a letter shown, none recorded
        window.sRadioGroup1->setItemIndex(1);
    }
    window.ensurePolished();
    window.grab(); // warm-up: fonts, glyph caches

    const double plain = paintTime(&window, paints);

    QElapsedTimer load;
    load.start();
    skin::Engine::loadInternalSkin(nullptr);
    const double loadMs = double(load.nsecsElapsed()) / 1e6;
    QElapsedTimer first;
    first.start();
    window.grab();
    const double firstMs = double(first.nsecsElapsed()) / 1e6;

    const double skinned = paintTime(&window, paints);

    std::printf("Test window, %d x %d, painted into an image (median of 5 rounds of %d)\n", window.width(),
                window.height(), paints);
    std::printf("  %-34s %8.3f ms\n", "without the skin", plain);
    std::printf("  %-34s %8.3f ms\n", "with the skin", skinned);
    std::printf("  %-34s %8.2f x\n", "ratio", skinned / plain);
    std::printf("  %-34s %8.3f ms\n", "loading the skin", loadMs);
    std::printf("  %-34s %8.3f ms\n", "first skinned paint (no cache)", firstMs);
    return 0;
}
