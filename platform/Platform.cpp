#include "platform/Platform.h"

#include "platform/HandlerScope.h"
#include "platform/RealPlatform.h"

namespace {

struct Services {
    std::unique_ptr<MessageBoxes> messages;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<PrintDialogs> printDialogs;
    std::unique_ptr<Process> process;
    Platform::HtmlViewFactory htmlViews;
    QString title;
};

Services& services()
{
    static Services s;
    return s;
}

template <class T> T& installed(const std::unique_ptr<T>& service)
{
    if (!service)
        Platform::installReal();
    return *service;
}

// Every message box and print dialog waits for the user, so the work that the
// running handler holds open (its write transaction) is settled before one is
// shown: nothing stays locked while the user reads. A failure to settle ends
// the handler with that error in place of the box. A handler run while the
// box waits settles its own work when it ends.
class SettlingMessages : public MessageBoxes {
public:
    void notice(QWidget* parent, const QString& text) override
    {
        HandlerScope::Waiting waiting;
        installed(services().messages).notice(parent, text);
    }
    void error(QWidget* parent, const QString& caption, const QString& text) override
    {
        HandlerScope::Waiting waiting;
        installed(services().messages).error(parent, caption, text);
    }
    bool informationYesNo(QWidget* parent, const QString& text) override
    {
        HandlerScope::Waiting waiting;
        return installed(services().messages).informationYesNo(parent, text);
    }
    void informationOk(QWidget* parent, const QString& text) override
    {
        HandlerScope::Waiting waiting;
        installed(services().messages).informationOk(parent, text);
    }
    bool confirm(QWidget* parent, const QString& text) override
    {
        HandlerScope::Waiting waiting;
        return installed(services().messages).confirm(parent, text);
    }
};

class SettlingPrintDialogs : public PrintDialogs {
public:
    bool execute(QWidget* parent) override
    {
        HandlerScope::Waiting waiting;
        return installed(services().printDialogs).execute(parent);
    }
};

} // namespace

MessageBoxes& Platform::messages()
{
    static SettlingMessages messages;
    return messages;
}

Shell& Platform::shell() { return installed(services().shell); }

PrintDialogs& Platform::printDialogs()
{
    static SettlingPrintDialogs dialogs;
    return dialogs;
}
Process& Platform::process() { return installed(services().process); }

HtmlView* Platform::createHtmlView(QWidget* parent)
{
    if (!services().htmlViews)
        installReal();
    return services().htmlViews(parent);
}

void Platform::installReal()
{
    install(std::make_unique<RealMessageBoxes>(), std::make_unique<RealShell>(),
            std::make_unique<RealPrintDialogs>(), std::make_unique<RealProcess>(),
            [](QWidget* parent) -> HtmlView* { return new WebHtmlView(parent); });
}

void Platform::install(std::unique_ptr<MessageBoxes> messages, std::unique_ptr<Shell> shell,
                       std::unique_ptr<PrintDialogs> printDialogs, std::unique_ptr<Process> process,
                       HtmlViewFactory htmlViews)
{
    Services& s = services();
    s.messages = std::move(messages);
    s.shell = std::move(shell);
    s.printDialogs = std::move(printDialogs);
    s.process = std::move(process);
    s.htmlViews = std::move(htmlViews);
}

QString Platform::applicationTitle() { return services().title; }
void Platform::setApplicationTitle(const QString& title) { services().title = title; }
