#pragma once

#include <QProxyStyle>

namespace skin {

class Engine;

// The style of the skinned controls: draws each control's background, frame,
// glyphs and text from its skin section; everything else (sizes, places,
// behaviour, controls the skin does not know) comes from the base style, so
// that a skinned control keeps its place, size and behaviour.
class SkinStyle : public QProxyStyle {
    Q_OBJECT
public:
    SkinStyle(QStyle* base, Engine* engine);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    bool drawButton(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    bool drawFramed(const QStyleOption* option, QPainter* painter, const QWidget* widget, bool lineEdit) const;
    bool drawRadio(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    bool drawGroupBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    bool drawComboBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    bool drawScrollBar(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;

    // Where the topic combo's arrow glyph lies.
    QRect comboGlyphRect(const QRect& combo) const;

    Engine* m_engine;
};

} // namespace skin
