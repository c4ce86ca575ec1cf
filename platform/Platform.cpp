#include "platform/Platform.h"

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

} // namespace

MessageBoxes& Platform::messages() { return installed(services().messages); }
Shell& Platform::shell() { return installed(services().shell); }
PrintDialogs& Platform::printDialogs() { return installed(services().printDialogs); }
Process& Platform::process() { return installed(services().process); }
FileDialogs& Platform::fileDialogs() { return installed(services().fileDialogs); }
InputDialogs& Platform::inputDialogs() { return installed(services().inputDialogs); }
PrintPreviews& Platform::printPreviews() { return installed(services().printPreviews); }
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
