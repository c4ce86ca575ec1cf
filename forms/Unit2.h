#pragma once

#include "forms/Form.h"

#include <QObject>

class HtmlView;
class QPushButton;

// The platform's standard print dialog as a component of a window: no window
// of its own, every option at its default.
class TPrintDialog : public QObject {
    Q_OBJECT
public:
    explicit TPrintDialog(QWidget* owner);
    // Shows the dialog modally over the owner; true when the user confirmed.
    bool Execute();

private:
    QWidget* m_owner;
};

// Document viewer: shows the course's HTML documents, one at a time, in the
// same window.
class TForm2 : public Form {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Shows the viewer in front, makes the view fill the window (for the rest
    // of the run), navigates it to the path (a full local path) and sets the
    // caption. A failing navigation leaves the caption as it was.
    void OpenDocument(const QString& path, const QString& caption);

    // "Печать": shows the print dialog; nothing is printed.
    void Button1Click();

    HtmlView* WebBrowser1 = nullptr;
    QPushButton* Button1 = nullptr;
    TPrintDialog* PrintDialog1 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Set by the first OpenDocument: the view fills the client area from then on.
    bool m_viewFillsWindow = false;
};
