#pragma once

#include "forms/Form.h"
#include "forms/QuestionTree.h"

#include <optional>

class QAction;
class Table;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace unit6 {
class RadioGroup;
} // namespace unit6

// Test editor: the teacher's window for the question base, table "test".
// It lists every question by its running number (nom1), shows one question
// with its topic and correct letter, adds questions, deletes the current one
// and keeps both numberings dense: nom1 over the whole table, nom within a
// topic. It owns no table object: it works on the test window's tblTest.
//
// Beyond its buttons, the tree's context menu moves whole topics in and out
// as Aiken question banks: "Импорт вопросов…" (Ctrl+O) and "Экспорт темы…"
// (Ctrl+S, the key that writes to a file in the results register too), and
// as the other systems' banks in Moodle XML, GIFT and IMS QTI 2.1
// ("Импорт из Moodle XML…" … "Экспорт темы в IMS QTI 2.1…", data/Exchange.h).
// A right click in the tree opens the menu and leaves the selected node as
// it was.
class TForm8 : public Form {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

    // "Тесты" of the main window for the teacher: shows the window, empties
    // the edits, the letters and the tree, opens tblTest (trying the database
    // again when it failed at start-up), switches its filtering off and lists
    // the questions 1 … N. Locates no row; the caption and whether the memo is
    // read-only stay as they were.
    void OpenEditor();

    // Shows the question whose nom1 is the selected node's number: its text,
    // topic and letter. A click with no node selected is ignored.
    void sTreeView1Click();
    // "Добавить": empties the controls, makes the memo editable and starts a
    // pending new row (nothing set); the caption shows the new question's number.
    void sButton1Click();
    // "Сохранить": stores the memo, the topic and the letter as a new
    // question (an existing one is never changed), renumbers the topic's
    // questions 1 … M and lists the questions again. An empty topic is
    // refused with a message and nothing is written.
    void sButton2Click();
    // "Удалить": deletes the current row without a question (the row last
    // shown; after "Добавить" only the pending new row), renumbers the whole
    // table 1 … N and the topic in the topic edit 1 … M, lists the questions
    // again and empties the controls.
    void sButton3Click();
    // "Выход": hides the editor and brings the main window to the front.
    void sButton4Click();
    // "Результаты тестирования": shows the results register, modeless.
    void sButton5Click();

    // "Импорт вопросов…": asks for an Aiken file and adds its questions to
    // the topic in the topic edit (asking for a topic when the edit is empty,
    // and putting it there), each numbered as "Сохранить" numbers it, all in
    // one transaction, the topic added to temi when missing. A file with
    // errors is refused whole with every line at fault; a cancelled import
    // writes nothing. Lists the questions again and says how many came in.
    void ImportActionExecute();
    // "Экспорт темы…": writes the questions of the topic in the topic edit
    // (asking for one when it is empty) to an Aiken file, whole or not at
    // all, and says in a notice where the file went.
    void ExportActionExecute();
    // The same for a topic in Moodle XML, GIFT and an IMS QTI 2.1 package.
    // An import also says, by question, what the file held that did not
    // come in (questions of other kinds, feedback, formatting ...); a file
    // in which a question would change its meaning is refused whole.
    void ImportMoodleXmlActionExecute();
    void ImportGiftActionExecute();
    void ImportQtiActionExecute();
    void ExportMoodleXmlActionExecute();
    void ExportGiftActionExecute();
    void ExportQtiActionExecute();

    // "Статистика…": the statistics of the questions of the topic in the
    // topic edit (forms/Unit11.h).
    void StatisticsActionExecute();
    // Opens the editor on the question with the key: the list of all
    // questions, that one shown. A question no longer in the base is said so.
    void ShowQuestion(int id);

    QAction* ImportAction = nullptr;
    QAction* ImportMoodleXmlAction = nullptr;
    QAction* ImportGiftAction = nullptr;
    QAction* ImportQtiAction = nullptr;
    QAction* ExportAction = nullptr;
    QAction* ExportMoodleXmlAction = nullptr;
    QAction* ExportGiftAction = nullptr;
    QAction* ExportQtiAction = nullptr;
    QAction* StatisticsAction = nullptr;

    struct BankFormat;

    QuestionTree* sTreeView1 = nullptr;
    QPlainTextEdit* sMemo1 = nullptr;
    unit6::RadioGroup* sRadioGroup1 = nullptr;
    QGroupBox* sGroupBox1 = nullptr;
    QLineEdit* sEdit1 = nullptr;
    QPushButton* sButton1 = nullptr;
    QPushButton* sButton2 = nullptr;
    QPushButton* sButton3 = nullptr;
    QPushButton* sButton5 = nullptr;
    QPushButton* sButton4 = nullptr;

private:
    void importBank(const BankFormat& format);
    void exportBank(const BankFormat& format);
    void createControls();
    void createMenu();
    // The topic in the topic edit; when it is empty, the one the user names
    // (nullopt: cancelled or none named, and the user was told).
    std::optional<QString> chosenTopic(const QString& caption, const QString& label, const QString& initial);
    // Empties the tree and lists the visible rows of tblTest as 1 … N,
    // starting at its first row.
    void fillTree();
    static void numberRows(Table* test, const QString& field);
};
