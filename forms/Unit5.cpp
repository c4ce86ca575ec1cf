#include "forms/Unit5.h"

TForm5::TForm5(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Руководство пользователя"));
    setOuterGeometry(166, 72, 868, 517);
}

void TForm5::OpenUserGuide(const QString& /*path*/)
{
    showAndRaise();
}
