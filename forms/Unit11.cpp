#include "forms/Unit11.h"

#include "data/Connection.h"
#include "data/Csv.h"
#include "data/QuestionBank.h"
#include "data/Table.h"
#include "forms/CsvSave.h"
#include "forms/Forms.h"
#include "forms/Grading.h"
#include "forms/TablePrint.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"
#include "platform/Error.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"
#include "skin/Look.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

TForm11* Form11 = nullptr;

namespace {

const QStringList kFivePoint{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
const QStringList kLetterGrades{QStringLiteral("F"),  QStringLiteral("D"),  QStringLiteral("D+"), QStringLiteral("C-"),
                                QStringLiteral("C"),  QStringLiteral("C+"), QStringLiteral("B-"), QStringLiteral("B"),
                                QStringLiteral("B+"), QStringLiteral("A-"), QStringLiteral("A")};
const QColor kRightColor(76, 153, 76);
const QColor kBarColor(70, 110, 160);

QString decimal(double v) { return QLocale(QLocale::Russian).toString(v, 'f', 2); }
QString decimal(const std::optional<double>& v) { return v ? decimal(*v) : QStringLiteral("—"); }

// A bar chart of counts under their categories; the bar `marked` (-1: none)
// in the colour of a right answer.
void showBars(QChartView* view, const QString& title, const QStringList& categories, const QList<int>& counts,
              int marked = -1)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(2, 2, 2, 2));
    auto* set = new QBarSet(title);
    set->setColor(kBarColor);
    set->setSelectedColor(kRightColor);
    int top = 1;
    for (int c : counts) {
        *set << c;
        top = std::max(top, c);
    }
    if (marked >= 0)
        set->selectBar(marked);
    auto* series = new QBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    // Whole numbers on the counts' axis, at most five steps.
    const int step = (top + 4) / 5;
    auto* y = new QValueAxis;
    y->setRange(0, ((top + step - 1) / step) * step);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTickInterval(step);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

QStandardItem* item(const QString& text, const QVariant& sortKey)
{
    auto* it = new QStandardItem(text);
    it->setData(sortKey, Qt::UserRole);
    it->setEditable(false);
    return it;
}

} // namespace

TForm11::TForm11(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(QStringLiteral("Статистика"));
    setProperty("skinSection", QStringLiteral("FORM"));
    setOuterGeometry(120, 60, 980, 720);
    Look::setBackground(this, Look::kSkinnedWindowColor);
    createControls();
}

TForm11* TForm11::open(const QString& topic)
{
    if (!Form11)
        Form11 = new TForm11;
    Form11->fillTopics(topic);
    Form11->showAllDays();
    Form11->showAndRaise();
    Form11->Refresh();
    return Form11;
}

void TForm11::createControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Тема:"), this));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMinimumWidth(320);
    ComboBox1->setAccessibleName(QStringLiteral("Тема"));
    top->addWidget(ComboBox1, 1);
    top->addWidget(new QLabel(QStringLiteral("с"), this));
    DateEdit1 = new QDateEdit(this);
    DateEdit1->setObjectName(QStringLiteral("DateEdit1"));
    DateEdit1->setAccessibleName(QStringLiteral("С даты"));
    top->addWidget(DateEdit1);
    top->addWidget(new QLabel(QStringLiteral("по"), this));
    DateEdit2 = new QDateEdit(this);
    DateEdit2->setObjectName(QStringLiteral("DateEdit2"));
    DateEdit2->setAccessibleName(QStringLiteral("По дату"));
    top->addWidget(DateEdit2);
    for (QDateEdit* edit : {DateEdit1, DateEdit2}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    layout->addLayout(top);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label1->setMinimumHeight(2 * Label1->fontMetrics().lineSpacing() + 4);
    layout->addWidget(Label1);

    auto* charts = new QHBoxLayout;
    Chart1 = new QChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart2 = new QChartView(this);
    Chart2->setObjectName(QStringLiteral("Chart2"));
    for (QChartView* view : {Chart1, Chart2}) {
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(190);
        charts->addWidget(view);
    }
    charts->setStretch(0, 2);
    charts->setStretch(1, 3);
    layout->addLayout(charts, 2);

    auto* middle = new QHBoxLayout;
    Grid1 = new QTableView(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setAccessibleName(QStringLiteral("Вопросы темы"));
    m_model = new QStandardItemModel(0, Columns, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Вопрос"), QStringLiteral("Лёгкость"),
                                        QStringLiteral("Различение"), QStringLiteral("A"), QStringLiteral("B"),
                                        QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("E"),
                                        QStringLiteral("Нет ответа"), QStringLiteral("Замечания")});
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(Qt::UserRole);
    Grid1->setModel(m_sorted);
    Grid1->setSortingEnabled(true);
    Grid1->sortByColumn(Number, Qt::AscendingOrder);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->setWordWrap(false);
    Grid1->verticalHeader()->hide();
    Grid1->verticalHeader()->setDefaultSectionSize(Grid1->fontMetrics().lineSpacing() + 6);
    Grid1->horizontalHeader()->setSectionResizeMode(Text, QHeaderView::Interactive);
    Grid1->horizontalHeader()->setStretchLastSection(true);
    Grid1->setColumnWidth(Number, 40);
    Grid1->setColumnWidth(Text, 220);
    Grid1->setColumnWidth(Facility, 72);
    Grid1->setColumnWidth(Discrimination, 84);
    for (int c = LetterA; c <= NoAnswer; ++c)
        Grid1->setColumnWidth(c, c == NoAnswer ? 80 : 40);
    middle->addWidget(Grid1, 3);
    Chart3 = new QChartView(this);
    Chart3->setObjectName(QStringLiteral("Chart3"));
    Chart3->setRenderHint(QPainter::Antialiasing);
    Chart3->setMinimumWidth(240);
    middle->addWidget(Chart3, 1);
    layout->addLayout(middle, 3);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setProperty("skinSection", QStringLiteral("BUTTON"));
        buttons->addWidget(b);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Открыть в редакторе"));
    Button2 = button("Button2", QStringLiteral("Вопросы в CSV…"));
    Button3 = button("Button3", QStringLiteral("Ответы в CSV…"));
    Button4 = button("Button4", QStringLiteral("Печать…"));
    buttons->addStretch(1);
    Button5 = button("Button5", QStringLiteral("Закрыть"));
    layout->addLayout(buttons);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setText(QStringLiteral(
        "Лёгкость — доля прохождений, в которых на вопрос ответили верно (выше 0,9 — очень лёгкий, ниже 0,2 — очень "
        "трудный). Различение — корреляция Пирсона между ответом на вопрос (1 — верно, 0 — нет) и числом верных "
        "ответов на остальные вопросы того же прохождения; ниже 0,2 вопрос плохо отличает сильных от слабых, "
        "«—» — когда одно из двух не меняется. KR-20 = n/(n−1) × (1 − Σpq/σ²): n — число вопросов, p — лёгкость "
        "вопроса, q = 1 − p, σ² — дисперсия числа верных ответов; считается по прохождениям с самым частым набором "
        "вопросов, ближе к 1 — надёжнее тест."));
    QFont small = Label2->font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.9);
    else
        small.setPixelSize(std::max(9, small.pixelSize() * 9 / 10));
    Label2->setFont(small);
    layout->addWidget(Label2);

    on(ComboBox1, &QComboBox::activated, this, &TForm11::ComboBox1Change);
    on(DateEdit1, &QDateEdit::editingFinished, this, &TForm11::Refresh);
    on(DateEdit2, &QDateEdit::editingFinished, this, &TForm11::Refresh);
    on(Grid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TForm11::showChosenQuestion);
    on(Grid1, &QTableView::doubleClicked, this, &TForm11::Button1Click);
    on(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    on(Button2, &QPushButton::clicked, this, &TForm11::Button2Click);
    on(Button3, &QPushButton::clicked, this, &TForm11::Button3Click);
    on(Button4, &QPushButton::clicked, this, &TForm11::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &QWidget::hide);
}

void TForm11::fillTopics(const QString& wanted)
{
    // The course's topics, then those only the kept answers still name
    // (renamed or removed since).
    QStringList topics;
    Table* temi = Form6->tblTemi;
    Table* test = Form6->tblTest;
    temi->open();
    test->open();
    topics = questionbank::knownTopics(*temi, *test);
    const QStringList withAnswers = question_stats::topicsWithAnswers(*Form6->ADOConnection1);
    for (const QString& t : withAnswers)
        if (!topics.contains(t))
            topics << t;
    const QString current = wanted.isEmpty() ? ComboBox1->currentText() : wanted;
    m_filling = true;
    ComboBox1->clear();
    ComboBox1->addItems(topics);
    int index = ComboBox1->findText(current);
    if (index < 0 && !withAnswers.isEmpty())
        index = ComboBox1->findText(withAnswers.first());
    ComboBox1->setCurrentIndex(std::max(index, 0));
    m_filling = false;
}

void TForm11::ComboBox1Change() { Refresh(); }

void TForm11::showAllDays()
{
    // Every stored result's day: the teacher narrows them to a group's.
    const auto range = question_stats::dateRange(*Form6->ADOConnection1);
    const QDate today = QDate::currentDate();
    DateEdit1->setDate(range.first.isValid() ? range.first : today);
    DateEdit2->setDate(range.second.isValid() ? range.second : today);
}

void TForm11::Refresh()
{
    if (m_filling)
        return;
    m_loaded =
        question_stats::load(*Form6->ADOConnection1, {ComboBox1->currentText(), DateEdit1->date(), DateEdit2->date()});
    showSummary();
    showGrades();
    showQuestions();
}

QString TForm11::summaryText() const
{
    const question_stats::Stats& s = m_loaded.stats;
    QStringList parts;
    if (!m_loaded.haveAnswers)
        parts << QStringLiteral("В базе нет сохранённых ответов: они сохраняются при каждом тестировании.");
    if (s.runs.isEmpty()) {
        parts << QStringLiteral("Прохождений темы в эти дни нет.");
    } else {
        parts << QStringLiteral("Прохождений: %1. Доля верных ответов: средняя %2, медиана %3, стандартное "
                                "отклонение %4.")
                     .arg(s.runs.size())
                     .arg(decimal(s.mean), decimal(s.median), decimal(s.deviation));
        parts << QStringLiteral("Надёжность KR-20: %1 (по %2 прохождениям с одинаковым набором из %3 вопросов).")
                     .arg(decimal(s.kr20))
                     .arg(s.kr20Runs)
                     .arg(s.kr20Questions);
    }
    if (m_loaded.withoutAnswers > 0)
        parts << QStringLiteral("Не учтено результатов без сохранённых ответов (записанных раньше): %1.")
                     .arg(m_loaded.withoutAnswers);
    return parts.join(u' ');
}

void TForm11::showSummary() { Label1->setText(summaryText()); }

void TForm11::showGrades()
{
    QList<int> five(kFivePoint.size(), 0);
    QList<int> letters(kLetterGrades.size() + 1, 0);
    for (const question_stats::Run& r : std::as_const(m_loaded.stats.runs)) {
        const grading::Grade g = grading::grade(r.correct, r.questions);
        const qsizetype f = kFivePoint.indexOf(g.fivePoint);
        if (f >= 0)
            ++five[f];
        // The letter as stored (and as the teacher may have corrected it).
        const qsizetype l = kLetterGrades.indexOf(r.letter.toString());
        ++letters[l >= 0 ? l : kLetterGrades.size()];
    }
    QStringList letterNames = kLetterGrades;
    if (letters.last() == 0)
        letters.removeLast();
    else
        letterNames << QStringLiteral("—");
    showBars(Chart1, QStringLiteral("Оценки по пятибалльной шкале"), kFivePoint, five);
    showBars(Chart2, QStringLiteral("Буквенные оценки"), letterNames, letters);
}

QStringList TForm11::questionCells(const question_stats::Question& q, bool asCsv) const
{
    QStringList cells{QString::number(q.number),
                      q.firstLine.isEmpty() ? QStringLiteral("(вопроса нет в базе)") : q.firstLine, decimal(q.facility),
                      decimal(q.discrimination)};
    for (int l = 0; l <= question_stats::kNoAnswer; ++l) {
        const bool right = l < question_stats::kLetters && question_stats::letterName(l) == q.correct;
        cells << (right && !asCsv ? QStringLiteral("✔ %1").arg(q.counts[l]) : QString::number(q.counts[l]));
    }
    cells << q.flags.join(QStringLiteral("; "));
    if (asCsv)
        cells << q.correct;
    return cells;
}

void TForm11::showQuestions()
{
    m_model->removeRows(0, m_model->rowCount());
    const auto& questions = m_loaded.stats.questions;
    for (int i = 0; i < questions.size(); ++i) {
        const question_stats::Question& q = questions[i];
        const QStringList cells = questionCells(q, false);
        QList<QStandardItem*> row;
        row << item(cells[Number], q.number) << item(cells[Text], cells[Text]) << item(cells[Facility], q.facility)
            << item(cells[Discrimination], q.discrimination ? *q.discrimination : -2.0);
        for (int l = 0; l <= question_stats::kNoAnswer; ++l) {
            QStandardItem* it = item(cells[LetterA + l], q.counts[l]);
            it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (l < question_stats::kLetters && question_stats::letterName(l) == q.correct) {
                QFont bold = it->font();
                bold.setBold(true);
                it->setFont(bold);
                it->setForeground(kRightColor.darker(130));
                it->setToolTip(QStringLiteral("Верный ответ"));
            }
            row << it;
        }
        row << item(cells[Flags], cells[Flags]);
        row[Number]->setData(i, Qt::UserRole + 1); // the question's place in the statistics
        row[Text]->setToolTip(q.firstLine);
        m_model->appendRow(row);
    }
    if (m_sorted->rowCount() > 0)
        Grid1->selectRow(0);
    else
        showChosenQuestion();
}

int TForm11::chosenQuestion() const
{
    const QModelIndex current = Grid1->currentIndex();
    if (!current.isValid())
        return -1;
    return m_sorted->index(current.row(), Number).data(Qt::UserRole + 1).toInt();
}

void TForm11::showChosenQuestion()
{
    const int i = chosenQuestion();
    QStringList names;
    QList<int> counts;
    int marked = -1;
    QString title = QStringLiteral("Ответы на вопрос");
    if (i >= 0) {
        const question_stats::Question& q = m_loaded.stats.questions[i];
        title = QStringLiteral("Ответы на вопрос %1").arg(q.number);
        for (int l = 0; l <= question_stats::kNoAnswer; ++l) {
            names << (l == question_stats::kNoAnswer ? QStringLiteral("нет") : question_stats::letterName(l));
            counts << q.counts[l];
            if (question_stats::letterName(l) == q.correct && l < question_stats::kLetters)
                marked = l;
        }
    }
    showBars(Chart3, title, names, counts, marked);
    Button1->setEnabled(i >= 0);
}

void TForm11::Button1Click()
{
    const int i = chosenQuestion();
    if (i < 0)
        return;
    Form8->ShowQuestion(m_loaded.stats.questions[i].id);
}

namespace {

const QString kSavedNotice = QStringLiteral("Таблица сохранена в файл «%1».");

// The file name offered (the file dialog makes it fit to be one).
QString fileName(const QString& topic, const QString& what) { return QStringLiteral("%1 — %2.csv").arg(what, topic); }

} // namespace

void TForm11::Button2Click()
{
    QStringList titles;
    for (int c = 0; c < Columns; ++c)
        titles << m_model->headerData(c, Qt::Horizontal).toString();
    titles << QStringLiteral("Верный ответ");
    // In the order the table shows them.
    QList<int> order;
    for (int r = 0; r < m_sorted->rowCount(); ++r)
        order << m_sorted->index(r, Number).data(Qt::UserRole + 1).toInt();
    csvsave::save(this, fileName(ComboBox1->currentText(), QStringLiteral("Вопросы")),
                  QStringLiteral("Сохранение вопросов в CSV…"), kSavedNotice, titles, order.size(),
                  [this, &order](qint64 row) {
                      // Texts are guarded as the register's are; figures stay figures.
                      QStringList cells = questionCells(m_loaded.stats.questions[order[row]], true);
                      for (int c : {int(Text), int(Flags), int(Columns)})
                          cells[c] = csv::cellText(cells[c]);
                      return cells;
                  });
}

void TForm11::Button3Click()
{
    const question_stats::Stats& s = m_loaded.stats;
    QStringList titles{QStringLiteral("ФИО студента"), QStringLiteral("Дата"), QStringLiteral("Верно"),
                       QStringLiteral("Кол-во вопросов"), QStringLiteral("Оценка")};
    for (const question_stats::Question& q : s.questions)
        titles << QStringLiteral("%1: ответ").arg(q.number) << QStringLiteral("%1: верно").arg(q.number);
    csvsave::save(this, fileName(ComboBox1->currentText(), QStringLiteral("Ответы")),
                  QStringLiteral("Сохранение ответов в CSV…"), kSavedNotice, titles, s.runs.size(), [&s](qint64 row) {
                      const question_stats::Run& r = s.runs[row];
                      QStringList cells{csv::cellText(r.name), csv::cellText(r.date), QString::number(r.correct),
                                        QString::number(r.questions), csv::cellText(r.letter)};
                      for (int q = 0; q < s.questions.size(); ++q) {
                          if (r.given[q] < 0) {
                              cells << QString() << QString();
                              continue;
                          }
                          cells << (r.given[q] == question_stats::kOther      ? QStringLiteral("?")
                                    : r.given[q] == question_stats::kNoAnswer ? QString()
                                                                              : question_stats::letterName(r.given[q]))
                                << (r.right[q] ? QStringLiteral("1") : QStringLiteral("0"));
                      }
                      return cells;
                  });
}

void TForm11::Button4Click()
{
    QStringList titles;
    for (int c = 0; c < Columns; ++c)
        titles << m_model->headerData(c, Qt::Horizontal).toString();
    QList<QStringList> rows;
    for (int r = 0; r < m_sorted->rowCount(); ++r)
        rows << questionCells(m_loaded.stats.questions[m_sorted->index(r, Number).data(Qt::UserRole + 1).toInt()],
                              false);
    const QString title = QStringLiteral("Статистика: %1, %2 — %3")
                              .arg(ComboBox1->currentText(), DateEdit1->date().toString(QStringLiteral("dd.MM.yyyy")),
                                   DateEdit2->date().toString(QStringLiteral("dd.MM.yyyy")));
    TablePrint table(title, QDate::currentDate(), titles, rows);
    Platform::printPreviews().execute(
        this, QStringLiteral("Статистика"), [this, &table, &title](QPrinter& printer, bool) {
            if (!table.paginate(printer, [](qint64) { return true; }))
                return false;
            QPainter painter;
            if (!painter.begin(&printer))
                throw Error(QStringLiteral("The printer cannot be used"));
            // The first page: the title, the figures and the charts.
            const QRect page = painter.viewport();
            QFont heading = painter.font();
            heading.setBold(true);
            heading.setPointSizeF(heading.pointSizeF() * 1.3);
            painter.setFont(heading);
            QRect text(page.left(), page.top(), page.width(), page.height() / 10);
            painter.drawText(text, Qt::AlignLeft | Qt::TextWordWrap, title);
            QFont body = heading;
            body.setBold(false);
            body.setPointSizeF(heading.pointSizeF() / 1.3);
            painter.setFont(body);
            QRect figures(page.left(), text.bottom(), page.width(), page.height() / 6);
            painter.drawText(figures, Qt::AlignLeft | Qt::TextWordWrap, summaryText());
            const int chartTop = figures.bottom() + page.height() / 40;
            const int chartHeight = page.height() / 3;
            const int half = page.width() / 2;
            Chart1->render(&painter, QRectF(page.left(), chartTop, half - 10, chartHeight));
            Chart2->render(&painter, QRectF(page.left() + half, chartTop, half, chartHeight));
            Chart3->render(&painter, QRectF(page.left(), chartTop + chartHeight + 20, half - 10, chartHeight));
            // Then the question table.
            for (int p = 0; p < table.pageCount(); ++p) {
                if (!printer.newPage())
                    throw Error(QStringLiteral("The printer cannot start a new page"));
                table.paintPage(painter, p);
            }
            painter.end();
            return true;
        });
}
