#include "forms/Form.h"

#include "skin/Look.h"
#include "skin/WindowFrame.h"

// The skin's frame of a skinned window is the frame of the stated outer sizes.
static_assert(Form::kFrameWidth == skin::WindowFrame::kMargins.left() + skin::WindowFrame::kMargins.right());
static_assert(Form::kFrameHeight == skin::WindowFrame::kMargins.top() + skin::WindowFrame::kMargins.bottom());

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
