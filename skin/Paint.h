#pragma once

#include "skin/SkinData.h"

#include <QImage>
#include <QRgb>
#include <QString>

#include <vector>

class QPainter;
class QRect;

// The rules by which the skin's values become pixels. Each works on 32-bit
// images (QImage::Format_RGB32 or ARGB32) and knows nothing of widgets.
namespace skin::paint {

// a × percent/100 + b × (1 − percent/100), per channel, rounded.
QRgb mix(QRgb a, QRgb b, int percent);

// The texture tile repeated from the top-left corner of the image, clipped
// at its right and bottom edges.
void tile(QImage& target, const QImage& texture);

// One step of a gradient text.
struct GradientStep {
    QRgb from = 0;
    QRgb to = 0;
    int share = 0; // percent, at most 100
    int direction = 0;
    bool operator==(const GradientStep&) const = default;
};

// A gradient text: decimal numbers separated by ";", five to a step (start
// colour, end colour, share, direction, an unread number). Fewer than five
// numbers, or a text that is not such a list, give no steps.
std::vector<GradientStep> parseGradient(const QString& text);

// Paints the steps over the whole image: the first step's direction decides
// for all (0 rows top to bottom, 1 columns left to right, other values paint
// nothing); each step covers its share, the last one reaching the far edge.
void paintGradient(QImage& target, const std::vector<GradientStep>& steps);

// The background of a control or window in one state: texture (image
// percent I), gradient (gradient percent G) and colour mixed, then made
// transparent against the parent's background (null: no parent background).
// texture may be null when I is 0.
QImage background(const StateValues& values, QSize size, const QImage* texture, const QImage* parent);

// Draws a state image (or any picture) at a place: mask type 0 leaves its
// fuchsia pixels out; mask type 1 leaves them out too and mixes every other
// pixel with what lies below by its mask: image + (below − image) × mask/256.
// mask is used with mask type 1 only and has the picture's size.
void drawMasked(QImage& target, QPoint at, const QImage& picture, const QImage& mask, int maskType);

// A frame from a state image cut into thirds: the corners drawn unchanged at
// the corners of the rectangle, each side repeating the middle third of that
// side along the edge, the last repetition cut to fit. The middle stays.
void drawFrame(QImage& target, const QRect& rect, const QImage& picture, const QImage& mask, int maskType);

// A state image of an entry and its mask, cut from the master image.
QImage statePicture(const QImage& master, const ImageEntry& entry, int state);
QImage stateMask(const QImage& master, const ImageEntry& entry, int state);

// Text in the contour colours that are not -1, shifted one pixel left, up,
// right and down in that order, then in the text colour in place.
void drawText(QPainter& painter, const QRect& rect, int flags, const QString& text, const FontColors& colors);

} // namespace skin::paint
