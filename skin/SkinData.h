#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QString>

#include <array>

// The skin as data: its sections (the values by which a control or a window
// is painted, normal and hot), its image entries (frames, glyphs, textures,
// each a rectangle of the master image) and the master image itself.
namespace skin {

// A colour as the skin stores it: a 24-bit value with red in the low byte.
QRgb fromSkinColor(int value);

// A text colour with its contour colours, from a text of five numbers: the
// text colour, then the contours on the left, top, right and bottom side;
// -1 means no contour on that side.
struct FontColors {
    enum Side { Left, Top, Right, Bottom };
    int text = 0;
    std::array<int, 4> contour{-1, -1, -1, -1};

    static FontColors parse(const QString& text);
};

// The values of one state (normal or hot) of a section.
struct StateValues {
    int color = 0xFFFFFF;
    FontColors font;
    int transparency = 0;
    int gradientPercent = 0;
    QString gradientData;
    int imagePercent = 0;
};

struct Section {
    QString name;
    QString parentClass;
    StateValues normal;
    StateValues hot;
    bool showFocus = false;
    bool fadingEnabled = false;
    int fadingIntervalIn = 0;
    int fadingIntervalOut = 0;
    int fadingIterations = 0;

    const StateValues& values(bool hotState) const { return hotState ? hot : normal; }
};

// One image of a section: a rectangle of the master image holding
// imageCount state images side by side.
struct ImageEntry {
    enum MaskType { Fuchsia = 0, LowerHalf = 1 };
    QString section;
    QString property;
    QRect rect; // in the master image
    int imageCount = 1;
    int maskType = Fuchsia;
    int borderWidth = 0;

    // Size of one state image (without its mask).
    QSize stateSize() const;
    // Rectangle of a state image in the master image; a state past the last
    // image gives the last.
    QRect stateRect(int state) const;
    // Rectangle of its mask (mask type 1: directly below the image).
    QRect maskRect(int state) const;
};

class Skin {
public:
    QString name;
    QHash<QString, Section> sections;
    QList<ImageEntry> images;
    QImage master; // 8 bits per pixel, as stored

    // The section of that name, or null.
    const Section* section(const QString& name) const;
    // The image under the section or, failing that, under its ParentClass,
    // recursively; null when no section in the chain has it.
    const ImageEntry* image(const QString& section, const QString& property) const;
    // The master image as 32-bit pixels, converted once.
    const QImage& pixels() const;

    // The colour of "GLOBALINFO", which windows take as their own.
    QRgb globalColor() const;

private:
    mutable QImage m_pixels;
};

// An 8-bit bitmap file (uncompressed, with its colour table) as an indexed
// image; a null image when the bytes are not such a file.
QImage readBitmap8(const QByteArray& bytes);

// The skin stored with the main window, "Desert (internal)". Its master
// image is skin/desert.bmp, drawn by drawMasterImage() (MasterImage.h).
Skin internalSkin();

inline constexpr const char* kInternalSkinName = "Desert (internal)";

} // namespace skin
