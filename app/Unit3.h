#pragma once

#include "forms/Form.h"

#include <QElapsedTimer>

class PictureBox;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// Title window: the application's main form. Shows the course's title page,
// opens the user guide and performs the login that fixes the role for the
// run. Closing it ends the program.
class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // The teacher password, compared with the whole text of Edit1.
    static constexpr const char* kTeacherPassword = "quartz";
    // The user guide's file name, looked for beside the program file.
    static const QString& userGuideName();

    // Password edit visibility: Edit1 is shown exactly while CheckBox1 is ticked.
    void Timer1Timer();
    // "Вход": shows the main window, hides this one and fixes UserRole.
    void Button1Click();
    // "Руководство пользователя": opens the guide lying beside the program file.
    void Button2Click();
    // "Выход": closes this window and so ends the program.
    void Button3Click();

    PictureBox* Image1 = nullptr;
    QLabel* Label1 = nullptr; // ministry
    QLabel* Label2 = nullptr; // university
    QLabel* Label3 = nullptr; // department
    QLabel* Label4 = nullptr; // textbook title
    QLabel* Label5 = nullptr; // speciality
    QLabel* Label6 = nullptr; // course author
    QFrame* Panel1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A teacher's login the course server did not let in is tried again
    // only after a pause that grows with each failure.
    QElapsedTimer m_lastRefusal;
    int m_refusals = 0;
};
