#include "forms/Unit10.h"

TForm10::TForm10(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Мультимедиа"));
    setOuterGeometry(344, 139, 426, 339);
}
