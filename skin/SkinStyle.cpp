#include "skin/SkinStyle.h"

#include "skin/Engine.h"
#include "skin/Paint.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QStyleOption>
#include <QWidget>

namespace {

// State image of a control: 0 normal, 1 hot, 2 pressed.
int stateOf(const QStyleOption* option, bool pressed)
{
    if (pressed)
        return 2;
    return option->state & (QStyle::State_MouseOver | QStyle::State_HasFocus) ? 1 : 0;
}

// The widget's own background, when it is drawn at the widget's full size.
QImage backgroundFor(skin::Engine* engine, const QWidget* widget, const QRect& rect, bool hot)
{
    if (!widget || rect != widget->rect())
        return {};
    return engine->backgroundOf(widget, hot);
}

void drawFocusRect(QImage& image, const QRect& rect)
{
    QPainter p(&image);
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect.adjusted(0, 0, -1, -1));
}

} // namespace

skin::SkinStyle::SkinStyle(QStyle* base, Engine* engine) : QProxyStyle(base), m_engine(engine) {}

void skin::SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const
{
    if (element == PE_PanelLineEdit && drawFramed(option, painter, widget, true))
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void skin::SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    if (element == CE_PushButton && drawButton(option, painter, widget))
        return;
    if (element == CE_ShapedFrame && drawFramed(option, painter, widget, false))
        return;
    if (element == CE_RadioButton && drawRadio(option, painter, widget))
        return;
    QProxyStyle::drawControl(element, option, painter, widget);
}

void skin::SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                         const QWidget* widget) const
{
    if (control == CC_GroupBox && drawGroupBox(option, painter, widget))
        return;
    if (control == CC_ComboBox && drawComboBox(option, painter, widget))
        return;
    if (control == CC_ScrollBar && drawScrollBar(option, painter, widget))
        return;
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QRect skin::SkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                                      const QWidget* widget) const
{
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control == CC_ComboBox && widget && m_engine->sectionOf(widget) == QLatin1String("COMBOBOX")) {
        // The edit ends before the arrow glyph, which it would cover; the
        // arrow is where the glyph is drawn.
        const QRect glyph = comboGlyphRect(option->rect);
        if (part == SC_ComboBoxArrow)
            return glyph;
        if (part == SC_ComboBoxEditField && rect.right() >= glyph.left())
            rect.setRight(glyph.left() - 1);
    }
    return rect;
}

int skin::SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    // A framed memo or list of the "EDIT" section keeps its contents inside
    // the whole frame of the section, not over its inner lines.
    if (metric == PM_DefaultFrameWidth && qobject_cast<const QAbstractScrollArea*>(widget) &&
        m_engine->sectionOf(widget) == QLatin1String("EDIT")) {
        const int thickness = m_engine->frameThickness(QStringLiteral("EDIT"));
        if (thickness > 0)
            return thickness;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect skin::SkinStyle::comboGlyphRect(const QRect& combo) const
{
    const QSize glyph = m_engine->glyphSize(QStringLiteral("COMBOBOX"), QStringLiteral("GLYPHMASK"));
    // Three pixels from the right edge, centred in the height.
    return QRect(QPoint(combo.left() + combo.width() - 3 - glyph.width(),
                        combo.top() + (combo.height() - glyph.height()) / 2),
                 glyph);
}

// A skinned button: its background in the state's values (a white wash over
// the parent), the state's frame, the text in the state's colours; a change
// of state fades in.
bool skin::SkinStyle::drawButton(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const QString name = m_engine->sectionOf(widget);
    const Section* section = m_engine->skin().section(name);
    if (!button || !section || name != QLatin1String("BUTTON"))
        return false;
    const int state = stateOf(option, option->state & (State_Sunken | State_On));
    const bool hot = state > 0;
    QImage image = backgroundFor(m_engine, widget, option->rect, hot);
    if (image.isNull())
        return false;
    m_engine->drawFrame(image, image.rect(), name, state);
    {
        QPainter p(&image);
        p.setFont(widget->font());
        const QRect textRect = image.rect().translated(state == 2 ? QPoint(1, 1) : QPoint());
        paint::drawText(p, textRect, Qt::AlignCenter | Qt::TextShowMnemonic, button->text, section->values(hot).font);
    }
    image = m_engine->fadedPicture(const_cast<QWidget*>(widget), state, image);
    painter->drawImage(option->rect.topLeft(), image);
    return true;
}

// Panels (their background and frame) and the frames of edits, memos, tree
// views and lists. A control without a frame of its own (a tree view
// without border) shows its background only.
bool skin::SkinStyle::drawFramed(const QStyleOption* option, QPainter* painter, const QWidget* widget,
                                 bool lineEdit) const
{
    const QString name = m_engine->sectionOf(widget);
    if (name.isEmpty() || name == QLatin1String("COMBOBOX"))
        return false;
    QImage image = backgroundFor(m_engine, widget, option->rect, false);
    if (image.isNull())
        return false;
    bool framed = true;
    if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option)) {
        if (lineEdit)
            framed = frame->lineWidth > 0;
        else if (name != QLatin1String("PANEL"))
            framed = frame->frameShape != QFrame::NoFrame;
    }
    if (!lineEdit && name != QLatin1String("PANEL") && !framed)
        return true; // the view itself paints its background
    if (framed)
        m_engine->drawFrame(image, image.rect(), name, 0);
    painter->drawImage(option->rect.topLeft(), image);
    return true;
}

// A radio item: the parent shows through, the glyph of its checked state,
// the text in the section's colours.
bool skin::SkinStyle::drawRadio(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const QString name = m_engine->sectionOf(widget);
    const Section* section = m_engine->skin().section(name);
    if (!button || !section || name != QLatin1String("RADIOBUTTON"))
        return false;
    const int state = option->state & State_Sunken ? 2 : option->state & State_MouseOver ? 1 : 0;
    QImage image = backgroundFor(m_engine, widget, option->rect, false);
    if (image.isNull())
        return false;
    const QString glyph = option->state & State_On ? QStringLiteral("GLYPHCHECKED") : QStringLiteral("GLYPHUNCHECKED");
    const QSize size = m_engine->glyphSize(name, glyph);
    const QRect indicator = subElementRect(SE_RadioButtonIndicator, option, widget);
    const QPoint at(indicator.left(), (image.height() - size.height()) / 2);
    m_engine->drawGlyph(image, at, name, glyph, state);
    const QRect text(at.x() + size.width() + 4, 0, image.width() - at.x() - size.width() - 4, image.height());
    {
        QPainter p(&image);
        p.setFont(widget->font());
        paint::drawText(p, text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, button->text,
                        section->normal.font);
    }
    if (option->state & State_HasFocus) {
        const QRect bounds =
            QFontMetrics(widget->font()).boundingRect(text, Qt::AlignLeft | Qt::AlignVCenter, button->text);
        drawFocusRect(image, bounds.adjusted(-2, -1, 2, 1).intersected(image.rect()));
    }
    painter->drawImage(option->rect.topLeft(), image);
    return true;
}

// Group boxes and radio groups: the parent shows through the body; the frame
// and the caption are drawn.
bool skin::SkinStyle::drawGroupBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    const QString name = m_engine->sectionOf(widget);
    const Section* section = m_engine->skin().section(name);
    if (!box || !section || name != QLatin1String("GROUPBOX"))
        return false;
    const QImage clean = backgroundFor(m_engine, widget, option->rect, false);
    if (clean.isNull())
        return false;
    QImage image = clean;
    const QRect frame = subControlRect(CC_GroupBox, option, SC_GroupBoxFrame, widget);
    m_engine->drawFrame(image, frame, name, 0);
    if (!box->text.isEmpty()) {
        // The caption stands inside the frame, clear of its left corner: the
        // frame's edges stay whole beside it.
        QRect label = subControlRect(CC_GroupBox, option, SC_GroupBoxLabel, widget);
        const int corner = m_engine->glyphSize(name, QStringLiteral("BORDERSMASK")).width() / 3;
        if (label.left() < frame.left() + corner)
            label.moveLeft(frame.left() + corner);
        QPainter p(&image);
        p.setFont(widget->font());
        paint::drawText(p, label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, box->text,
                        section->normal.font);
    }
    painter->drawImage(option->rect.topLeft(), image);
    return true;
}

// The topic combo: the edit's frame (its parent section's), its arrow and,
// when it has the focus, a focus rectangle around its text.
bool skin::SkinStyle::drawComboBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const
{
    const QString name = m_engine->sectionOf(widget);
    const Section* section = m_engine->skin().section(name);
    if (!section || name != QLatin1String("COMBOBOX"))
        return false;
    QImage image = backgroundFor(m_engine, widget, option->rect, false);
    if (image.isNull())
        return false;
    m_engine->drawFrame(image, image.rect(), name, 0);
    const bool pressed = option->state & State_Sunken || option->state & State_On;
    const int state = pressed ? 2 : option->state & State_MouseOver ? 1 : 0;
    const QPoint at = comboGlyphRect(image.rect()).topLeft();
    m_engine->drawGlyph(image, at, name, QStringLiteral("GLYPHMASK"), state);
    if (section->showFocus && option->state & State_HasFocus) {
        const QRect field = subControlRect(CC_ComboBox, option, SC_ComboBoxEditField, widget);
        // Around the text field, on the frame's inner line: the field itself
        // is covered by the combo's edit.
        drawFocusRect(image, field.adjusted(-1, -1, 1, 1).intersected(image.rect()));
    }
    painter->drawImage(option->rect.topLeft(), image);
    return true;
}

// Scroll bars of skinned memos, trees and lists: the groove, the buttons at
// both ends with their arrows, the slider, each in its state.
bool skin::SkinStyle::drawScrollBar(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const
{
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    const QString name = m_engine->sectionOf(widget);
    if (!bar || !name.startsWith(QLatin1String("SCROLLBAR")))
        return false;
    QImage image = backgroundFor(m_engine, widget, option->rect, false);
    if (image.isNull())
        return false;
    const bool horizontal = bar->orientation == Qt::Horizontal;
    m_engine->drawFrame(image, subControlRect(CC_ScrollBar, option, SC_ScrollBarGroove, widget), name, 0);
    const auto stateOfPart = [option](SubControl part) {
        if (!(option->activeSubControls & part))
            return 0;
        return option->state & State_Sunken ? 2 : option->state & State_MouseOver ? 1 : 0;
    };
    const struct {
        SubControl part;
        const char* section;
    } buttons[] = {{SC_ScrollBarSubLine, horizontal ? "SCROLLBTNLEFT" : "SCROLLBTNTOP"},
                   {SC_ScrollBarAddLine, horizontal ? "SCROLLBTNRIGHT" : "SCROLLBTNBOTTOM"}};
    for (const auto& b : buttons) {
        const QRect r = subControlRect(CC_ScrollBar, option, b.part, widget);
        if (r.isEmpty())
            continue;
        const QString section = QString::fromLatin1(b.section);
        const int state = stateOfPart(b.part);
        m_engine->drawFrame(image, r, section, state);
        const QSize glyph = m_engine->glyphSize(section, QStringLiteral("GLYPHMASK"));
        m_engine->drawGlyph(image, r.center() - QPoint(glyph.width() / 2, glyph.height() / 2), section,
                            QStringLiteral("GLYPHMASK"), state);
    }
    const QRect slider = subControlRect(CC_ScrollBar, option, SC_ScrollBarSlider, widget);
    if (!slider.isEmpty() && bar->maximum > bar->minimum)
        m_engine->drawFrame(image, slider,
                            horizontal ? QStringLiteral("SCROLLSLIDERH") : QStringLiteral("SCROLLSLIDERV"),
                            stateOfPart(SC_ScrollBarSlider));
    painter->drawImage(option->rect.topLeft(), image);
    return true;
}
