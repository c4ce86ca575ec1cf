#pragma once

#include "forms/Form.h"

class QLineEdit;
class QPushButton;

// Main window: the authors of the course, their presentations and documents,
// the teaching-materials panels and the command strip.
class TForm1 : public Form {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Creation handler: places the window, empties the file lists, takes
    // HomeDir and loads the author register.
    void FormCreate();

    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QLineEdit* Edit3 = nullptr;
};
