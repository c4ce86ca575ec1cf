#pragma once

#include "forms/Form.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Result window: the grade of a finished test run. Grading (the test
// window's "Выполнено") fills it; "Закрыть" leads back to the main window.
class TForm7 : public Form {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

    // "Закрыть": shows the main window in front and hides this one.
    void sButton1Click();

    QLabel* Label1 = nullptr; // the student's name; sized to its text
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit1 = nullptr; // number of questions
    QLineEdit* Edit2 = nullptr; // number of correct answers
    QLineEdit* Edit3 = nullptr; // five-point grade
    QLineEdit* Edit4 = nullptr; // letter grade with its grade point
    QPushButton* sButton1 = nullptr;
};
