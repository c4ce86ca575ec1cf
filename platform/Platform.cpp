#include "platform/Platform.h"

#include "platform/HandlerScope.h"
#include "platform/RealDialogs.h"
#include "platform/RealPlatform.h"

namespace {

struct Services {
    std::unique_ptr<MessageBoxes> messages;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<PrintDialogs> printDialogs;
    std::unique_ptr<Process> process;
    Platform::HtmlViewFactory htmlViews;
    std::unique_ptr<FileDialogs> fileDialogs;
    std::unique_ptr<InputDialogs> inputDialogs;
    std::unique_ptr<PrintPreviews> printPreviews;
    std::unique_ptr<ProgressDialogs> progressDialogs;
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

// The dialogs of the imports and exports wait for the user as well. A
// progress dialog does not: the work it shows holds what it writes open until
// it ends, so that a cancel can take all of it back.
class SettlingFileDialogs : public FileDialogs {
public:
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override
    {
        HandlerScope::Waiting waiting;
        return installed(services().fileDialogs).openFileName(parent, caption, directory, filter);
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed, const QString& filter,
                         const QString& defaultSuffix) override
    {
        HandlerScope::Waiting waiting;
        return installed(services().fileDialogs).saveFileName(parent, caption, proposed, filter, defaultSuffix);
    }
};

class SettlingInputDialogs : public InputDialogs {
public:
    std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& label,
                                   const QStringList& choices, const QString& initial) override
    {
        HandlerScope::Waiting waiting;
        return installed(services().inputDialogs).askText(parent, caption, label, choices, initial);
    }
};

class SettlingPrintPreviews : public PrintPreviews {
public:
    void execute(QWidget* parent, const QString& documentName, const Render& render) override
    {
        HandlerScope::Waiting waiting;
        installed(services().printPreviews).execute(parent, documentName, render);
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

FileDialogs& Platform::fileDialogs()
{
    static SettlingFileDialogs dialogs;
    return dialogs;
}

InputDialogs& Platform::inputDialogs()
{
    static SettlingInputDialogs dialogs;
    return dialogs;
}

PrintPreviews& Platform::printPreviews()
{
    static SettlingPrintPreviews previews;
    return previews;
}

ProgressDialogs& Platform::progressDialogs() { return installed(services().progressDialogs); }

HtmlView* Platform::createHtmlView(QWidget* parent)
{
    if (!services().htmlViews)
        installReal();
    return services().htmlViews(parent);
}

void Platform::installReal()
{
    install(std::make_unique<RealMessageBoxes>(), std::make_unique<RealShell>(), std::make_unique<RealPrintDialogs>(),
            std::make_unique<RealProcess>(), [](QWidget* parent) -> HtmlView* { return new WebHtmlView(parent); });
    installDialogs(std::make_unique<RealFileDialogs>(), std::make_unique<RealInputDialogs>(),
                   std::make_unique<RealPrintPreviews>(), std::make_unique<RealProgressDialogs>());
}

void Platform::installDialogs(std::unique_ptr<FileDialogs> files, std::unique_ptr<InputDialogs> inputs,
                              std::unique_ptr<PrintPreviews> previews, std::unique_ptr<ProgressDialogs> progress)
{
    Services& s = services();
    s.fileDialogs = std::move(files);
    s.inputDialogs = std::move(inputs);
    s.printPreviews = std::move(previews);
    s.progressDialogs = std::move(progress);
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
