#include "forms/Unit9.h"

TForm9::TForm9(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Результаты тестирования"));
    setProperty("skinSection", "FORM");
    setOuterGeometry(204, 97, 702, 498);
}
