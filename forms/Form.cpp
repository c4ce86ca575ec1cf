#include "forms/Form.h"

#include "skin/Look.h"

Form::Form(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags | Qt::Window)
{
    setFont(Look::font(11));
}

void Form::setOuterGeometry(int left, int top, int width, int height)
{
    setClientGeometry(left, top, width - kFrameWidth, height - kFrameHeight);
}

void Form::setClientGeometry(int left, int top, int width, int height)
{
    resize(width, height);
    move(left, top);
}

void Form::showAndRaise()
{
    show();
    raise();
    activateWindow();
}
