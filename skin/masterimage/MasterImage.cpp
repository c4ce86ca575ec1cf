#include "skin/masterimage/MasterImage.h"

#include <QHash>
#include <QVector>

#include <cstdlib>
#include <functional>

namespace {

constexpr int kWidth = 304;
constexpr int kHeight = 250;
constexpr QRgb kFuchsia = qRgb(255, 0, 255);

// Mask values: 0 shows the image, 255 (nearly) the background below.
constexpr int kOpaque = 0;
constexpr int kClear = 255;

QRgb grey(int v) { return qRgb(v, v, v); }

class Canvas {
public:
    Canvas() : m_image(kWidth, kHeight, QImage::Format_RGB32) { m_image.fill(kFuchsia); }

    void pixel(int x, int y, QRgb c) { m_image.setPixel(x, y, c); }
    void fill(int x, int y, int w, int h, QRgb c)
    {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                pixel(i, j, c);
    }
    // A state image of w x h at (x, y) and its mask right below it, both
    // given by one function of the pixel: {colour, mask value}.
    void masked(int x, int y, int w, int h, const std::function<std::pair<QRgb, int>(int, int)>& f)
    {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const auto [color, mask] = f(i, j);
                // A clear pixel is left out altogether: fuchsia.
                pixel(x + i, y + j, mask == kClear ? kFuchsia : color);
                pixel(x + i, y + h + j, grey(mask));
            }
    }

    // The image with a palette of exactly the colours drawn.
    QImage indexed() const
    {
        QVector<QRgb> palette;
        QHash<QRgb, int> index;
        QImage out(kWidth, kHeight, QImage::Format_Indexed8);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const QRgb c = m_image.pixel(x, y) | 0xFF000000;
                auto it = index.find(c);
                if (it == index.end()) {
                    Q_ASSERT(palette.size() < 256);
                    it = index.insert(c, int(palette.size()));
                    palette.append(c);
                }
                out.scanLine(y)[x] = uchar(*it);
            }
        out.setColorTable(palette);
        return out;
    }

private:
    QImage m_image;
};

// Ring of a rectangle w x h: 0 for the outermost pixels, 1 for the next…
int ring(int i, int j, int w, int h) { return std::min(std::min(i, j), std::min(w - 1 - i, h - 1 - j)); }

bool cornerPixel(int i, int j, int w, int h) { return (i == 0 || i == w - 1) && (j == 0 || j == h - 1); }

// The window frame, 12 x 12, border width 4; the middle is left out.
void windowFrame(Canvas& c)
{
    const QRgb rings[4] = {qRgb(34, 68, 110), qRgb(126, 174, 212), qRgb(88, 138, 186), qRgb(52, 98, 148)};
    for (int j = 0; j < 12; ++j)
        for (int i = 0; i < 12; ++i) {
            const int r = ring(i, j, 12, 12);
            c.pixel(135 + i, 60 + j, r < 4 ? rings[r] : kFuchsia);
        }
}

// The window texture, 94 x 62: a soft weave of two triangle waves, each
// with a whole number of periods across the tile, so that it repeats
// without seams, and a little fixed grain.
void texture(Canvas& c)
{
    auto triangle = [](int v, int period) { // 0 … period/2 … 0
        const int p = v % period;
        return p <= period / 2 ? p : period - p;
    };
    for (int j = 0; j < 62; ++j)
        for (int i = 0; i < 94; ++i) {
            const int wave = triangle(i, 47) * 8 / 23 + triangle(j, 31) * 8 / 15; // 0 … 16
            const unsigned hash = (unsigned(i) * 73856093u) ^ (unsigned(j) * 19349663u);
            const int grain = int((hash >> 7) % 3); // 0 … 2
            const int level = (wave + grain) / 2;   // 0 … 9
            c.pixel(210 + i, 188 + j, qRgb(150 + level * 2, 184 + level * 2, 207 + level * 2));
        }
}

// Title buttons: three states of 20 x 20 with their masks.
void titleButtons(Canvas& c)
{
    struct Look {
        QRgb border, fill;
        int fillMask;
    };
    const Look looks[3] = {{qRgb(60, 100, 150), qRgb(214, 230, 245), 150},
                           {qRgb(40, 90, 170), qRgb(244, 250, 255), 50},
                           {qRgb(28, 58, 100), qRgb(118, 160, 206), 30}};
    for (int s = 0; s < 3; ++s)
        c.masked(s * 20, 114, 20, 20, [&](int i, int j) -> std::pair<QRgb, int> {
            if (cornerPixel(i, j, 20, 20))
                return {looks[s].border, kClear};
            if (ring(i, j, 20, 20) == 0)
                return {looks[s].border, 40};
            return {looks[s].fill, looks[s].fillMask};
        });
}

// A glyph of 20 x 20 in three states at x: the pixels where shape() holds
// are drawn, the others are fuchsia.
void glyph(Canvas& c, int x, const QRgb (&colors)[3], const std::function<bool(int, int)>& shape)
{
    for (int s = 0; s < 3; ++s)
        c.masked(x + s * 20, 114, 20, 20, [&](int i, int j) -> std::pair<QRgb, int> {
            return shape(i, j) ? std::pair<QRgb, int>{colors[s], kOpaque} : std::pair<QRgb, int>{kFuchsia, kClear};
        });
}

void titleGlyphs(Canvas& c)
{
    const QRgb dark[3] = {qRgb(36, 58, 92), qRgb(0, 44, 116), qRgb(255, 255, 255)};
    const QRgb close[3] = {qRgb(36, 58, 92), qRgb(186, 28, 28), qRgb(255, 255, 255)};
    glyph(c, 61, dark, [](int i, int j) { return j >= 12 && j <= 13 && i >= 6 && i <= 13; });
    glyph(c, 122, dark, [](int i, int j) {
        const bool inside = i >= 5 && i <= 14 && j >= 5 && j <= 14;
        return inside && (i == 5 || i == 14 || j <= 6 || j == 14);
    });
    glyph(c, 183, dark, [](int i, int j) { // a question mark
        static const char* rows[] = {"..####..", ".##..##.", ".....##.", "....##..", "...##...",
                                     "...##...", "........", "...##...", "...##..."};
        const int x = i - 6, y = j - 5;
        return x >= 0 && x < 8 && y >= 0 && y < 9 && rows[y][x] == '#';
    });
    glyph(c, 244, close, [](int i, int j) {
        const bool band = i >= 5 && i <= 14 && j >= 5 && j <= 14;
        return band && (std::abs(i - j) <= 1 || std::abs(i + j - 19) <= 1);
    });
}

// The size grip, 18 x 18: dots along the lower right diagonal.
void grip(Canvas& c)
{
    c.masked(252, 0, 18, 18, [](int i, int j) -> std::pair<QRgb, int> {
        const bool dot = i + j >= 18 && i % 4 >= 2 && j % 4 >= 2;
        if (!dot)
            return {kFuchsia, kClear};
        const bool light = i % 4 == 2 && j % 4 == 2;
        return {light ? qRgb(255, 255, 255) : qRgb(60, 96, 140), kOpaque};
    });
}

// The title bar's frame, 30 x 27: a light line at the top and a dark line
// at the bottom that parts the title from the window; the rest lets the
// title's own background through.
void titleFrame(Canvas& c)
{
    c.masked(231, 60, 30, 27, [](int, int j) -> std::pair<QRgb, int> {
        if (j == 0)
            return {qRgb(255, 255, 255), 120};
        if (j == 25)
            return {qRgb(92, 140, 190), 60};
        if (j == 26)
            return {qRgb(40, 76, 120), kOpaque};
        return {qRgb(255, 255, 255), kClear};
    });
}

// The panel's frame, 21 x 21: a line of the panel's blue, darker at the
// right and bottom, with a half-clear white line inside.
void panelFrame(Canvas& c)
{
    c.masked(189, 72, 21, 21, [](int i, int j) -> std::pair<QRgb, int> {
        const int r = ring(i, j, 21, 21);
        if (r == 0)
            return {i == 20 || j == 20 ? qRgb(50, 90, 140) : qRgb(86, 132, 178), kOpaque};
        if (r == 1)
            return {qRgb(255, 255, 255), 150};
        return {qRgb(255, 255, 255), kClear};
    });
}

// Buttons (and, by their first two states, group boxes), 21 x 21 each:
// normal, hot, pressed; rounded corners.
void buttonFrames(Canvas& c)
{
    struct Look {
        QRgb outer, inner;
        int innerMask;
    };
    const Look looks[3] = {{qRgb(66, 104, 150), qRgb(255, 255, 255), 120},
                           {qRgb(28, 108, 200), qRgb(255, 255, 255), 40},
                           {qRgb(28, 58, 108), qRgb(80, 120, 170), 110}};
    for (int s = 0; s < 3; ++s)
        c.masked(63 + s * 21, 72, 21, 21, [&](int i, int j) -> std::pair<QRgb, int> {
            const int r = ring(i, j, 21, 21);
            if (cornerPixel(i, j, 21, 21))
                return {looks[s].outer, kClear};
            if (r == 0)
                return {looks[s].outer, kOpaque};
            // Pressed: the inner line only on the top and left, a shadow.
            if (r == 1 && (s != 2 || i == 1 || j == 1))
                return {looks[s].inner, looks[s].innerMask};
            return {qRgb(255, 255, 255), kClear};
        });
}

// The edit's frame, 90 x 60, mask type 0: two lines, the middle left out.
void editFrame(Canvas& c)
{
    for (int j = 0; j < 60; ++j)
        for (int i = 0; i < 90; ++i) {
            const int r = ring(i, j, 90, 60);
            c.pixel(120 + i, 190 + j, r == 0 ? qRgb(104, 146, 188) : r == 1 ? qRgb(226, 236, 246) : kFuchsia);
        }
}

// A triangle pointing down (0), up (1), left (2) or right (3), of the given
// half width, with its tip's centre at (cx, cy) in a box.
bool triangle(int i, int j, int cx, int cy, int halfWidth, int direction)
{
    int along = 0, across = 0;
    switch (direction) {
    case 0:
        along = cy - j;
        across = i - cx;
        break;
    case 1:
        along = j - cy;
        across = i - cx;
        break;
    case 2:
        along = i - cx;
        across = j - cy;
        break;
    default:
        along = cx - i;
        across = j - cy;
        break;
    }
    return along >= 0 && along <= halfWidth && std::abs(across) <= along;
}

// The combo box's arrow, three states of 19 x 17.
void comboGlyph(Canvas& c)
{
    const QRgb colors[3] = {qRgb(50, 80, 120), qRgb(20, 90, 170), qRgb(10, 40, 80)};
    for (int s = 0; s < 3; ++s)
        c.masked(195 + s * 19, 154, 19, 17, [&](int i, int j) -> std::pair<QRgb, int> {
            if (i == 0 && j >= 2 && j <= 14)
                return {qRgb(168, 194, 220), kOpaque};
            if (triangle(i, j, 10, 10, 4, 0))
                return {colors[s], kOpaque};
            return {kFuchsia, kClear};
        });
}

// The radio items' glyphs, three states of 16 x 18: a ring, with a dot
// when checked.
void radioGlyphs(Canvas& c)
{
    const QRgb ringColor[3] = {qRgb(66, 104, 150), qRgb(28, 108, 200), qRgb(28, 58, 108)};
    const QRgb fill[3] = {qRgb(255, 255, 255), qRgb(236, 246, 255), qRgb(196, 218, 240)};
    const QRgb dot[3] = {qRgb(22, 62, 120), qRgb(10, 92, 190), qRgb(10, 40, 90)};
    for (int checked = 0; checked < 2; ++checked)
        for (int s = 0; s < 3; ++s)
            c.masked((checked ? 49 : 0) + s * 16, 154, 16, 18, [&](int i, int j) -> std::pair<QRgb, int> {
                const int dx = 2 * i + 1 - 16, dy = 2 * j + 1 - 18; // in half pixels from the centre
                const int d2 = dx * dx + dy * dy;
                if (d2 > 169)
                    return {kFuchsia, kClear};
                if (d2 > 100)
                    return {ringColor[s], kOpaque};
                if (checked && d2 <= 36)
                    return {dot[s], kOpaque};
                return {fill[s], 30};
            });
}

// Scroll bars: the sliders' and end buttons' frame (three states of
// 21 x 21), the groove (21 x 21) and the four arrows (three states of 11 x 11).
void scrollParts(Canvas& c)
{
    const QRgb outer[3] = {qRgb(120, 156, 192), qRgb(58, 128, 208), qRgb(48, 88, 140)};
    for (int s = 0; s < 3; ++s)
        c.masked(s * 21, 0, 21, 21, [&](int i, int j) -> std::pair<QRgb, int> {
            const int r = ring(i, j, 21, 21);
            if (cornerPixel(i, j, 21, 21))
                return {outer[s], kClear};
            if (r == 0)
                return {outer[s], kOpaque};
            if (r == 1)
                return {qRgb(255, 255, 255), 90};
            return {qRgb(255, 255, 255), kClear};
        });
    c.masked(195, 0, 21, 21, [](int i, int j) -> std::pair<QRgb, int> {
        return ring(i, j, 21, 21) == 0 ? std::pair<QRgb, int>{qRgb(198, 214, 230), 100}
                                       : std::pair<QRgb, int>{qRgb(255, 255, 255), kClear};
    });
    const QRgb arrow[3] = {qRgb(50, 80, 120), qRgb(20, 90, 170), qRgb(10, 40, 80)};
    const int directions[4] = {1, 0, 2, 3}; // up, down, left, right
    for (int d = 0; d < 4; ++d)
        for (int s = 0; s < 3; ++s)
            c.masked(63 + d * 33 + s * 11, 0, 11, 11, [&](int i, int j) -> std::pair<QRgb, int> {
                const int dir = directions[d];
                const int cx = dir == 2 ? 3 : dir == 3 ? 7 : 5;
                const int cy = dir == 1 ? 3 : dir == 0 ? 7 : 5;
                return triangle(i, j, cx, cy, 3, dir) ? std::pair<QRgb, int>{arrow[s], kOpaque}
                                                      : std::pair<QRgb, int>{kFuchsia, kClear};
            });
}

} // namespace

QImage drawMasterImage()
{
    Canvas c;
    scrollParts(c);
    grip(c);
    windowFrame(c);
    titleFrame(c);
    panelFrame(c);
    buttonFrames(c);
    titleButtons(c);
    titleGlyphs(c);
    radioGlyphs(c);
    comboGlyph(c);
    editFrame(c);
    texture(c);
    return c.indexed();
}
