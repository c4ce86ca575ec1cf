#include "app/Startup.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The embedded HTML view shares OpenGL contexts with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    Platform::installReal();
    return runProgram();
}
