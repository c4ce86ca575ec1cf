#pragma once

#include "forms/Form.h"
#include "forms/QuestionTree.h"

#include <QComboBox>
#include <QGroupBox>
#include <QUuid>

class Connection;
class Table;
class QButtonGroup;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// A link from a table object to the data-aware controls that show it.
struct DataSource {
    Table* DataSet = nullptr;
};

namespace unit6 {

// A group box holding radio buttons side by side, one column each; the
// selected item is an index, -1 for none. chosen() is signalled whenever an
// item becomes selected, by the user or by setItemIndex(0 … n-1); not when the
// selected item is clicked again and not when the selection is cleared.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const { return m_index; }
    void setItemIndex(int index);
    int count() const;
    QRadioButton* button(int index) const;

signals:
    void chosen();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();
    void onToggled(int id, bool checked);

    QButtonGroup* m_buttons;
    int m_index = -1;
};

// An editable drop-down list whose change() is signalled when the user
// changes its text: an item picked from the list (with the mouse, the arrow
// keys or, while the list has the keyboard focus, the mouse wheel) or a
// character typed or deleted. Text set by the program signals nothing, and
// neither does the end of editing (Enter, or the focus leaving the field),
// which changes no text. The wheel over a list without the focus is left to
// the window: it neither takes the focus nor picks an item.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

signals:
    void change();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_editingEnds = false;
};

} // namespace unit6

// Test window: where a student takes a test. It owns the program's one
// database connection and its five table objects for the whole run.
class TForm6 : public Form {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    // Creation handler: opens the connection and the five table objects, in
    // this order; each failure is reported and start-up goes on.
    void FormCreate();

    // Opens the window for a student (main window, "Тесты"): opens the topics
    // (trying the database again when it failed at start-up), shows the
    // window, lists the topics and clears the name, the question and the
    // tree. Errors are thrown to the caller's handler; a failing open leaves
    // the window hidden.
    void OpenTestWindow();

    // The student changed the topic: rebuilds the question tree and the
    // answer sheet for it.
    void sComboBox1Change();
    // Shows the question of the selected node with its recorded letter.
    void sTreeView1Click();
    // Records the chosen letter in the current sheet row (pending, not posted).
    void sRadioGroup1Click();
    // "Выполнено": grades the run, shows the result window, stores the result.
    // On a course server the server grades the sheet and stores the result.
    void sButton1Click();

    // On a course server: logs the connection in as the teacher's role with
    // the password and opens the five table objects again over it. A login
    // the server refuses is reported and the PC's own login comes back: a
    // wrong password (the copy goes on as a student's), or a server that
    // did not let the teacher in at all (unreachable, full, starting up),
    // which the teacher may try again. Not for the file, whose teacher has
    // no role.
    enum class TeacherLogin { Teacher, WrongPassword, NotReached };
    TeacherLogin logInAsTeacher(const QString& password);

    // Controls.
    QGroupBox* sGroupBox2 = nullptr;
    QLineEdit* sEdit1 = nullptr;
    QGroupBox* sGroupBox1 = nullptr;
    unit6::ComboBox* sComboBox1 = nullptr;
    QFrame* sPanel1 = nullptr;
    QuestionTree* sTreeView1 = nullptr;
    QPlainTextEdit* sMemo1 = nullptr;
    unit6::RadioGroup* sRadioGroup1 = nullptr;
    QPushButton* sButton1 = nullptr;

    // Database objects.
    Connection* ADOConnection1 = nullptr;
    Table* tblTemi = nullptr;
    Table* tblTest = nullptr;
    Table* tblTesting = nullptr;
    Table* tblResult = nullptr;
    Table* tblMedia = nullptr;
    DataSource DataSource1, DataSource2, DataSource3, DataSource4, DataSource5;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void placePanel();
    void reopenTables();

    // On a course server: the run the copy started last (its key and its
    // topic; the server records it under the key), and the grading sent
    // last whose outcome was not read yet: pressed again for the same
    // sheet, it is sent again under its key, so that a grading whose answer
    // was lost on the way is stored once.
    QUuid m_run;
    QString m_runTopic;
    QUuid m_attempt;
    QString m_attemptSent;
};
