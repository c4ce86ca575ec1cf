#include "app/Startup.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Platform::installReal();
    return runProgram();
}
