#pragma once

#include "platform/Platform.h"

#include <QTimer>

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
// norvena_webview (platform/webview/), which creates the engine's view, so
// that windows holding a view cost nothing at start-up and a run that shows
// no document never loads the engine.
//
// Loading the engine takes the better part of a second, so the first
// navigation does not wait for it: it returns at once, the window holding
// the view is shown and painted, and only then is the module loaded and the
// page requested. Navigations made meanwhile change only the page the
// engine will show; the engine is started once.
class WebHtmlView : public HtmlView {
    Q_OBJECT
public:
    // modulePath: the module's file; empty for the program's own (defaultModulePath).
    explicit WebHtmlView(QWidget* parent = nullptr, const QString& modulePath = {});
    // A module file that does not exist throws Error "The HTML view cannot
    // be started: <file> not found" at once, the location unchanged. A module
    // that cannot be loaded or makes no view is reported through the default
    // error report when the engine is started, and tried again at the next
    // navigation; the location is then as it was before.
    void navigate(const QString& path) override;
    // The path last navigated to, also while the engine is being started.
    QString location() const override { return m_starting ? m_pendingPath : m_location; }

    // Whether a navigation waits for the engine to be started.
    bool starting() const { return m_starting; }

    // The program's module: beside the program file, or in the private
    // library folder of an installed program (ProgramFiles).
    static QString defaultModulePath();

signals:
    // The engine was started for a waiting navigation, or failed to be.
    void started();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void startEngine();

    QString m_modulePath;
    QWidget* m_view = nullptr;
    QString m_location;
    QString m_pendingPath;
    bool m_starting = false;
    QTimer* m_startTimer = nullptr;
};
