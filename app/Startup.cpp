#include "app/Startup.h"

#include "app/Forms.h"
#include "forms/Globals.h"
#include "app/Unit3.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"
#include "skin/Look.h"

#include <QApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcStartup, "norvena.startup", QtInfoMsg)

void initialiseApplication()
{
    const QString title = QString::fromUtf16(kApplicationTitle);
    Platform::setApplicationTitle(title);
    QApplication::setApplicationName(title);
#ifdef NORVENA_APP_ID
    // The desktop matches the windows with the menu entry (and its icon) by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(NORVENA_APP_ID));
#endif
    Look::registerFontSubstitutes();
    QApplication::setFont(Look::font(11));
    // The title window is the main form: the program ends when it is closed,
    // not when the last visible window is.
    QApplication::setQuitOnLastWindowClosed(false);
}

int startProgram()
{
    initialiseApplication();
    try {
        createForms();
    } catch (const std::exception& e) {
        Platform::messages().error(nullptr, QStringLiteral("Application Error"),
                                   ErrorReport::withFullStop(ErrorReport::textOf(e)));
        destroyForms(); // those built before the failing one
        return 1;
    }
    Form3->show();
    qCInfo(lcStartup) << "title window shown";
    return 0;
}

int runProgram()
{
    if (const int code = startProgram())
        return code;
    const int code = QApplication::exec();
    destroyForms();
    return code;
}
