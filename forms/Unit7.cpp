#include "forms/Unit7.h"

TForm7::TForm7(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Результаты тестирования"));
    setOuterGeometry(361, 139, 439, 248);
}
