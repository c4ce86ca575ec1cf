// The skin on the program's windows: frames and title bars of the skinned
// windows, their places and sizes, the title buttons and edges, and pixels
// of skinned and unskinned controls.

#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "app/Unit3.h"
#include "forms/Unit1.h"
#include "forms/Unit10.h"
#include "forms/Unit2.h"
#include "forms/Unit5.h"
#include "forms/Unit6.h"
#include "forms/Unit7.h"
#include "forms/Unit8.h"
#include "forms/Unit9.h"
#include "skin/Engine.h"
#include "skin/SkinStyle.h"
#include "skin/WindowFrame.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>
#include <QTreeView>

using skin::Engine;
using skin::WindowFrame;

namespace {

QWidget* windowNamed(const QString& name)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Form1, Form6, Form7, Form8, Form9, Form10, Form2, Form3, Form5})
        if (w && w->objectName() == name)
            return w;
    return nullptr;
}

int brightness(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); }

bool contains(const QImage& image, const QRect& area, QRgb color)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
                return true;
    return false;
}

// What the skin's rules draw for a control: its background (transparency
// against its parent included) with its section's frame around the rectangle.
QImage framedBackground(QWidget* control, const QString& section, const QRect& frame)
{
    QImage image = Engine::instance()->backgroundOf(control);
    Engine::instance()->drawFrame(image, frame, section, 0);
    return image;
}

// The places of a band of the image where the two differ, as "x,y".
QStringList differences(const QImage& shown, const QImage& expected, const QRect& band)
{
    QStringList places;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x)
            if ((shown.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF))
                places << QStringLiteral("%1,%2").arg(x).arg(y);
    return places;
}

// The window texture's pixel at a place of a window's client area: the
// texture tiled from the client area's top-left corner.
QRgb texturePixel(QPoint inWindow)
{
    const skin::Skin& s = Engine::instance()->skin();
    const QRect tile = s.image(QStringLiteral("FORM"), QStringLiteral("PATTERN"))->rect;
    return s.pixels().pixel(tile.left() + inWindow.x() % tile.width(), tile.top() + inWindow.y() % tile.height());
}

} // namespace

class TestSkin : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void skinnedWindowsGetFramesAtTheirOuterPlace_data();
    void skinnedWindowsGetFramesAtTheirOuterPlace();
    void unskinnedWindowsAndControlsKeepTheSystemLook();
    void markedControlsAndLaterWindowsAreSkinned();
    void titleBarActiveAndInactive();
    void titleButtonsAndEdgesWorkTheWindow();
    void hotButtonIsLighterWithContouredTextAndFades();
    void groupBoxShowsTheWindowBackground();
    void groupBoxEdgesStayWholeBesideTheCaption_data();
    void groupBoxEdgesStayWholeBesideTheCaption();
    void memoShowsTheWholeEditFrame_data();
    void memoShowsTheWholeEditFrame();
    void topicComboShowsItsArrowAndFocus();
    void labelsShowTheirWindowsColour_data();
    void labelsShowTheirWindowsColour();
    void treeFramesOnlyASelectedNode();

private:
    CourseFixture* course = nullptr;
};

void TestSkin::init()
{
    course = new CourseFixture;
    course->start();
}

void TestSkin::cleanup()
{
    delete course;
    course = nullptr;
}

void TestSkin::skinnedWindowsGetFramesAtTheirOuterPlace_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QRect>("outer");
    QTest::addColumn<QList<int>>("buttons"); // WindowFrame::Button, from the right
    const QList<int> all{WindowFrame::Close, WindowFrame::Maximize, WindowFrame::Minimize};
    // The main window: client area 815 x 575 at 3, 3, no title buttons at all.
    QTest::newRow("TForm1") << "TForm1" << QRect(3, 3, 823, 609) << QList<int>{};
    QTest::newRow("TForm6") << "TForm6" << QRect(250, 80, 794, 638) << all;
    QTest::newRow("TForm7") << "TForm7" << QRect(361, 139, 439, 248) << all;
    QTest::newRow("TForm8") << "TForm8" << QRect(196, 49, 803, 618) << all;
    QTest::newRow("TForm9") << "TForm9" << QRect(204, 97, 702, 498) << all;
    QTest::newRow("TForm10") << "TForm10" << QRect(344, 139, 426, 339) << all;
}

// Shown, the window's frame takes its stated outer place and size, and the
// client area, of the size it had, lies in it below the title bar.
void TestSkin::skinnedWindowsGetFramesAtTheirOuterPlace()
{
    QFETCH(QString, window);
    QFETCH(QRect, outer);
    QFETCH(QList<int>, buttons);
    auto* form = qobject_cast<Form*>(windowNamed(window));
    QVERIFY(form);
    const QSize client = form->size();
    QCOMPARE(client, outer.size() - QSize(8, 34));
    QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));

    form->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    WindowFrame* frame = Engine::instance()->frameOf(form);
    QVERIFY(frame);
    QVERIFY(frame->isVisible());
    QCOMPARE(frame->geometry(), outer);
    QCOMPARE(form->geometry(), QRect(outer.topLeft() + QPoint(4, 30), client));
    QList<int> shown;
    for (WindowFrame::Button b : frame->buttons())
        shown << b;
    QCOMPARE(shown, buttons);

    // Hidden and shown again, it stays where it is.
    form->hide();
    QVERIFY(!frame->isVisible());
    form->show();
    QCOMPARE(frame->geometry(), outer);
}

void TestSkin::unskinnedWindowsAndControlsKeepTheSystemLook()
{
    QStyle* system = QApplication::style();
    for (QWidget* w : std::initializer_list<QWidget*>{Form2, Form3, Form5}) {
        QVERIFY(!w->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(!Engine::instance()->frameOf(w));
    }
    // Controls that name no section, on skinned windows too.
    for (QWidget* w : std::initializer_list<QWidget*>{Form1->Button2, Form1->ListBox1, Form1->Edit3,
                                                      Form1->materialButton(QStringLiteral("Button10")), Form7->Edit1})
        QVERIFY2(!qobject_cast<skin::SkinStyle*>(w->style()), qPrintable(w->objectName()));
    QVERIFY(qobject_cast<skin::SkinStyle*>(Form1->sPanel2->style()));
    QVERIFY(qobject_cast<skin::SkinStyle*>(Form6->sButton1->style()));

    // A message box over a skinned window: the system's style and colours.
    Form6->showAndRaise();
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), QStringLiteral("Текст"), QMessageBox::Ok,
                    Form6);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.style(), system);
    QCOMPARE(box.button(QMessageBox::Ok)->style(), system);
    QVERIFY(!Engine::instance()->frameOf(&box));
    const QImage shot = box.grab().toImage();
    QCOMPARE(QColor(shot.pixel(1, 1)), box.palette().color(QPalette::Window));
}

// The skin is loaded once; a window marked after that takes the skin's
// colour and a frame, and a control marked later is drawn by the skin.
void TestSkin::markedControlsAndLaterWindowsAreSkinned()
{
    QCOMPARE(Engine::loadInternalSkin(nullptr), Engine::instance());
    QCOMPARE(Form1->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    QCOMPARE(Form6->palette().color(QPalette::Window), QColor(119, 171, 202));

    Form late;
    late.setProperty("skinSection", "FORM");
    QCOMPARE(late.palette().color(QPalette::Window), QColor(119, 171, 202));
    auto* button = new QPushButton(QStringLiteral("Новая"), &late);
    button->setGeometry(10, 10, 100, 25);
    QCOMPARE(button->style(), QApplication::style());
    button->setProperty("skinSection", "BUTTON");
    QVERIFY(qobject_cast<skin::SkinStyle*>(button->style()));
    late.show();
    QVERIFY(Engine::instance()->frameOf(&late));
    QVERIFY(Engine::instance()->frameOf(&late)->isVisible());

    // A window marked while shown stays shown, now in its frame.
    Form shown;
    shown.show();
    shown.setProperty("skinSection", "FORM");
    QVERIFY(shown.isVisible());
    QVERIFY(shown.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(Engine::instance()->frameOf(&shown) && Engine::instance()->frameOf(&shown)->isVisible());
}

// The active window's title bar: hot gradient, near-white text with a dark
// contour on the left and top; an inactive one: normal gradient, dark text
// with a light contour on the right and bottom.
void TestSkin::titleBarActiveAndInactive()
{
    Form6->showAndRaise();
    WindowFrame* frame = Engine::instance()->frameOf(Form6);
    QVERIFY(frame);
    const QImage active = frame->render(true);
    const QImage inactive = frame->render(false);
    const QRect text(frame->titleRect().left(), frame->titleRect().top(), 200, frame->titleRect().height());
    QVERIFY(contains(active, text, qRgb(230, 241, 249)));
    QVERIFY(contains(active, text, qRgb(0, 37, 62)));
    QVERIFY(!contains(active, text, qRgb(48, 67, 101)));
    QVERIFY(contains(inactive, text, qRgb(48, 67, 101)));
    QVERIFY(contains(inactive, text, qRgb(151, 207, 244)));
    QVERIFY(!contains(inactive, text, qRgb(230, 241, 249)));
    // Half way down the bar, right of the caption: the hot gradient runs
    // through dark blue there, the normal one through a pale one.
    const QPoint probe(frame->titleRect().center().x(), frame->titleRect().top() + 12);
    QVERIFY2(qRed(active.pixel(probe)) + 40 < qRed(inactive.pixel(probe)),
             qPrintable(QColor(active.pixel(probe)).name() + u' ' + QColor(inactive.pixel(probe)).name()));
    // Both bars lie over the frame's picture only in the title bar: the
    // border around is the same.
    QCOMPARE(active.pixel(1, frame->height() / 2), inactive.pixel(1, frame->height() / 2));
}

void TestSkin::titleButtonsAndEdgesWorkTheWindow()
{
    Form6->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(Form6));
    WindowFrame* frame = Engine::instance()->frameOf(Form6);
    QVERIFY(frame);
    const QRect start = Form6->geometry();

    // Dragged by the title bar, the window and its frame move together.
    const QPoint grip = frame->titleRect().center() - QPoint(100, 0);
    QTest::mousePress(frame, Qt::LeftButton, {}, grip);
    QTest::mouseMove(frame, grip + QPoint(30, 20));
    QTest::mouseRelease(frame, Qt::LeftButton, {}, grip); // the pointer went along with the frame
    QCOMPARE(Form6->geometry(), start.translated(30, 20));
    QCOMPARE(frame->geometry(), Form6->geometry().marginsAdded(WindowFrame::kMargins));

    // Its bottom right corner resizes it; the panel stays on the bottom edge.
    const QPoint corner(frame->width() - 2, frame->height() - 2);
    QTest::mousePress(frame, Qt::LeftButton, {}, corner);
    QTest::mouseMove(frame, corner + QPoint(20, 10));
    QTest::mouseRelease(frame, Qt::LeftButton, {}, corner + QPoint(20, 10));
    QCOMPARE(Form6->size(), start.size() + QSize(20, 10));
    QCOMPARE(Form6->sPanel1->geometry(), QRect(0, start.height() + 10 - 454, start.width() + 20, 454));
    QCOMPARE(frame->size(), Form6->size() + QSize(8, 34));

    // The main window is not sizeable: its corner does nothing.
    Form1->showAndRaise();
    WindowFrame* mainFrame = Engine::instance()->frameOf(Form1);
    const QSize mainSize = Form1->size();
    const QPoint mainCorner(mainFrame->width() - 2, mainFrame->height() - 2);
    QTest::mousePress(mainFrame, Qt::LeftButton, {}, mainCorner);
    QTest::mouseMove(mainFrame, mainCorner + QPoint(20, 10));
    QTest::mouseRelease(mainFrame, Qt::LeftButton, {}, mainCorner + QPoint(20, 10));
    QCOMPARE(Form1->size(), mainSize);

    // Minimise, then close by the title buttons (a click on each).
    const QPoint minimise = frame->buttonRect(WindowFrame::Minimize).center();
    QTest::mouseClick(frame, Qt::LeftButton, {}, minimise);
    QVERIFY(Form6->isMinimized());
    Form6->showNormal();
    QVERIFY(!Form6->isMinimized());
    QTest::mouseClick(frame, Qt::LeftButton, {}, frame->buttonRect(WindowFrame::Close).center());
    QVERIFY(!Form6->isVisible());
    QVERIFY(!frame->isVisible());
}

// A button under the pointer (or with the focus) turns lighter, its text
// black with a white contour on the left and top, after a cross-fade.
void TestSkin::hotButtonIsLighterWithContouredTextAndFades()
{
    Form6->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(Form6));
    QPushButton* button = Form6->sButton1;
    const QPoint spot(4, 4); // inside the frame, away from the text
    const QImage normal = button->grab().toImage();
    const QImage parent = Engine::instance()->parentBackgroundOf(button);
    QVERIFY(!parent.isNull());
    // The white wash of 30% over what lies below.
    auto washed = [&parent, spot](int percent) {
        const QRgb below = parent.pixel(spot);
        auto channel = [percent](int c) { return (c * (100 - percent) + 255 * percent + 50) / 100; };
        return qRgb(channel(qRed(below)), channel(qGreen(below)), channel(qBlue(below)));
    };
    QCOMPARE(QColor(normal.pixel(spot)), QColor(washed(30)));
    QVERIFY(contains(normal, normal.rect(), qRgb(2, 48, 68))); // the normal text colour
    QVERIFY(!contains(normal, normal.rect(), qRgb(0, 0, 0)));

    button->setFocus();
    QTRY_COMPARE(QColor(button->grab().toImage().pixel(spot)), QColor(washed(50)));
    const QImage hot = button->grab().toImage();
    QVERIFY(brightness(hot.pixel(spot)) > brightness(normal.pixel(spot)));
    QVERIFY(contains(hot, hot.rect(), qRgb(0, 0, 0)));
    QVERIFY(contains(hot, hot.rect(), qRgb(255, 255, 255)));
    QVERIFY(!contains(hot, hot.rect(), qRgb(2, 48, 68)));

    // The frame's state images: normal, hot, pressed (its outer line).
    const QPoint line(0, 12);
    QCOMPARE(QColor(normal.pixel(line)), QColor(66, 104, 150));
    QCOMPARE(QColor(hot.pixel(line)), QColor(28, 108, 200));
    button->setDown(true);
    QTRY_COMPARE(QColor(button->grab().toImage().pixel(line)), QColor(28, 58, 108));
    button->setDown(false);
    QTRY_COMPARE(QColor(button->grab().toImage().pixel(line)), QColor(28, 108, 200));

    // Leaving the hot state fades: the first picture after the change is the
    // old one, and the normal one follows within a few steps of 5 ms.
    Form6->sEdit1->setFocus();
    QCOMPARE(QColor(button->grab().toImage().pixel(spot)), QColor(washed(50)));
    QTRY_COMPARE(QColor(button->grab().toImage().pixel(spot)), QColor(washed(30)));
}

// A group box shows the window's background through its body: only its frame
// and caption are drawn.
void TestSkin::groupBoxShowsTheWindowBackground()
{
    Form6->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(Form6));
    QGroupBox* box = Form6->sGroupBox2;
    const QImage shot = box->grab().toImage();
    for (const QPoint inBox : {QPoint(5, 40), QPoint(300, 66), QPoint(760, 50)}) {
        const QPoint inWindow = box->mapTo(Form6, inBox);
        QCOMPARE(QColor(shot.pixel(inBox)), QColor(texturePixel(inWindow)));
    }
    // The window itself: the texture from its top-left corner.
    const QImage window = Form6->grab(QRect(0, 0, 120, 80)).toImage();
    QCOMPARE(QColor(window.pixel(3, 75)), QColor(texturePixel(QPoint(3, 75))));
}

void TestSkin::groupBoxEdgesStayWholeBesideTheCaption_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("box");
    QTest::newRow("editor's topic") << "TForm8" << "sGroupBox1";
    QTest::newRow("student's name") << "TForm6" << "sGroupBox2";
}

// The caption stands inside the frame: the frame's left corner and edge are
// drawn beside it as everywhere else.
void TestSkin::groupBoxEdgesStayWholeBesideTheCaption()
{
    QFETCH(QString, window);
    QFETCH(QString, box);
    auto* form = qobject_cast<Form*>(windowNamed(window));
    form->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    auto* group = form->findChild<QGroupBox*>(box);
    QVERIFY(group && !group->title().isEmpty());
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect frame = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, group);
    const QRect label = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
    const int corner = Engine::instance()->glyphSize(QStringLiteral("GROUPBOX"), QStringLiteral("BORDERSMASK")).width() / 3;

    const QImage shown = group->grab().toImage();
    const QImage expected = framedBackground(group, QStringLiteral("GROUPBOX"), frame);
    // The left band of the frame over the caption's height, and below it.
    const QRect band(frame.left(), frame.top(), corner, label.bottom() + 10 - frame.top());
    QCOMPARE(differences(shown, expected, band), QStringList());
    // The caption is drawn, right of that band.
    QVERIFY(!differences(shown, expected, QRect(corner, label.top(), label.width(), label.height())).isEmpty());
}

void TestSkin::memoShowsTheWholeEditFrame_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("test editor") << "TForm8";
    QTest::newRow("test window") << "TForm6";
}

// The memo's text area lies inside the whole frame of "EDIT" (its outer
// and its inner line), not over the inner line.
void TestSkin::memoShowsTheWholeEditFrame()
{
    QFETCH(QString, window);
    auto* form = qobject_cast<Form*>(windowNamed(window));
    form->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QPlainTextEdit* memo = form->findChild<QPlainTextEdit*>(QStringLiteral("sMemo1"));
    QVERIFY(memo);
    const int thickness = Engine::instance()->frameThickness(QStringLiteral("EDIT"));
    QVERIFY(thickness >= 2);

    const QImage shown = memo->grab().toImage();
    const QImage expected = framedBackground(memo, QStringLiteral("EDIT"), memo->rect());
    const int w = memo->width();
    const int h = memo->height();
    // Along each side, away from the corners (the scroll bar takes the right one).
    QCOMPARE(differences(shown, expected, QRect(0, 40, thickness, h - 80)), QStringList());
    QCOMPARE(differences(shown, expected, QRect(40, 0, w - 80, thickness)), QStringList());
    QCOMPARE(differences(shown, expected, QRect(40, h - thickness, w - 80, thickness)), QStringList());
    // Inside the frame, the white text area.
    QCOMPARE(QColor(shown.pixel(thickness, h / 2)), QColor(Qt::white));
}

// The topic combo: the arrow of "GLYPHMASK" at its right end, the edit's
// frame (its parent section's), and a focus rectangle while it has the focus.
void TestSkin::topicComboShowsItsArrowAndFocus()
{
    Form6->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(Form6));
    QComboBox* combo = Form6->sComboBox1;
    Form6->sEdit1->setFocus();
    const QImage unfocused = combo->grab().toImage();
    const QRect arrow(combo->width() - 24, 0, 24, combo->height());
    QVERIFY(contains(unfocused, arrow, qRgb(50, 80, 120)));          // the arrow, normal state
    QCOMPARE(QColor(unfocused.pixel(0, 14)), QColor(104, 146, 188)); // the edit's frame
    QVERIFY(!contains(unfocused, unfocused.rect(), qRgb(0, 0, 0)));
    // The whole glyph, its left column too, as the rules draw it over the
    // edit's frame: the combo's text field ends before it.
    QImage expected = framedBackground(combo, QStringLiteral("COMBOBOX"), combo->rect());
    const QSize glyph = Engine::instance()->glyphSize(QStringLiteral("COMBOBOX"), QStringLiteral("GLYPHMASK"));
    const QPoint at(combo->width() - 3 - glyph.width(), (combo->height() - glyph.height()) / 2);
    QVERIFY(Engine::instance()->drawGlyph(expected, at, QStringLiteral("COMBOBOX"), QStringLiteral("GLYPHMASK"), 0));
    QCOMPARE(differences(unfocused, expected, QRect(at, glyph)), QStringList());
    QVERIFY(combo->lineEdit()->geometry().right() < at.x());

    // Dots on the line just above the text field (the text cursor lies within it).
    const QRect field = combo->lineEdit()->geometry();
    const QRect above(field.left() + 10, field.top() - 1, field.width() - 20, 1);
    QVERIFY(!contains(unfocused, above, qRgb(0, 0, 0)));
    combo->setFocus();
    QTRY_VERIFY(contains(combo->grab().toImage(), above, qRgb(0, 0, 0)));
}

void TestSkin::labelsShowTheirWindowsColour_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QColor>("colour");
    // The main window took the system's button-face colour, (239, 239, 239)
    // here; the result window the skin's global colour.
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    QTest::newRow("main window, authors") << "TForm1" << "Label1" << buttonFace;
    QTest::newRow("main window, documents") << "TForm1" << "Label3" << buttonFace;
    QTest::newRow("result window, grade") << "TForm7" << "Label4" << QColor(119, 171, 202);
    QTest::newRow("result window, letter") << "TForm7" << "Label1" << QColor(119, 171, 202);
}

// Labels of the window system inherit their window's colour and show it
// over the skin's texture.
void TestSkin::labelsShowTheirWindowsColour()
{
    QFETCH(QString, window);
    QFETCH(QString, label);
    QFETCH(QColor, colour);
    auto* form = qobject_cast<Form*>(windowNamed(window));
    form->showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    auto* l = form->findChild<QLabel*>(label);
    QVERIFY(l);
    QCOMPARE(form->palette().color(QPalette::Window), colour);
    const QImage shown = form->grab(l->geometry()).toImage();
    // The top row lies above the letters; the result window's edits stand
    // on the labels' runs of blanks and are left out.
    int seen = 0;
    for (int x = 0; x < shown.width(); ++x) {
        if (form->childAt(l->pos() + QPoint(x, 0)) != l)
            continue;
        QCOMPARE(QColor(shown.pixel(x, 0)), colour);
        ++seen;
    }
    QVERIFY(seen > shown.width() / 2);
    QVERIFY(QColor(texturePixel(l->pos())) != colour);
}

// The current node of a question tree in which no node is selected (as
// when the keyboard comes in) carries no focus frame; a selected one does.
void TestSkin::treeFramesOnlyASelectedNode()
{
    Form8->OpenEditor();
    QVERIFY(QTest::qWaitForWindowActive(Form8));
    QTreeView* tree = Form8->sTreeView1;
    Form8->sMemo1->setFocus();
    tree->setFocus(Qt::TabFocusReason);
    QVERIFY(tree->hasFocus());
    const QModelIndex first = tree->model()->index(0, 0);
    QCOMPARE(tree->currentIndex(), first);
    QVERIFY(!tree->selectionModel()->isSelected(first));

    // The node's row in the colours of "EDIT": white, and the number's greys.
    auto tinted = [tree, first] {
        const QImage shown = tree->viewport()->grab().toImage();
        const QRect row(0, tree->visualRect(first).top(), tree->viewport()->width(), tree->visualRect(first).height());
        int count = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = row.left(); x <= row.right(); ++x) {
                const QRgb c = shown.pixel(x, y);
                count += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) ? 0 : 1;
            }
        return count;
    };
    QCOMPARE(tinted(), 0);
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(Form8->sTreeView1->selectedText(), QStringLiteral("1"));
    QVERIFY(tinted() > 0);
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
