#pragma once

#include "forms/Form.h"

class HtmlView;

// User-guide viewer: shows the user guide in a view that fills the window.
class TForm5 : public Form {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    // Shows the viewer in front and navigates it (again) to the guide's full path.
    void OpenUserGuide(const QString& path);

    HtmlView* WebBrowser1 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
