#include "skin/SkinData.h"

#include <QFile>
#include <QStringList>
#include <QtEndian>

QRgb skin::fromSkinColor(int value) { return qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

skin::FontColors skin::FontColors::parse(const QString& text)
{
    FontColors colors;
    const QStringList numbers = text.simplified().split(u' ', Qt::SkipEmptyParts);
    if (!numbers.isEmpty())
        colors.text = numbers[0].toInt();
    for (int side = 0; side < 4 && side + 1 < numbers.size(); ++side)
        colors.contour[side] = numbers[side + 1].toInt();
    return colors;
}

QSize skin::ImageEntry::stateSize() const
{
    const int count = qMax(1, imageCount);
    const int height = maskType == LowerHalf ? rect.height() / 2 : rect.height();
    return {rect.width() / count, height};
}

QRect skin::ImageEntry::stateRect(int state) const
{
    const int last = qMax(1, imageCount) - 1;
    const QSize size = stateSize();
    return QRect(rect.left() + qBound(0, state, last) * size.width(), rect.top(), size.width(), size.height());
}

QRect skin::ImageEntry::maskRect(int state) const { return stateRect(state).translated(0, stateSize().height()); }

const skin::Section* skin::Skin::section(const QString& name) const
{
    const auto it = sections.constFind(name);
    return it == sections.constEnd() ? nullptr : &*it;
}

const skin::ImageEntry* skin::Skin::image(const QString& sectionName, const QString& property) const
{
    QString name = sectionName;
    // A chain of parents longer than the skin's sections has a loop.
    for (qsizetype hops = 0; !name.isEmpty() && hops <= sections.size(); ++hops) {
        for (const ImageEntry& entry : images)
            if (entry.section == name && entry.property == property)
                return &entry;
        const Section* s = section(name);
        if (!s)
            break;
        name = s->parentClass;
    }
    return nullptr;
}

const QImage& skin::Skin::pixels() const
{
    if (m_pixels.isNull() && !master.isNull())
        m_pixels = master.convertToFormat(QImage::Format_RGB32);
    return m_pixels;
}

QRgb skin::Skin::globalColor() const
{
    const Section* global = section(QStringLiteral("GLOBALINFO"));
    return fromSkinColor(global ? global->normal.color : 0xFFFFFF);
}

namespace {

// One section as the skin stores it; the hot values default to the normal ones.
struct SectionRow {
    const char* name;
    const char* parentClass;
    int color, transparency, gradientPercent, imagePercent;
    const char* fontColor;
    const char* gradientData;
    int hotTransparency = -1;
    const char* hotFontColor = nullptr;
    const char* hotGradientData = nullptr;
    bool showFocus = false;
    int fadingIterations = 0;
    int fadingInterval = 0;
};

constexpr int kWhite = 16777215;
constexpr const char* kBlack = "0 -1 -1 -1 -1";
constexpr const char* kNoGradient = " ";

constexpr const char* kTitleGradient =
    "7754286;16777215;9;0;0;16777215;9661497;17;0;0;9661497;14661514;73;0;0;14661514;14661514;0;0;0";
constexpr const char* kTitleHotGradient =
    "16777215;7422208;22;0;0;7422208;10772992;40;0;0;10772992;16761199;37;0;0;16761199;16761199;0;0;0";
constexpr const char* kPanelGradient = "15984858;13808000;99;0;0;13808000;13808000;0;0;0";

const SectionRow kSections[] = {
    {"GLOBALINFO", "", 13282167, 0, 0, 0, kBlack, kNoGradient},
    {"FORM", "", 13679769, 0, 0, 100, kBlack, kNoGradient},
    {"FORMTITLE", "", kWhite, 50, 100, 0, "6636336 -1 -1 16043927 16043927", kTitleGradient, 30,
     "16380390 4072704 4072704 -1 -1", kTitleHotGradient},
    {"PANEL", "", 14797990, 50, 100, 0, kBlack, kPanelGradient},
    {"BUTTON", "", kWhite, 70, 0, 0, "4468738 -1 -1 -1 -1", kNoGradient, 50, "0 16777215 16777215 -1 -1", nullptr,
     false, 2, 5},
    {"EDIT", "", kWhite, 0, 0, 0, kBlack, kNoGradient},
    {"COMBOBOX", "EDIT", kWhite, 0, 0, 0, kBlack, kNoGradient, -1, nullptr, nullptr, true},
    {"GROUPBOX", "", 14215660, 100, 0, 0, kBlack, kNoGradient},
    {"RADIOBUTTON", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBAR1H", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBAR1V", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBAR2H", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBAR2V", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBTNTOP", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBTNBOTTOM", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBTNLEFT", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLBTNRIGHT", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLSLIDERH", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
    {"SCROLLSLIDERV", "", kWhite, 100, 0, 0, kBlack, kNoGradient},
};

struct ImageRow {
    const char* section;
    const char* property;
    int left, top, right, bottom;
    int imageCount;
    int maskType;
    int borderWidth = 0;
};

const ImageRow kImages[] = {
    {"FORM", "BORDERSMASK", 135, 60, 147, 72, 1, 0, 4},
    {"FORM", "PATTERN", 210, 188, 304, 250, 3, 1},
    {"FORM", "HOTPATTERN", 210, 188, 304, 250, 3, 1},
    {"FORM", "TITLEBUTTON", 0, 114, 60, 154, 3, 1},
    {"FORM", "BICONMIN", 61, 114, 121, 154, 3, 1},
    {"FORM", "BICONMAX", 122, 114, 182, 154, 3, 1},
    {"FORM", "BICONNORM", 122, 114, 182, 154, 3, 1},
    {"FORM", "BICONCLOSE", 244, 114, 304, 154, 3, 1},
    {"FORM", "BICONHELP", 183, 114, 243, 154, 3, 1},
    {"FORM", "GRIPIMAGE", 252, 0, 270, 36, 1, 1},
    {"FORMTITLE", "BORDERSMASK", 231, 60, 261, 114, 1, 1},
    {"PANEL", "BORDERSMASK", 189, 72, 210, 114, 1, 1},
    {"BUTTON", "BORDERSMASK", 63, 72, 126, 114, 3, 1},
    {"EDIT", "BORDERSMASK", 120, 190, 210, 250, 1, 0},
    {"COMBOBOX", "GLYPHMASK", 195, 154, 252, 188, 3, 1},
    {"GROUPBOX", "BORDERSMASK", 63, 72, 105, 114, 2, 1},
    {"RADIOBUTTON", "GLYPHCHECKED", 49, 154, 97, 190, 3, 1},
    {"RADIOBUTTON", "GLYPHUNCHECKED", 0, 154, 48, 190, 3, 1},
    // The scroll bars: grooves, sliders, the buttons at both ends and their arrows.
    {"SCROLLBAR1H", "BORDERSMASK", 195, 0, 216, 42, 1, 1},
    {"SCROLLBAR1V", "BORDERSMASK", 195, 0, 216, 42, 1, 1},
    {"SCROLLBAR2H", "BORDERSMASK", 195, 0, 216, 42, 1, 1},
    {"SCROLLBAR2V", "BORDERSMASK", 195, 0, 216, 42, 1, 1},
    {"SCROLLSLIDERH", "BORDERSMASK", 0, 0, 63, 42, 3, 1},
    {"SCROLLSLIDERV", "BORDERSMASK", 0, 0, 63, 42, 3, 1},
    {"SCROLLBTNTOP", "BORDERSMASK", 0, 0, 63, 42, 3, 1},
    {"SCROLLBTNBOTTOM", "BORDERSMASK", 0, 0, 63, 42, 3, 1},
    {"SCROLLBTNLEFT", "BORDERSMASK", 0, 0, 63, 42, 3, 1},
    {"SCROLLBTNRIGHT", "BORDERSMASK", 0, 0, 63, 42, 3, 1},
    {"SCROLLBTNTOP", "GLYPHMASK", 63, 0, 96, 22, 3, 1},
    {"SCROLLBTNBOTTOM", "GLYPHMASK", 96, 0, 129, 22, 3, 1},
    {"SCROLLBTNLEFT", "GLYPHMASK", 129, 0, 162, 22, 3, 1},
    {"SCROLLBTNRIGHT", "GLYPHMASK", 162, 0, 195, 22, 3, 1},
};

skin::StateValues valuesOf(int color, int transparency, int gradientPercent, int imagePercent, const char* font,
                           const char* gradient)
{
    skin::StateValues v;
    v.color = color;
    v.transparency = transparency;
    v.gradientPercent = gradientPercent;
    v.imagePercent = imagePercent;
    v.font = skin::FontColors::parse(QString::fromLatin1(font));
    v.gradientData = QString::fromLatin1(gradient);
    return v;
}

} // namespace

skin::Skin skin::internalSkin()
{
    Skin s;
    s.name = QString::fromLatin1(kInternalSkinName);
    for (const SectionRow& row : kSections) {
        Section section;
        section.name = QString::fromLatin1(row.name);
        section.parentClass = QString::fromLatin1(row.parentClass);
        section.normal = valuesOf(row.color, row.transparency, row.gradientPercent, row.imagePercent, row.fontColor,
                                  row.gradientData);
        section.hot =
            valuesOf(row.color, row.hotTransparency >= 0 ? row.hotTransparency : row.transparency, row.gradientPercent,
                     row.imagePercent, row.hotFontColor ? row.hotFontColor : row.fontColor,
                     row.hotGradientData ? row.hotGradientData : row.gradientData);
        section.showFocus = row.showFocus;
        section.fadingEnabled = row.fadingIterations > 0;
        section.fadingIterations = row.fadingIterations;
        section.fadingIntervalIn = row.fadingInterval;
        section.fadingIntervalOut = row.fadingInterval;
        s.sections.insert(section.name, section);
    }
    for (const ImageRow& row : kImages) {
        ImageEntry entry;
        entry.section = QString::fromLatin1(row.section);
        entry.property = QString::fromLatin1(row.property);
        entry.rect = QRect(row.left, row.top, row.right - row.left, row.bottom - row.top);
        entry.imageCount = row.imageCount;
        entry.maskType = row.maskType;
        entry.borderWidth = row.borderWidth;
        s.images.append(entry);
    }
    // Read here rather than through Qt's image readers, whose plugins the
    // program would otherwise look for at start-up for this one bitmap.
    QFile file(QStringLiteral(":/skin/desert.bmp"));
    if (file.open(QIODevice::ReadOnly))
        s.master = readBitmap8(file.readAll());
    return s;
}

QImage skin::readBitmap8(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(data + at); };
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(data + at); };
    auto i32 = [&](qsizetype at) { return qFromLittleEndian<qint32>(data + at); };
    constexpr qsizetype kFileHeader = 14, kInfoHeader = 40;
    if (size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M')
        return {};
    const quint32 offset = u32(10);
    const quint32 infoSize = u32(14);
    const qint32 width = i32(18), height = i32(22);
    if (infoSize < kInfoHeader || u16(26) != 1 || u16(28) != 8 || u32(30) != 0 || width <= 0 || height == 0 ||
        width > 4096 || qAbs(height) > 4096)
        return {};
    quint32 colors = u32(46);
    if (colors == 0 || colors > 256)
        colors = 256;
    const qsizetype table = kFileHeader + infoSize;
    const qsizetype stride = (qsizetype(width) + 3) / 4 * 4;
    const int rows = qAbs(height);
    if (table + qsizetype(colors) * 4 > size || qsizetype(offset) + stride * rows > size)
        return {};
    QImage image(width, rows, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (quint32 i = 0; i < colors; ++i) {
        const uchar* entry = data + table + i * 4; // blue, green, red, unused
        palette.append(qRgb(entry[2], entry[1], entry[0]));
    }
    image.setColorTable(palette);
    for (int y = 0; y < rows; ++y) {
        const uchar* line = data + offset + stride * (height > 0 ? rows - 1 - y : y); // stored bottom up
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (line[x] >= colors)
                return {};
            out[x] = line[x];
        }
    }
    return image;
}
