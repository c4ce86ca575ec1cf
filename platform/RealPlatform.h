#pragma once

#include "platform/Platform.h"

class RealMessageBoxes : public MessageBoxes {
public:
    void notice(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& caption, const QString& text) override;
    bool informationYesNo(QWidget* parent, const QString& text) override;
    void informationOk(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;
};

class RealShell : public Shell {
public:
    int execute(const QString& operation, const QString& file, const QString& parameters, const QString& directory,
                int showCommand) override;
};

class RealPrintDialogs : public PrintDialogs {
public:
    bool execute(QWidget* parent) override;
};

class RealProcess : public Process {
public:
    void quit(int exitCode) override;
};

// The embedded browser. The browser engine lives in the module
// norvena_webview (platform/webview/), which the first navigation loads and
// which creates the engine's view, so that windows holding a view cost
// nothing at start-up and a run that shows no document never loads the engine.
class WebHtmlView : public HtmlView {
    Q_OBJECT
public:
    // modulePath: the module's file; empty for the program's own (defaultModulePath).
    explicit WebHtmlView(QWidget* parent = nullptr, const QString& modulePath = {});
    // Throws Error "The HTML view cannot be started: ..." when the module
    // cannot be loaded or does not make a view; the location stays as it was.
    void navigate(const QString& path) override;
    QString location() const override { return m_location; }

    // The program's module: beside the program file, or in the private
    // library folder of an installed program (ProgramFiles).
    static QString defaultModulePath();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_modulePath;
    QWidget* m_view = nullptr;
    QString m_location;
};
