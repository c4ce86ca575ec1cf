#pragma once

#include "platform/Platform.h"

class QWebEngineView;

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

// The embedded browser. The browser engine itself is started on the first
// navigation, so that windows holding a view cost nothing at start-up.
class WebHtmlView : public HtmlView {
    Q_OBJECT
public:
    explicit WebHtmlView(QWidget* parent = nullptr);
    void navigate(const QString& path) override;
    QString location() const override { return m_location; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWebEngineView* m_view = nullptr;
    QString m_location;
};
