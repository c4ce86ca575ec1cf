#include "app/Unit3.h"

#include "platform/Platform.h"

#include <QCloseEvent>

TForm3::TForm3(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Норвена"));
    setClientGeometry(172, 27, 804, 642);
}

void TForm3::closeEvent(QCloseEvent* event)
{
    // Closing the main form ends the message loop and so the program.
    event->accept();
    Platform::process().quit(0);
}
