#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

// The thin layer between the program and its platform: message boxes, the
// shell, the embedded HTML view, the print dialog and the process. The
// program installs the real services at start-up; a test installs services it
// can observe and answer, so that no modal dialog ever blocks it.

// Message boxes. Notices and error boxes have the application title as
// caption; the standard dialogs keep their English captions and buttons.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // No icon, one button "OK", caption: the application title.
    virtual void notice(QWidget* parent, const QString& text) = 0;
    // Error icon, one button "OK".
    virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Caption "Information", information icon, "&Yes" and "&No": true for "&Yes".
    virtual bool informationYesNo(QWidget* parent, const QString& text) = 0;
    // Caption "Information", information icon, one button "OK".
    virtual void informationOk(QWidget* parent, const QString& text) = 0;
    // Caption "Confirm", question icon, "OK" and "Cancel": true for "OK".
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
};

// The shell's service that opens a file with the program associated with its
// type. A relative file is resolved against the process working directory
// (or against directory when that is not empty). Returns the shell's result:
// above 32 on success.
class Shell {
public:
    virtual ~Shell() = default;
    virtual int execute(const QString& operation, const QString& file, const QString& parameters,
                        const QString& directory, int showCommand) = 0;
};

// An embedded HTML view. navigate() takes a plain local file-system path
// (no scheme, no encoding) and does not wait for the document to load.
class HtmlView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void navigate(const QString& path) = 0;
    // The path last navigated to (empty before the first navigation).
    virtual QString location() const = 0;
};

// The platform's standard modal print dialog; true when confirmed.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    virtual bool execute(QWidget* parent) = 0;
};

// The process: ends the message loop (and so the program) with an exit code.
class Process {
public:
    virtual ~Process() = default;
    virtual void quit(int exitCode) = 0;
};

class Platform {
public:
    using HtmlViewFactory = std::function<HtmlView*(QWidget* parent)>;

    static MessageBoxes& messages();
    static Shell& shell();
    static PrintDialogs& printDialogs();
    static Process& process();
    static HtmlView* createHtmlView(QWidget* parent);

    // The real services of the program.
    static void installReal();
    // Each setter takes ownership; a null factory restores nothing, it is a fault.
    static void install(std::unique_ptr<MessageBoxes> messages, std::unique_ptr<Shell> shell,
                        std::unique_ptr<PrintDialogs> printDialogs, std::unique_ptr<Process> process,
                        HtmlViewFactory htmlViews);

    // The application title: caption of notices and error boxes.
    static QString applicationTitle();
    static void setApplicationTitle(const QString& title);
};
