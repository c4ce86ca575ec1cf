#pragma once

#include "data/QuestionStats.h"
#include "forms/Form.h"

class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// Statistics of the questions, for the teacher: what the graded runs of a
// topic in a range of days say about its questions (question_stats), from
// the answers kept with each result row. Reached from the results
// register's menu and from the test editor's; it only reads.
//
// Above: the topic and the days. Then the figures of the topic, the five-
// point and the letter grades as bar charts, the table of the questions
// (sortable by every column; the count of the correct letter marked) and the
// letters of the question chosen in it as a chart. Buttons open the chosen
// question in the editor, write the question table or the matrix of the
// runs' answers to CSV files in the register's conventions, and print the
// window through the print preview. The help line says how the figures are
// formed.
class TForm11 : public Form {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);

    // Made at its first use; shows the window on the topic (the first topic
    // with kept answers when empty or unknown) over the days of all stored
    // results, and reads its figures.
    static TForm11* open(const QString& topic = QString());

    QComboBox* ComboBox1 = nullptr; // topic
    QDateEdit* DateEdit1 = nullptr; // from
    QDateEdit* DateEdit2 = nullptr; // to
    QLabel* Label1 = nullptr;       // the topic's figures
    QChartView* Chart1 = nullptr;   // five-point grades
    QChartView* Chart2 = nullptr;   // letter grades
    QChartView* Chart3 = nullptr;   // the chosen question's letters
    QTableView* Grid1 = nullptr;    // the questions
    QPushButton* Button1 = nullptr; // "Открыть в редакторе"
    QPushButton* Button2 = nullptr; // "Вопросы в CSV…"
    QPushButton* Button3 = nullptr; // "Ответы в CSV…"
    QPushButton* Button4 = nullptr; // "Печать…"
    QPushButton* Button5 = nullptr; // "Закрыть"
    QLabel* Label2 = nullptr;       // the help line

    // The question table's columns.
    enum Column { Number, Text, Facility, Discrimination, LetterA, NoAnswer = LetterA + 5, Flags, Columns };

    // Reads the topic chosen and the days again and shows the figures.
    void Refresh();
    // Another topic chosen: Refresh.
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

    const question_stats::Loaded& loaded() const { return m_loaded; }
    // The question shown in the chosen row of the table (-1: none).
    int chosenQuestion() const;

private:
    void createControls();
    void fillTopics(const QString& wanted);
    // The days from the first stored result's to the last one's.
    void showAllDays();
    void showSummary();
    void showGrades();
    void showQuestions();
    void showChosenQuestion();
    QStringList questionCells(const question_stats::Question& q, bool asCsv) const;
    QString summaryText() const;

    question_stats::Loaded m_loaded;
    QStandardItemModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    bool m_filling = false;
};

extern TForm11* Form11; // statistics of the questions; made at its first use
