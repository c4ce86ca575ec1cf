#pragma once

#include "forms/Form.h"

// Document viewer: shows the course's HTML documents.
class TForm2 : public Form {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Shows the viewer in front, makes the view fill the window, navigates it
    // to the path (a full local path) and sets the caption.
    void OpenDocument(const QString& path, const QString& caption);
};
