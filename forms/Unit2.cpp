#include "forms/Unit2.h"

TForm2::TForm2(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral(""));
    setOuterGeometry(164, 83, 846, 563);
}

void TForm2::OpenDocument(const QString& /*path*/, const QString& caption)
{
    showAndRaise();
    setWindowTitle(caption);
}
