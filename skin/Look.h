#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// Fonts and colours of the program's windows.
namespace Look {

// The windows' font family. The machine's nearest sans-serif font stands in
// for it (registerFontSubstitutes()).
inline constexpr const char* kFontFamily = "MS Sans Serif";

// Background of the skinned windows (test window, result window, editor,
// results register, multimedia window).
inline const QColor kSkinnedWindowColor{119, 171, 202};

// Makes the nearest sans-serif fonts of the machine stand in for the family.
void registerFontSubstitutes();

enum FontStyle { Regular = 0, Bold = 1, Italic = 2 };

// The windows' font at a character height in pixels.
QFont font(int pixelHeight, int style = Regular);

// Sets the widget's font and, when valid, its text colour.
void setFont(QWidget* widget, int pixelHeight, int style = Regular, const QColor& textColor = QColor());

void setTextColor(QWidget* widget, const QColor& color);
void setBackground(QWidget* widget, const QColor& color);

} // namespace Look
