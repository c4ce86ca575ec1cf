// The skin as data and its painting rules, each against values worked out
// by hand from the rules.

#include "skin/Paint.h"
#include "skin/SkinData.h"
#include "skin/masterimage/MasterImage.h"

#include <QFile>
#include <QPainter>
#include <QTest>

using namespace skin;

namespace {

constexpr QRgb kFuchsia = 0xFFFF00FF;

// A skin colour value (red in the low byte) of an RGB triple.
int skinColor(int r, int g, int b) { return r | g << 8 | b << 16; }

QImage filled(QSize size, QRgb color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

} // namespace

class TestSkinRules : public QObject {
    Q_OBJECT
private slots:
    void sectionsAndImagesAreFoundThroughTheParentClass();
    void stateImagesLieSideBySideWithTheirMasksBelow();
    void masterImageIsOursAndStored();

    void damagedBitmapsAreRefused_data();
    void damagedBitmapsAreRefused();
    void gradientTexts_data();
    void gradientTexts();
    void gradientSteps_data();
    void gradientSteps();

    void textureIsTiledFromTheTopLeftCorner();
    void textureGradientAndColourMix_data();
    void textureGradientAndColourMix();
    void transparencyAgainstTheParent_data();
    void transparencyAgainstTheParent();

    void masks_data();
    void masks();
    void framesAreCutIntoThirds();
    void textIsDrawnOverItsContours();
};

void TestSkinRules::sectionsAndImagesAreFoundThroughTheParentClass()
{
    const Skin s = internalSkin();
    QCOMPARE(s.name, QStringLiteral("Desert (internal)"));
    QVERIFY(s.section(QStringLiteral("NOSUCH")) == nullptr);

    // "COMBOBOX" has its own arrow but takes its frame from "EDIT".
    const ImageEntry* frame = s.image(QStringLiteral("COMBOBOX"), QStringLiteral("BORDERSMASK"));
    QVERIFY(frame);
    QCOMPARE(frame->section, QStringLiteral("EDIT"));
    QCOMPARE(frame->rect, QRect(120, 190, 90, 60));
    const ImageEntry* arrow = s.image(QStringLiteral("COMBOBOX"), QStringLiteral("GLYPHMASK"));
    QVERIFY(arrow && arrow->section == QLatin1String("COMBOBOX"));
    QVERIFY(s.image(QStringLiteral("EDIT"), QStringLiteral("GLYPHMASK")) == nullptr);
    QVERIFY(s.image(QStringLiteral("NOSUCH"), QStringLiteral("BORDERSMASK")) == nullptr);

    // Parents that name each other end the search.
    Skin loop;
    for (const auto& [name, parent] : {std::pair{"A", "B"}, std::pair{"B", "A"}}) {
        Section section;
        section.name = QString::fromLatin1(name);
        section.parentClass = QString::fromLatin1(parent);
        loop.sections.insert(section.name, section);
    }
    QVERIFY(loop.image(QStringLiteral("A"), QStringLiteral("BORDERSMASK")) == nullptr);

    // Values as stored: colours with red in the low byte, the five font colours.
    QCOMPARE(s.globalColor(), rgb(119, 171, 202));
    const Section* title = s.section(QStringLiteral("FORMTITLE"));
    QVERIFY(title);
    QCOMPARE(fromSkinColor(title->hot.font.text), rgb(230, 241, 249));
    QCOMPARE(fromSkinColor(title->hot.font.contour[FontColors::Left]), rgb(0, 37, 62));
    QCOMPARE(title->hot.font.contour[FontColors::Right], -1);
    QCOMPARE(fromSkinColor(title->normal.font.contour[FontColors::Bottom]), rgb(151, 207, 244));
    QCOMPARE(title->normal.transparency, 50);
    QCOMPARE(title->hot.transparency, 30);
    const Section* button = s.section(QStringLiteral("BUTTON"));
    QVERIFY(button);
    QCOMPARE(button->normal.transparency, 70);
    QCOMPARE(button->hot.transparency, 50);
    QVERIFY(button->fadingEnabled);
    QCOMPARE(button->fadingIterations, 2);
    QCOMPARE(button->fadingIntervalIn, 5);
    QVERIFY(s.section(QStringLiteral("COMBOBOX"))->showFocus);
}

void TestSkinRules::stateImagesLieSideBySideWithTheirMasksBelow()
{
    const Skin s = internalSkin();
    const ImageEntry* button = s.image(QStringLiteral("BUTTON"), QStringLiteral("BORDERSMASK"));
    QVERIFY(button);
    QCOMPARE(button->stateSize(), QSize(21, 21));
    QCOMPARE(button->stateRect(1), QRect(84, 72, 21, 21));
    QCOMPARE(button->maskRect(1), QRect(84, 93, 21, 21));
    QCOMPARE(button->stateRect(7), QRect(105, 72, 21, 21)); // past the last: the last
    const ImageEntry* edit = s.image(QStringLiteral("EDIT"), QStringLiteral("BORDERSMASK"));
    QCOMPARE(edit->stateSize(), QSize(90, 60)); // mask type 0: the whole height
    QCOMPARE(s.image(QStringLiteral("RADIOBUTTON"), QStringLiteral("GLYPHCHECKED"))->stateSize(), QSize(16, 18));
}

void TestSkinRules::masterImageIsOursAndStored()
{
    const Skin s = internalSkin();
    QCOMPARE(s.master.size(), QSize(304, 250));
    QCOMPARE(s.master.depth(), 8);
    // The stored bitmap is what our drawing gives, pixel for pixel.
    const QImage drawn = drawMasterImage();
    QCOMPARE(drawn.convertToFormat(QImage::Format_RGB32), s.master.convertToFormat(QImage::Format_RGB32));
    // Our reading of the bitmap agrees with Qt's image reader.
    QFile file(QStringLiteral(NORVENA_SOURCE_DIR "/skin/desert.bmp"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(readBitmap8(bytes).convertToFormat(QImage::Format_RGB32),
             QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32));
    // Every image entry lies inside it.
    for (const ImageEntry& entry : s.images)
        QVERIFY2(QRect(0, 0, 304, 250).contains(entry.rect), qPrintable(entry.section + u'.' + entry.property));
}

void TestSkinRules::damagedBitmapsAreRefused_data()
{
    QFile file(QStringLiteral(NORVENA_SOURCE_DIR "/skin/desert.bmp"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a bitmap") << QByteArray("GIF89a").append(good.mid(6));
    QTest::newRow("cut short") << good.left(good.size() - 100);
    QTest::newRow("headers only") << good.left(54);
    QByteArray deep = good;
    deep[28] = 24; // 24 bits per pixel
    QTest::newRow("not 8 bits per pixel") << deep;
    QByteArray packed = good;
    packed[30] = 1; // run-length packed
    QTest::newRow("compressed") << packed;
    QByteArray outside = good;
    outside[outside.size() - 1] = char(250); // past the 59 colours of the table
    QTest::newRow("a pixel past the colour table") << outside;
}

void TestSkinRules::damagedBitmapsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(readBitmap8(bytes).isNull());
}

void TestSkinRules::gradientTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<paint::GradientStep>>("steps");
    using Steps = std::vector<paint::GradientStep>;
    QTest::newRow("empty") << QString() << Steps{};
    QTest::newRow("a blank, as the skin stores no gradient") << QStringLiteral(" ") << Steps{};
    QTest::newRow("four numbers") << QStringLiteral("1;2;3;4") << Steps{};
    QTest::newRow("not numbers") << QStringLiteral("a;b;c;d;e") << Steps{};
    QTest::newRow("one step") << QStringLiteral("255;65280;50;0;9") << Steps{{rgb(255, 0, 0), rgb(0, 255, 0), 50, 0}};
    QTest::newRow("share capped at 100") << QStringLiteral("0;16711680;150;1;0")
                                         << Steps{{rgb(0, 0, 0), rgb(0, 0, 255), 100, 1}};
    QTest::newRow("the panel's, an unfinished group left out")
        << QStringLiteral("15984858;13808000;99;0;0;13808000;13808000;0;0;0;1;2;3")
        << Steps{{rgb(218, 232, 243), rgb(128, 177, 210), 99, 0}, {rgb(128, 177, 210), rgb(128, 177, 210), 0, 0}};
}

void TestSkinRules::gradientTexts()
{
    QFETCH(QString, text);
    QFETCH(std::vector<paint::GradientStep>, steps);
    QCOMPARE(paint::parseGradient(text), steps);
}

void TestSkinRules::gradientSteps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QRgb>>("line"); // the first column (rows) or row (columns)
    const QRgb grey = rgb(9, 9, 9);        // the fill before painting
    QTest::newRow("rows, one step to the far edge")
        << QStringLiteral("0;200;10;0;0") << QSize(1, 5)
        << QList<QRgb>{rgb(0, 0, 0), rgb(50, 0, 0), rgb(100, 0, 0), rgb(150, 0, 0), rgb(200, 0, 0)};
    // The first step covers half of 6 columns; the last one the rest, whatever its share.
    QTest::newRow("columns, the last step reaching the far edge")
        << QStringLiteral("0;100;50;1;0;200;0;10;0;0") << QSize(6, 1)
        << QList<QRgb>{rgb(0, 0, 0), rgb(50, 0, 0), rgb(100, 0, 0), rgb(200, 0, 0), rgb(100, 0, 0), rgb(0, 0, 0)};
    QTest::newRow("the first step's direction decides for all")
        << QStringLiteral("0;100;50;0;0;200;0;10;1;0") << QSize(1, 4)
        << QList<QRgb>{rgb(0, 0, 0), rgb(100, 0, 0), rgb(200, 0, 0), rgb(0, 0, 0)};
    QTest::newRow("a share above 100 covers all")
        << QStringLiteral("0;30;150;0;0;255;255;50;0;0") << QSize(1, 4)
        << QList<QRgb>{rgb(0, 0, 0), rgb(10, 0, 0), rgb(20, 0, 0), rgb(30, 0, 0)};
    QTest::newRow("direction 2 paints nothing")
        << QStringLiteral("0;200;100;2;0") << QSize(1, 3) << QList<QRgb>{grey, grey, grey};
}

void TestSkinRules::gradientSteps()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);
    QFETCH(QList<QRgb>, line);
    QImage image = filled(size, rgb(9, 9, 9));
    paint::paintGradient(image, paint::parseGradient(text));
    for (int i = 0; i < line.size(); ++i) {
        const QPoint p = size.width() == 1 ? QPoint(0, i) : QPoint(i, 0);
        QCOMPARE(QColor(image.pixel(p)), QColor(line[i]));
    }
}

void TestSkinRules::textureIsTiledFromTheTopLeftCorner()
{
    QImage tile(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            tile.setPixel(x, y, rgb(x * 100, y * 100, 7));
    QImage target = filled(QSize(7, 5), 0);
    paint::tile(target, tile);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            QCOMPARE(QColor(target.pixel(x, y)), QColor(tile.pixel(x % 3, y % 2)));

    // The panel: from RGB (218, 232, 243) at the top to (128, 177, 210) over
    // the upper 99 of 100 rows; the last row keeps the end colour.
    StateValues panel;
    panel.color = skinColor(166, 204, 225);
    panel.gradientPercent = 100;
    panel.gradientData = QStringLiteral("15984858;13808000;99;0;0;13808000;13808000;0;0;0");
    const QImage p = paint::background(panel, QSize(2, 100), nullptr, nullptr);
    QCOMPARE(QColor(p.pixel(0, 0)), QColor(rgb(218, 232, 243)));
    QCOMPARE(QColor(p.pixel(1, 49)), QColor(rgb(173, 205, 227))); // (218 × 49 + 128 × 49 + 49) / 98 …
    QCOMPARE(QColor(p.pixel(0, 98)), QColor(rgb(128, 177, 210)));
    QCOMPARE(QColor(p.pixel(0, 99)), QColor(rgb(128, 177, 210)));
}

// Texture 200 (grey), gradient black, colour 60: each channel by the rules.
void TestSkinRules::textureGradientAndColourMix_data()
{
    QTest::addColumn<int>("gradientPercent");
    QTest::addColumn<int>("imagePercent");
    QTest::addColumn<QString>("gradient");
    QTest::addColumn<int>("channel");
    const QString black = QStringLiteral("0;0;100;0;0");
    QTest::newRow("G + I = 0: the colour") << 0 << 0 << black << 60;
    QTest::newRow("texture only, I = 50: half colour") << 0 << 50 << black << 130; // 200/2 + 60/2
    QTest::newRow("texture only, I = 100: unchanged") << 0 << 100 << black << 200;
    QTest::newRow("gradient only, G = 50") << 50 << 0 << black << 30; // 0/2 + 60/2
    QTest::newRow("gradient only, G = 100") << 100 << 0 << black << 0;
    QTest::newRow("G + I = 100: texture and gradient, no colour") << 50 << 50 << black << 100; // 200/2 + 0/2
    QTest::newRow("G = 30, I = 20: mixed, then half colour") << 30 << 20 << black << 50;       // (200 × .2) / 2 + 30
    QTest::newRow("G + I above 100: the colour alone") << 100 << 50 << black << 60;
    QTest::newRow("empty gradient text: the colour") << 100 << 0 << QString() << 60;
    QTest::newRow("gradient of a blank paints nothing") << 50 << 50 << QStringLiteral(" ") << 200;
}

void TestSkinRules::textureGradientAndColourMix()
{
    QFETCH(int, gradientPercent);
    QFETCH(int, imagePercent);
    QFETCH(QString, gradient);
    QFETCH(int, channel);
    StateValues v;
    v.color = skinColor(60, 60, 60);
    v.gradientPercent = gradientPercent;
    v.imagePercent = imagePercent;
    v.gradientData = gradient;
    const QImage texture = filled(QSize(1, 1), rgb(200, 200, 200));
    const QImage out = paint::background(v, QSize(3, 2), &texture, nullptr);
    QCOMPARE(QColor(out.pixel(2, 1)), QColor(rgb(channel, channel, channel)));
}

void TestSkinRules::transparencyAgainstTheParent_data()
{
    QTest::addColumn<int>("transparency");
    QTest::addColumn<bool>("hasParent");
    QTest::addColumn<QRgb>("expected");
    // Parent (0, 100, 200); the control's own result (200, 100, 0).
    QTest::newRow("T = 0: the control") << 0 << true << rgb(200, 100, 0);
    QTest::newRow("T = 25") << 25 << true << rgb(150, 100, 50);
    QTest::newRow("T = 70, the button's white wash of 30%") << 70 << true << rgb(60, 100, 140);
    QTest::newRow("T = 100: the parent only") << 100 << true << rgb(0, 100, 200);
    QTest::newRow("no parent background: the control") << 50 << false << rgb(200, 100, 0);
}

void TestSkinRules::transparencyAgainstTheParent()
{
    QFETCH(int, transparency);
    QFETCH(bool, hasParent);
    QFETCH(QRgb, expected);
    StateValues v;
    v.color = skinColor(200, 100, 0);
    v.transparency = transparency;
    const QImage parent = filled(QSize(2, 2), rgb(0, 100, 200));
    const QImage out = paint::background(v, QSize(2, 2), nullptr, hasParent ? &parent : nullptr);
    QCOMPARE(QColor(out.pixel(1, 1)), QColor(expected));
}

void TestSkinRules::masks_data()
{
    QTest::addColumn<int>("maskType");
    QTest::addColumn<QRgb>("image");
    QTest::addColumn<QRgb>("mask");
    QTest::addColumn<QRgb>("expected");
    // Below: (0, 100, 50).
    QTest::newRow("type 0: fuchsia not drawn") << 0 << kFuchsia << rgb(0, 0, 0) << rgb(0, 100, 50);
    QTest::newRow("type 0: any other colour drawn") << 0 << rgb(100, 0, 200) << rgb(255, 255, 255) << rgb(100, 0, 200);
    QTest::newRow("type 1: fuchsia not drawn") << 1 << kFuchsia << rgb(0, 0, 0) << rgb(0, 100, 50);
    QTest::newRow("type 1: black mask, the image") << 1 << rgb(100, 0, 200) << rgb(0, 0, 0) << rgb(100, 0, 200);
    // 100 + (0 − 100) × 128/256 = 50; 0 + 100 × 128/256 = 50; 200 + (50 − 200) × 128/256 = 125.
    QTest::newRow("type 1: mask 128, half way") << 1 << rgb(100, 0, 200) << rgb(128, 128, 128) << rgb(50, 50, 125);
    // 100 − 25500/256 = 1 (99.6 cut); 25500/256 = 99; 200 − 38250/256 = 51.
    QTest::newRow("type 1: white mask, nearly the background")
        << 1 << rgb(100, 0, 200) << rgb(255, 255, 255) << rgb(1, 99, 51);
    QTest::newRow("type 1: a mask per channel") << 1 << rgb(100, 0, 200) << rgb(0, 255, 128) << rgb(100, 99, 125);
}

void TestSkinRules::masks()
{
    QFETCH(int, maskType);
    QFETCH(QRgb, image);
    QFETCH(QRgb, mask);
    QFETCH(QRgb, expected);
    QImage target = filled(QSize(3, 3), rgb(0, 100, 50));
    paint::drawMasked(target, QPoint(1, 1), filled(QSize(1, 1), image), filled(QSize(1, 1), mask), maskType);
    QCOMPARE(QColor(target.pixel(1, 1)), QColor(expected));
    QCOMPARE(QColor(target.pixel(0, 0)), QColor(rgb(0, 100, 50))); // nothing outside
}

// A 6 x 6 picture in thirds of 2: corners and the two columns (rows) of each
// side's middle third in colours of their own; a frame of 11 x 7.
void TestSkinRules::framesAreCutIntoThirds()
{
    QImage picture = filled(QSize(6, 6), kFuchsia);
    const QRgb tl = rgb(1, 0, 0), tr = rgb(2, 0, 0), bl = rgb(3, 0, 0), br = rgb(4, 0, 0);
    const QRgb topA = rgb(10, 0, 0), topB = rgb(11, 0, 0), leftA = rgb(20, 0, 0), leftB = rgb(21, 0, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const int cx = x / 2, cy = y / 2;
            QRgb c = kFuchsia;
            if (cx == 0 && cy == 0)
                c = tl;
            else if (cx == 2 && cy == 0)
                c = tr;
            else if (cx == 0 && cy == 2)
                c = bl;
            else if (cx == 2 && cy == 2)
                c = br;
            else if (cy == 0 && cx == 1)
                c = x == 2 ? topA : topB;
            else if (cx == 0 && cy == 1)
                c = y == 2 ? leftA : leftB;
            else if (cx == 1 && cy == 1)
                c = rgb(99, 99, 99); // the middle: never drawn
            else
                c = rgb(50, 0, 0); // right and bottom sides
            picture.setPixel(x, y, c);
        }
    const QRgb background = rgb(0, 0, 200);
    QImage target = filled(QSize(13, 9), background);
    paint::drawFrame(target, QRect(1, 1, 11, 7), picture, QImage(), ImageEntry::Fuchsia);

    QCOMPARE(target.pixel(0, 0), background); // outside the rectangle
    QCOMPARE(target.pixel(1, 1), tl);         // corners unchanged
    QCOMPARE(target.pixel(2, 2), tl);
    QCOMPARE(target.pixel(11, 1), tr);
    QCOMPARE(target.pixel(1, 7), bl);
    QCOMPARE(target.pixel(11, 7), br);
    // The top side repeats A, B from x = 3 to 9, the last repetition cut to one column.
    const QRgb top[] = {topA, topB, topA, topB, topA, topB, topA};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(target.pixel(3 + i, 1), top[i]);
    // The left side: rows 3 to 5, A, B, A.
    QCOMPARE(target.pixel(1, 3), leftA);
    QCOMPARE(target.pixel(1, 4), leftB);
    QCOMPARE(target.pixel(1, 5), leftA);
    QCOMPARE(target.pixel(6, 4), background); // the middle stays
}

// Text drawn over its contours: with a red contour on the left and a blue one
// below, the pixel left of the text's leftmost ink is red, the one below its
// lowest ink blue, and the ink itself keeps the text colour.
void TestSkinRules::textIsDrawnOverItsContours()
{
    QFont font;
    font.setPixelSize(20);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    const QRect rect(0, 0, 40, 30);
    auto draw = [&](const FontColors& colors) {
        QImage image = filled(rect.size(), rgb(255, 255, 255));
        QPainter p(&image);
        p.setFont(font);
        paint::drawText(p, rect, Qt::AlignCenter, QStringLiteral("I"), colors);
        return image;
    };
    FontColors plain;
    const QImage ink = draw(plain);
    QRect inked;
    for (int y = 0; y < ink.height(); ++y)
        for (int x = 0; x < ink.width(); ++x)
            if (ink.pixel(x, y) == rgb(0, 0, 0))
                inked |= QRect(x, y, 1, 1);
    QVERIFY(!inked.isEmpty());

    FontColors contoured;
    contoured.contour = {skinColor(255, 0, 0), -1, -1, skinColor(0, 0, 255)};
    const QImage image = draw(contoured);
    const int middleRow = inked.center().y(), middleColumn = inked.center().x();
    QCOMPARE(image.pixel(inked.left() - 1, middleRow), rgb(255, 0, 0));
    QCOMPARE(image.pixel(middleColumn, inked.bottom() + 1), rgb(0, 0, 255));
    QCOMPARE(image.pixel(inked.right() + 1, middleRow), rgb(255, 255, 255)); // no contour on the right
    QCOMPARE(image.pixel(inked.center()), rgb(0, 0, 0));
}

QTEST_MAIN(TestSkinRules)
#include "tst_skinrules.moc"
