#pragma once

#include "forms/Form.h"

// User-guide viewer.
class TForm5 : public Form {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    // Shows the viewer in front and navigates it to the guide's full path.
    void OpenUserGuide(const QString& path);
};
