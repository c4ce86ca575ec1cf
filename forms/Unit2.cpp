#include "forms/Unit2.h"

#include "platform/ErrorReport.h"
#include "platform/Platform.h"
#include "skin/Look.h"

#include <QPushButton>
#include <QResizeEvent>

TPrintDialog::TPrintDialog(QWidget* owner) : QObject(owner), m_owner(owner) {}

bool TPrintDialog::Execute() { return Platform::printDialogs().execute(m_owner); }

TForm2::TForm2(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QString());
    setOuterGeometry(164, 83, 846, 563);

    // The view keeps this rectangle until the first document is opened.
    WebBrowser1 = Platform::createHtmlView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(16, 56, 745, 150);
    WebBrowser1->setAccessibleName(QStringLiteral("Документ"));

    // Created after the view, so it lies above it once the view fills the window.
    Button1 = new QPushButton(QStringLiteral("Печать"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(688, 8, 89, 25);
    Button1->setAutoDefault(false);
    Look::setFont(Button1, 16);
    setTabOrder(WebBrowser1, Button1);
    on(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    PrintDialog1 = new TPrintDialog(this);
    PrintDialog1->setObjectName(QStringLiteral("PrintDialog1"));
}

void TForm2::OpenDocument(const QString& path, const QString& caption)
{
    showAndRaise();
    WebBrowser1->show();
    m_viewFillsWindow = true;
    WebBrowser1->setGeometry(rect());
    WebBrowser1->navigate(path);
    setWindowTitle(caption);
}

void TForm2::Button1Click()
{
    // Neither answer has any effect: the dialog only records the printer
    // settings, and nothing is sent to a printer.
    PrintDialog1->Execute();
}

void TForm2::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    if (m_viewFillsWindow)
        WebBrowser1->setGeometry(rect());
}
