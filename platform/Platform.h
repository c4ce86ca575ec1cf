#pragma once

#include <QString>
#include <QWidget>

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;

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

// The file dialogs of the teacher's imports and exports. Each returns the
// chosen file's path, or an empty text when the user cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // An existing file to read. filter: "Description (*.ext);;..." as Qt words it.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    // A file to write; proposed: the folder and the name offered; a name
    // typed without a suffix gets defaultSuffix. Asks before replacing a file.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                 const QString& filter, const QString& defaultSuffix) = 0;
};

// A question for one line of text, with a list of texts to pick from (the
// line may be typed freely). Empty optional: the user cancelled.
class InputDialogs {
public:
    virtual ~InputDialogs() = default;
    virtual std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& label,
                                           const QStringList& choices, const QString& initial) = 0;
};

// A print preview whose print button shows the system print dialog (a
// printer, or a PDF file). render draws the document on the printer it is
// given: the whole of it for the preview, and again on the printer the user
// chose (preview false), then only the pages chosen in the print dialog
// (QPrinter::fromPage() … toPage(), both 0 for all) and as many copies as the
// printer does not make itself. It returns false when the user cancelled the
// drawing; an error it throws is thrown again once the preview has closed.
class PrintPreviews {
public:
    using Render = std::function<bool(QPrinter& printer, bool preview)>;
    virtual ~PrintPreviews() = default;
    virtual void execute(QWidget* parent, const QString& documentName, const Render& render) = 0;
};

// A long piece of work that the user can watch and cancel. advance() reports
// how much is done (0 … the maximum given at the start) and returns false once
// the user cancelled. The platform shows a dialog only for work that lasts
// longer than about half a second; the dialog closes with the object.
class Progress {
public:
    virtual ~Progress() = default;
    virtual bool advance(qint64 done) = 0;
};

class ProgressDialogs {
public:
    virtual ~ProgressDialogs() = default;
    virtual std::unique_ptr<Progress> start(QWidget* parent, const QString& text, qint64 maximum) = 0;
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
    static FileDialogs& fileDialogs();
    static InputDialogs& inputDialogs();
    static PrintPreviews& printPreviews();
    static ProgressDialogs& progressDialogs();

    // The real services of the program.
    static void installReal();
    // Each setter takes ownership; a null factory restores nothing, it is a fault.
    static void install(std::unique_ptr<MessageBoxes> messages, std::unique_ptr<Shell> shell,
                        std::unique_ptr<PrintDialogs> printDialogs, std::unique_ptr<Process> process,
                        HtmlViewFactory htmlViews);
    // The dialogs of the teacher's imports and exports; installReal() sets
    // the real ones, a test its own after install().
    static void installDialogs(std::unique_ptr<FileDialogs> files, std::unique_ptr<InputDialogs> inputs,
                               std::unique_ptr<PrintPreviews> previews, std::unique_ptr<ProgressDialogs> progress);

    // The application title: caption of notices and error boxes.
    static QString applicationTitle();
    static void setApplicationTitle(const QString& title);
};
