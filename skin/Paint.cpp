#include "skin/Paint.h"

#include <QPainter>
#include <QRect>
#include <QStringList>

#include <algorithm>

namespace {

constexpr QRgb kFuchsia = 0xFF00FF;

int mixChannel(int a, int b, int percent) { return (a * percent + b * (100 - percent) + 50) / 100; }

// Channel c of a step's colour at position r of n.
int ramp(int from, int to, int r, int n)
{
    if (n <= 1)
        return from;
    const int d = n - 1;
    return (from * (d - r) + to * r + d / 2) / d;
}

QRgb rampColor(QRgb from, QRgb to, int r, int n)
{
    return qRgb(ramp(qRed(from), qRed(to), r, n), ramp(qGreen(from), qGreen(to), r, n),
                ramp(qBlue(from), qBlue(to), r, n));
}

// Mixes picture into target: target = target × percent/100 + other × (1 − percent/100).
void mixImages(QImage& target, const QImage& other, int percent)
{
    for (int y = 0; y < target.height(); ++y) {
        auto* t = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto* o = reinterpret_cast<const QRgb*>(other.constScanLine(y));
        for (int x = 0; x < target.width(); ++x)
            t[x] = skin::paint::mix(t[x], o[x], percent);
    }
}

void mixColor(QImage& target, QRgb color, int percent)
{
    for (int y = 0; y < target.height(); ++y) {
        auto* t = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < target.width(); ++x)
            t[x] = skin::paint::mix(t[x], color, percent);
    }
}

int maskChannel(int image, int below, int mask) { return image + (below - image) * mask / 256; }

// Draws the part src of picture with its top-left at at, within clip only.
void blit(QImage& target, QPoint at, const QImage& picture, const QImage& mask, const QRect& src, const QRect& clip,
          int maskType)
{
    const QRect onTarget = QRect(at, src.size()).intersected(clip).intersected(target.rect());
    for (int y = onTarget.top(); y <= onTarget.bottom(); ++y) {
        const int sy = src.top() + (y - at.y());
        auto* t = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto* p = reinterpret_cast<const QRgb*>(picture.constScanLine(sy));
        const QRgb* m = maskType == skin::ImageEntry::LowerHalf && !mask.isNull()
                            ? reinterpret_cast<const QRgb*>(mask.constScanLine(sy))
                            : nullptr;
        for (int x = onTarget.left(); x <= onTarget.right(); ++x) {
            const int sx = src.left() + (x - at.x());
            const QRgb image = p[sx];
            if ((image & 0xFFFFFF) == kFuchsia)
                continue;
            if (!m) {
                t[x] = 0xFF000000 | image;
                continue;
            }
            const QRgb below = t[x];
            const QRgb k = m[sx];
            t[x] = qRgb(maskChannel(qRed(image), qRed(below), qRed(k)),
                        maskChannel(qGreen(image), qGreen(below), qGreen(k)),
                        maskChannel(qBlue(image), qBlue(below), qBlue(k)));
        }
    }
}

// Repeats src along [from, to) of one axis, the last repetition cut at to.
void repeatAlong(QImage& target, const QImage& picture, const QImage& mask, const QRect& src, int maskType,
                 bool horizontal, int fixed, int from, int to)
{
    const int step = horizontal ? src.width() : src.height();
    if (step <= 0)
        return;
    const QRect clip =
        horizontal ? QRect(from, fixed, to - from, src.height()) : QRect(fixed, from, src.width(), to - from);
    for (int p = from; p < to; p += step)
        blit(target, horizontal ? QPoint(p, fixed) : QPoint(fixed, p), picture, mask, src, clip, maskType);
}

} // namespace

QRgb skin::paint::mix(QRgb a, QRgb b, int percent)
{
    return qRgb(mixChannel(qRed(a), qRed(b), percent), mixChannel(qGreen(a), qGreen(b), percent),
                mixChannel(qBlue(a), qBlue(b), percent));
}

void skin::paint::tile(QImage& target, const QImage& texture)
{
    if (texture.isNull())
        return;
    const QImage source = texture.convertToFormat(QImage::Format_RGB32);
    const int w = source.width();
    for (int y = 0; y < target.height(); ++y) {
        auto* t = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(y % source.height()));
        for (int x = 0; x < target.width(); x += w)
            std::copy_n(s, std::min(w, target.width() - x), t + x);
    }
}

std::vector<skin::paint::GradientStep> skin::paint::parseGradient(const QString& text)
{
    std::vector<int> numbers;
    for (const QString& part : text.split(u';')) {
        if (part.trimmed().isEmpty())
            continue;
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok)
            return {};
        numbers.push_back(n);
    }
    std::vector<GradientStep> steps;
    for (size_t i = 0; i + 5 <= numbers.size(); i += 5)
        steps.push_back(
            {fromSkinColor(numbers[i]), fromSkinColor(numbers[i + 1]), qBound(0, numbers[i + 2], 100), numbers[i + 3]});
    return steps;
}

void skin::paint::paintGradient(QImage& target, const std::vector<GradientStep>& steps)
{
    if (steps.empty())
        return;
    const int direction = steps.front().direction;
    if (direction != 0 && direction != 1)
        return;
    const bool rows = direction == 0;
    const int extent = rows ? target.height() : target.width();
    int start = 0;
    for (size_t i = 0; i < steps.size() && start < extent; ++i) {
        const GradientStep& step = steps[i];
        const bool last = i + 1 == steps.size();
        const int length = last ? extent - start : qMin(extent - start, step.share * extent / 100);
        for (int r = 0; r < length; ++r) {
            const QRgb color = 0xFF000000 | rampColor(step.from, step.to, r, length);
            if (rows) {
                auto* line = reinterpret_cast<QRgb*>(target.scanLine(start + r));
                std::fill(line, line + target.width(), color);
            } else {
                for (int y = 0; y < target.height(); ++y)
                    reinterpret_cast<QRgb*>(target.scanLine(y))[start + r] = color;
            }
        }
        start += length;
    }
}

QImage skin::paint::background(const StateValues& values, QSize size, const QImage* texture, const QImage* parent)
{
    const QRgb color = 0xFF000000 | fromSkinColor(values.color);
    QImage out(size, QImage::Format_RGB32);
    out.fill(color);
    if (size.isEmpty())
        return out;
    const int i = values.imagePercent;
    const int g = values.gradientPercent;
    const bool textured = i > 0 && texture && !texture->isNull();
    if (textured)
        tile(out, *texture);
    if (g > 0) {
        QImage gradient(size, QImage::Format_RGB32);
        gradient.fill(color);
        bool painted = true;
        if (!values.gradientData.isEmpty()) {
            const std::vector<GradientStep> steps = parseGradient(values.gradientData);
            const int direction = steps.empty() ? -1 : steps.front().direction;
            painted = direction == 0 || direction == 1;
            paintGradient(gradient, steps);
        }
        if (painted) {
            if (textured)
                mixImages(out, gradient, i);
            else
                out = gradient;
        }
    }
    const int sum = g + i;
    if (sum == 0 || sum > 100)
        out.fill(color);
    else if (sum < 100)
        mixColor(out, color, sum);

    const int t = values.transparency;
    if (parent && !parent->isNull() && t > 0) {
        const QImage below = parent->size() == size
                                 ? parent->convertToFormat(QImage::Format_RGB32)
                                 : parent->copy(QRect(QPoint(), size)).convertToFormat(QImage::Format_RGB32);
        if (t >= 100)
            return below;
        QImage result = below;
        mixImages(result, out, t);
        return result;
    }
    return out;
}

void skin::paint::drawMasked(QImage& target, QPoint at, const QImage& picture, const QImage& mask, int maskType)
{
    blit(target, at, picture, mask, picture.rect(), target.rect(), maskType);
}

void skin::paint::drawFrame(QImage& target, const QRect& rect, const QImage& picture, const QImage& mask, int maskType)
{
    const int w = picture.width(), h = picture.height();
    const int cw = w / 3, ch = h / 3;
    const int mw = w - 2 * cw, mh = h - 2 * ch;
    const int left = rect.left(), top = rect.top();
    const int right = rect.left() + rect.width(), bottom = rect.top() + rect.height(); // exclusive
    // Sides: the middle third of each side of the picture along the edge.
    repeatAlong(target, picture, mask, QRect(cw, 0, mw, ch), maskType, true, top, left + cw, right - cw);
    repeatAlong(target, picture, mask, QRect(cw, h - ch, mw, ch), maskType, true, bottom - ch, left + cw, right - cw);
    repeatAlong(target, picture, mask, QRect(0, ch, cw, mh), maskType, false, left, top + ch, bottom - ch);
    repeatAlong(target, picture, mask, QRect(w - cw, ch, cw, mh), maskType, false, right - cw, top + ch, bottom - ch);
    // Corners, unchanged.
    const QRect clip = rect;
    blit(target, QPoint(left, top), picture, mask, QRect(0, 0, cw, ch), clip, maskType);
    blit(target, QPoint(right - cw, top), picture, mask, QRect(w - cw, 0, cw, ch), clip, maskType);
    blit(target, QPoint(left, bottom - ch), picture, mask, QRect(0, h - ch, cw, ch), clip, maskType);
    blit(target, QPoint(right - cw, bottom - ch), picture, mask, QRect(w - cw, h - ch, cw, ch), clip, maskType);
}

QImage skin::paint::statePicture(const QImage& master, const ImageEntry& entry, int state)
{
    return master.copy(entry.stateRect(state)).convertToFormat(QImage::Format_RGB32);
}

QImage skin::paint::stateMask(const QImage& master, const ImageEntry& entry, int state)
{
    if (entry.maskType != ImageEntry::LowerHalf)
        return {};
    return master.copy(entry.maskRect(state)).convertToFormat(QImage::Format_RGB32);
}

void skin::paint::drawText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                           const FontColors& colors)
{
    static constexpr QPoint kShift[4] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}}; // left, up, right, down
    const QPen pen = painter.pen();
    for (int side = 0; side < 4; ++side) {
        if (colors.contour[side] == -1)
            continue;
        painter.setPen(QColor(fromSkinColor(colors.contour[side])));
        painter.drawText(rect.translated(kShift[side]), flags, text);
    }
    painter.setPen(QColor(fromSkinColor(colors.text)));
    painter.drawText(rect, flags, text);
    painter.setPen(pen);
}
