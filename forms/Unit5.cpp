#include "forms/Unit5.h"

#include "platform/Platform.h"

#include <QResizeEvent>

TForm5::TForm5(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Руководство пользователя"));
    setOuterGeometry(166, 72, 868, 517);

    // Fills the client area from the start and follows the window's size.
    WebBrowser1 = Platform::createHtmlView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(rect());
    WebBrowser1->setAccessibleName(QStringLiteral("Руководство пользователя"));
}

void TForm5::OpenUserGuide(const QString& path)
{
    showAndRaise();
    WebBrowser1->navigate(path);
}

void TForm5::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    WebBrowser1->setGeometry(rect());
}
