#include "skin/Look.h"

#include <QPalette>
#include <QWidget>

void Look::registerFontSubstitutes()
{
    QFont::insertSubstitutions(QString::fromLatin1(kFontFamily),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
}

QFont Look::font(int pixelHeight, int style)
{
    QFont f(QString::fromLatin1(kFontFamily));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelHeight);
    f.setBold(style & Bold);
    f.setItalic(style & Italic);
    return f;
}

void Look::setFont(QWidget* widget, int pixelHeight, int style, const QColor& textColor)
{
    widget->setFont(font(pixelHeight, style));
    if (textColor.isValid())
        setTextColor(widget, textColor);
}

void Look::setTextColor(QWidget* widget, const QColor& color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    p.setColor(QPalette::Text, color);
    widget->setPalette(p);
}

void Look::setBackground(QWidget* widget, const QColor& color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, color);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}
