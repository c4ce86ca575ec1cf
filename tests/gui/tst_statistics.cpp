// The statistics window on the demo course, reached as the teacher reaches
// it, on the file or (the _postgresql run) on a course server: the figures
// shown, the days, the sorting, the way into the editor, the CSV files and
// the print.

#include "app/Unit3.h"
#include "forms/Forms.h"
#include "forms/Unit11.h"
#include "forms/Unit8.h"
#include "forms/Unit9.h"
#include "pg/ServerCourse.h"
#include "support/CourseFixture.h"

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

class TestStatistics : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsTheTopicsFigures();
    void daysNarrowTheRuns();
    void sortsAndOpensTheQuestionInTheEditor();
    void writesTheTablesAndPrints();

private:
    void openAsTeacher();
    void chooseTopic(const QString& topic);
    QString cell(int row, int column) const;

    std::unique_ptr<CourseFixture> course;
    std::unique_ptr<ServerCourse> server;
};

void TestStatistics::init()
{
    course = std::make_unique<CourseFixture>();
    if (test_engine::server()) {
        server = std::make_unique<ServerCourse>(course->root());
        QVERIFY2(server->error().isEmpty(), qPrintable(server->error()));
    }
    openAsTeacher();
}

void TestStatistics::cleanup()
{
    course.reset();
    server.reset();
}

// "Вход" as the teacher, the editor, the register and its "Статистика…".
void TestStatistics::openAsTeacher()
{
    course->start();
    QVERIFY(course->platform.boxes.isEmpty());
    Form3->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(bool(server));
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))
        ->setText(server ? QString::fromUtf8(ServerCourse::kTeacherPassword) : QStringLiteral("quartz"));
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
    QCOMPARE(course->platform.texts(QStringLiteral("notice")),
             QStringList{QStringLiteral("Вы вошли в программу как преподаватель!")});
    course->platform.clear();
    Form8->OpenEditor();
    click(Form8->sButton5);
    QVERIFY(Form9->isVisible());
    Form9->StatisticsAction->trigger();
    QVERIFY(Form11 && Form11->isVisible());
    QCOMPARE(Form11->windowTitle(), QStringLiteral("Статистика"));
}

void TestStatistics::chooseTopic(const QString& topic)
{
    const int index = Form11->ComboBox1->findText(topic);
    QVERIFY(index >= 0);
    Form11->ComboBox1->setCurrentIndex(index);
    emit Form11->ComboBox1->activated(index);
}

QString TestStatistics::cell(int row, int column) const
{
    return Form11->Grid1->model()->index(row, column).data().toString();
}

void TestStatistics::showsTheTopicsFigures()
{
    // The first topic with kept answers, over the days of every result.
    QCOMPARE(Form11->ComboBox1->currentText(), QStringLiteral("Лермонтов"));
    QCOMPARE(Form11->DateEdit1->date(), QDate(2024, 3, 14));
    QCOMPARE(Form11->DateEdit2->date(), QDate(2024, 10, 7));
    QCOMPARE(Form11->loaded().stats.runs.size(), 14);

    chooseTopic(QStringLiteral("Пушкин"));
    const question_stats::Stats& s = Form11->loaded().stats;
    QCOMPARE(s.runs.size(), 24);
    QCOMPARE(s.questions.size(), 11);
    QCOMPARE(s.kr20Runs, 24);
    const QString summary = Form11->Label1->text();
    QVERIFY2(summary.startsWith(QStringLiteral("Прохождений: 24. ")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("с одинаковым набором из 11 вопросов")), qPrintable(summary));
    // The three results stored before answers were kept.
    QVERIFY2(summary.endsWith(QStringLiteral("(записанных раньше): 3.")), qPrintable(summary));

    // The question table: the first question of the topic, its correct
    // letter marked; every count of a question adds up to its runs.
    QCOMPARE(Form11->Grid1->model()->rowCount(), 11);
    QCOMPARE(cell(0, TForm11::Number), QStringLiteral("1"));
    QCOMPARE(cell(0, TForm11::Text), QStringLiteral("В каком году родился Александр Сергеевич Пушкин?"));
    QVERIFY(cell(0, TForm11::LetterA + 1).startsWith(QStringLiteral("✔ "))); // B
    for (const question_stats::Question& q : s.questions) {
        int sum = 0;
        for (int c : q.counts)
            sum += c;
        QCOMPARE(sum, 24);
    }
    // The grades of the runs fill the charts.
    const auto bars = [](QChartView* view) {
        qreal sum = 0;
        const auto series = static_cast<QBarSeries*>(view->chart()->series().value(0));
        for (QBarSet* set : series->barSets())
            for (int i = 0; i < set->count(); ++i)
                sum += set->at(i);
        return sum;
    };
    QCOMPARE(bars(Form11->Chart1), 24.0);
    QCOMPARE(bars(Form11->Chart2), 24.0);
    QCOMPARE(bars(Form11->Chart3), 24.0); // the first question's letters

    // A topic nobody took.
    chooseTopic(QStringLiteral("Достоевский"));
    QVERIFY(Form11->loaded().stats.runs.isEmpty());
    QVERIFY(Form11->Label1->text().startsWith(QStringLiteral("Прохождений темы в эти дни нет.")));
    QVERIFY(!Form11->Button1->isEnabled());

    const QByteArray shot = qgetenv("NORVENA_STATISTICS_SHOT");
    if (!shot.isEmpty()) {
        chooseTopic(QStringLiteral("Пушкин"));
        Form11->Grid1->selectRow(3);
        Form11->grab().save(QString::fromLocal8Bit(shot));
    }
}

void TestStatistics::daysNarrowTheRuns()
{
    chooseTopic(QStringLiteral("Пушкин"));
    // The second group alone.
    Form11->DateEdit1->setDate(QDate(2024, 9, 20));
    emit Form11->DateEdit1->editingFinished();
    QCOMPARE(Form11->loaded().stats.runs.size(), 12);
    QCOMPARE(Form11->loaded().withoutAnswers, 0);
    QVERIFY(!Form11->Label1->text().contains(QStringLiteral("записанных раньше")));
    Form11->DateEdit2->setDate(QDate(2024, 9, 21));
    emit Form11->DateEdit2->editingFinished();
    QVERIFY(Form11->loaded().stats.runs.isEmpty());
}

void TestStatistics::sortsAndOpensTheQuestionInTheEditor()
{
    chooseTopic(QStringLiteral("Пушкин"));
    // By facility, the hardest first.
    Form11->Grid1->sortByColumn(TForm11::Facility, Qt::AscendingOrder);
    double previous = -1;
    for (int r = 0; r < 11; ++r) {
        const double facility = Form11->Grid1->model()->index(r, TForm11::Facility).data(Qt::UserRole).toDouble();
        QVERIFY(facility >= previous);
        previous = facility;
    }
    // The hardest question is the ninth: nobody knew it.
    QCOMPARE(cell(0, TForm11::Number), QStringLiteral("9"));
    QCOMPARE(cell(0, TForm11::Facility), QStringLiteral("0,00"));
    QCOMPARE(cell(0, TForm11::Discrimination), QStringLiteral("—"));
    QVERIFY(cell(0, TForm11::Flags).contains(QStringLiteral("очень трудный")));

    Form11->Grid1->selectRow(0);
    const auto chart = Form11->Chart3->chart();
    QCOMPARE(chart->title(), QStringLiteral("Ответы на вопрос 9"));
    click(Form11->Button1);
    QVERIFY(Form8->isVisible());
    QVERIFY(Form8->sMemo1->toPlainText().startsWith(QStringLiteral("Где Пушкин провёл знаменитую осень 1830 года?")));
    QCOMPARE(Form8->sEdit1->text(), QStringLiteral("Пушкин"));
    QCOMPARE(course->platform.boxes.size(), 0);

    // From the editor, the window comes up on the topic in its topic edit.
    Form8->sEdit1->setText(QStringLiteral("Лермонтов"));
    Form8->StatisticsAction->trigger();
    QCOMPARE(Form11->ComboBox1->currentText(), QStringLiteral("Лермонтов"));
    QCOMPARE(Form11->loaded().stats.runs.size(), 14);
}

void TestStatistics::writesTheTablesAndPrints()
{
    chooseTopic(QStringLiteral("Пушкин"));
    const QString questions = course->path(QStringLiteral("вопросы.csv"));
    const QString matrix = course->path(QStringLiteral("ответы.csv"));
    course->platform.fileAnswers = {questions, matrix};
    click(Form11->Button2);
    click(Form11->Button3);
    QVERIFY(course->platform.fileDialogs.value(0).proposed.endsWith(QStringLiteral("/Вопросы — Пушкин.csv")));

    QFile q(questions);
    QVERIFY(q.open(QIODevice::ReadOnly));
    const QList<QByteArray> qLines = q.readAll().split('\n');
    QCOMPARE(qLines.size(), 1 + 11 + 1); // titles, questions, the end of the last line
    QVERIFY(
        qLines[0].startsWith("\xEF\xBB\xBF№;Вопрос;Лёгкость;Различение;A;B;C;D;E;Нет ответа;Замечания;Верный ответ"));
    QVERIFY(qLines[1].startsWith("1;В каком году родился Александр Сергеевич Пушкин?;"));
    QVERIFY(qLines[1].trimmed().endsWith(";B"));

    QFile m(matrix);
    QVERIFY(m.open(QIODevice::ReadOnly));
    const QList<QByteArray> mLines = m.readAll().split('\n');
    QCOMPARE(mLines.size(), 1 + 24 + 1);
    QVERIFY(mLines[0].contains("ФИО студента;Дата;Верно;Кол-во вопросов;Оценка;1: ответ;1: верно;2: ответ"));
    // A row: name, date, k, N, grade, then the letter and 1/0 per question.
    const QList<QByteArray> cells = mLines[1].trimmed().split(';');
    QCOMPARE(cells.size(), 5 + 2 * 11);
    QCOMPARE(cells[1], QByteArray("16.09.2024"));
    QCOMPARE(cells[3], QByteArray("11"));
    int right = 0;
    for (int i = 0; i < 11; ++i)
        right += cells[6 + 2 * i] == "1";
    QCOMPARE(QByteArray::number(right), cells[2]);
    QCOMPARE(course->platform.texts(QStringLiteral("notice")).size(), 2);

    click(Form11->Button4);
    QCOMPARE(course->platform.previews.size(), 1);
    QVERIFY(course->platform.previews[0].drawn);
    QCOMPARE(course->platform.previews[0].documentName, QStringLiteral("Статистика"));
    QCOMPARE(course->platform.verifyDone(), QString());
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
