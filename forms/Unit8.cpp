#include "forms/Unit8.h"

TForm8::TForm8(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("Редактирование базы тестов"));
    setProperty("skinSection", "FORM");
    setOuterGeometry(196, 49, 803, 618);
}
