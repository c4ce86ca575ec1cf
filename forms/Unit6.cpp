#include "forms/Unit6.h"

#include "data/Connection.h"
#include "data/RunAnswers.h"
#include "data/ServerGrading.h"
#include "data/Table.h"
#include "data/TestBase.h"
#include "data/Value.h"
#include "forms/Forms.h"
#include "forms/Grading.h"
#include "forms/Unit7.h"
#include "platform/ErrorReport.h"
#include "skin/Look.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSize>
#include <QWheelEvent>

namespace {

constexpr int kPanelHeight = 454;
constexpr int kComboItemHeight = 20;

} // namespace

// --- radio group -----------------------------------------------------------

unit6::RadioGroup::RadioGroup(const QStringList& items, QWidget* parent)
    : QGroupBox(parent), m_buttons(new QButtonGroup(this))
{
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QStringLiteral("item%1").arg(i));
        m_buttons->addButton(button, i);
    }
    connect(m_buttons, &QButtonGroup::idToggled, this, &RadioGroup::onToggled);
    arrange();
}

int unit6::RadioGroup::count() const { return m_buttons->buttons().size(); }

QRadioButton* unit6::RadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(m_buttons->button(index));
}

void unit6::RadioGroup::setItemIndex(int index)
{
    if (index < 0 || index >= count())
        index = -1;
    if (index == m_index)
        return;
    if (index >= 0) {
        button(index)->setChecked(true); // onToggled signals chosen()
        return;
    }
    // An exclusive group keeps one button checked: let go of it for a moment.
    m_buttons->setExclusive(false);
    button(m_index)->setChecked(false);
    m_buttons->setExclusive(true);
    m_index = -1;
}

void unit6::RadioGroup::onToggled(int id, bool checked)
{
    if (!checked)
        return;
    m_index = id;
    emit chosen();
}

void unit6::RadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    arrange();
}

// One column per item across the width, the items centred in the body.
void unit6::RadioGroup::arrange()
{
    const int n = count();
    if (n == 0)
        return;
    const int columnWidth = (width() - 10) / n;
    const int top = fontMetrics().height() / 2 + 2;
    const int itemHeight = height() - top - 4;
    for (int i = 0; i < n; ++i)
        button(i)->setGeometry(8 + i * columnWidth, top, columnWidth, itemHeight);
}

// --- combo box -------------------------------------------------------------

unit6::ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    // The combo takes the end of editing with a text that names an item for
    // a pick of that item. Our connections around its own tell such a pick
    // from the user's.
    auto* edit = new QLineEdit(this);
    auto ending = [this] { m_editingEnds = true; };
    auto ended = [this] { m_editingEnds = false; };
    connect(edit, &QLineEdit::returnPressed, this, ending);
    connect(edit, &QLineEdit::editingFinished, this, ending);
    setLineEdit(edit);
    connect(edit, &QLineEdit::returnPressed, this, ended);
    connect(edit, &QLineEdit::editingFinished, this, ended);

    // Tab and click give the focus, the wheel does not.
    setFocusPolicy(Qt::StrongFocus);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true); // Enter looks up no item either
    setCompleter(nullptr);      // the text is what the student typed, letter by letter

    connect(this, &QComboBox::textActivated, this, [this] {
        if (!m_editingEnds)
            emit change();
    });
    connect(edit, &QLineEdit::textEdited, this, &ComboBox::change);
}

void unit6::ComboBox::wheelEvent(QWheelEvent* event)
{
    // One notch over the topic must not wipe the student's run.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

// --- test window -----------------------------------------------------------

TForm6::TForm6(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Тестирование"));
    setOuterGeometry(250, 80, 794, 638);
    Look::setBackground(this, Look::kSkinnedWindowColor);
    setProperty("skinSection", "FORM");
    createControls();

    ADOConnection1 = new Connection(QStringLiteral("ADOConnection1"), this);
    tblTemi = new Table(QStringLiteral("tblTemi"), ADOConnection1, QStringLiteral("temi"), this);
    tblTest = new Table(QStringLiteral("tblTest"), ADOConnection1, QStringLiteral("test"), this);
    tblTesting = new Table(QStringLiteral("tblTesting"), ADOConnection1, QStringLiteral("testing"), this);
    // Every running copy of the program takes its tests on an answer sheet
    // of its own, made from the file's sheet when the program starts: copies
    // that share the file never touch each other's answers.
    tblTesting->setPrivateToConnection(true);
    tblResult = new Table(QStringLiteral("tblResult"), ADOConnection1, QStringLiteral("result"), this);
    tblMedia = new Table(QStringLiteral("tblMedia"), ADOConnection1, QStringLiteral("media"), this);
    DataSource1.DataSet = tblTemi;
    DataSource2.DataSet = tblTest;
    DataSource3.DataSet = tblTesting;
    DataSource4.DataSet = tblResult;
    DataSource5.DataSet = tblMedia;
}

TForm6::~TForm6() = default;

void TForm6::createControls()
{
    sGroupBox2 = new QGroupBox(QStringLiteral("Введите ваши ФИО"), this);
    sGroupBox2->setObjectName(QStringLiteral("sGroupBox2"));
    sGroupBox2->setGeometry(8, 0, 769, 73);
    Look::setFont(sGroupBox2, 16);
    sGroupBox2->setProperty("skinSection", "GROUPBOX");
    sEdit1 = new QLineEdit(sGroupBox2);
    sEdit1->setObjectName(QStringLiteral("sEdit1"));
    sEdit1->setGeometry(8, 32, 745, 28);
    sEdit1->setProperty("skinSection", "EDIT");
    sEdit1->setAccessibleName(QStringLiteral("Введите ваши ФИО"));

    sGroupBox1 = new QGroupBox(QStringLiteral("Выберите тему тестирования "), this);
    sGroupBox1->setObjectName(QStringLiteral("sGroupBox1"));
    sGroupBox1->setGeometry(8, 72, 769, 73);
    Look::setFont(sGroupBox1, 16);
    sGroupBox1->setProperty("skinSection", "GROUPBOX");
    sComboBox1 = new unit6::ComboBox(sGroupBox1);
    sComboBox1->setObjectName(QStringLiteral("sComboBox1"));
    sComboBox1->setGeometry(24, 32, 729, 28);
    sComboBox1->setMaxVisibleItems(16);
    sComboBox1->setProperty("skinSection", "COMBOBOX");
    for (QWidget* w : {static_cast<QWidget*>(sComboBox1), static_cast<QWidget*>(sComboBox1->lineEdit())}) {
        w->setAccessibleName(QStringLiteral("Выберите тему тестирования"));
        w->setAccessibleDescription(
            QStringLiteral("Тема теста. Стрелки вверх и вниз выбирают тему, Alt+стрелка вниз раскрывает список; "
                           "выбор темы начинает тест заново"));
    }

    sPanel1 = new QFrame(this);
    sPanel1->setObjectName(QStringLiteral("sPanel1"));
    sPanel1->setGeometry(0, 150, 786, kPanelHeight);
    Look::setFont(sPanel1, 16);
    sPanel1->setProperty("skinSection", "PANEL");

    sTreeView1 = new QuestionTree(sPanel1);
    sTreeView1->setObjectName(QStringLiteral("sTreeView1"));
    sTreeView1->setGeometry(0, 0, 105, 449);
    sTreeView1->setProperty("skinSection", "EDIT");
    sTreeView1->setAccessibleName(QStringLiteral("Номера вопросов"));
    sTreeView1->setAccessibleDescription(
        QStringLiteral("Вопросы темы по номерам. Стрелки, Home, End, PgUp и PgDn показывают выделенный вопрос"));

    sMemo1 = new QPlainTextEdit(sPanel1);
    sMemo1->setObjectName(QStringLiteral("sMemo1"));
    sMemo1->setGeometry(112, 8, 665, 369);
    QPalette memoPalette = sMemo1->palette();
    memoPalette.setColor(QPalette::Base, Qt::white);
    sMemo1->setPalette(memoPalette);
    sMemo1->setProperty("skinSection", "EDIT");
    // Tab moves on to the next control, as everywhere else in the window.
    sMemo1->setTabChangesFocus(true);
    sMemo1->setAccessibleName(QStringLiteral("Текст вопроса"));
    sMemo1->setAccessibleDescription(
        QStringLiteral("Показанный вопрос с вариантами ответа. Tab переходит к буквам ответа"));

    sRadioGroup1 = new unit6::RadioGroup(testbase::answerLetters(), sPanel1);
    sRadioGroup1->setObjectName(QStringLiteral("sRadioGroup1"));
    sRadioGroup1->setGeometry(112, 384, 497, 65);
    sRadioGroup1->setProperty("skinSection", "GROUPBOX");
    sRadioGroup1->setAccessibleName(QStringLiteral("Ответ"));
    sRadioGroup1->setAccessibleDescription(
        QStringLiteral("Буква ответа на показанный вопрос: A, B, C, D или E. Стрелки переходят от буквы к букве"));
    for (int i = 0; i < sRadioGroup1->count(); ++i)
        sRadioGroup1->button(i)->setAccessibleDescription(QStringLiteral("Ответ на показанный вопрос"));

    sButton1 = new QPushButton(QStringLiteral("Выполнено"), sPanel1);
    sButton1->setObjectName(QStringLiteral("sButton1"));
    sButton1->setGeometry(624, 408, 145, 25);
    sButton1->setProperty("skinSection", "BUTTON");

    // Tab order: the topic, the panel (tree, memo, letters, button), the name.
    QWidget::setTabOrder(sComboBox1, sTreeView1);
    QWidget::setTabOrder(sTreeView1, sMemo1);
    QWidget* previous = sMemo1;
    for (int i = 0; i < sRadioGroup1->count(); ++i) {
        QWidget::setTabOrder(previous, sRadioGroup1->button(i));
        previous = sRadioGroup1->button(i);
    }
    QWidget::setTabOrder(previous, sButton1);
    QWidget::setTabOrder(sButton1, sEdit1);

    // The topic changes only through the student, never when the program
    // sets the text.
    on(sComboBox1, &unit6::ComboBox::change, this, &TForm6::sComboBox1Change);
    on(sTreeView1, &QuestionTree::click, this, &TForm6::sTreeView1Click);
    on(sRadioGroup1, &unit6::RadioGroup::chosen, this, &TForm6::sRadioGroup1Click);
    on(sButton1, &QPushButton::clicked, this, &TForm6::sButton1Click);
}

// The panel is aligned to the bottom edge: full client width, fixed height.
void TForm6::placePanel() { sPanel1->setGeometry(0, height() - kPanelHeight, width(), kPanelHeight); }

void TForm6::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    placePanel();
}

void TForm6::FormCreate()
{
    ErrorReport::run([this] { ADOConnection1->open(); });
    // A course server that does not answer, or a settings file that cannot
    // be used, is reported once: each table would only wait and say the same.
    // The tables try again when they are next opened.
    if (!ADOConnection1->isOpen() && !ADOConnection1->fileChosen()) {
        // A server that is not up yet: each table opens at its next use.
        if (ADOConnection1->server())
            for (Table* table : {tblTemi, tblTest, tblTesting, tblResult, tblMedia})
                table->openAtNextUse();
        return;
    }
    reopenTables();
}

void TForm6::reopenTables()
{
    for (Table* table : {tblTemi, tblTest, tblTesting, tblResult, tblMedia})
        ErrorReport::run([table] { table->open(); });
}

TForm6::TeacherLogin TForm6::logInAsTeacher(const QString& password)
{
    const QString role = ADOConnection1->teacherRole();
    const auto relogin = [this](const QString& as, const QString& secret) {
        for (Table* table : {tblTemi, tblTest, tblTesting, tblResult, tblMedia})
            table->close();
        ADOConnection1->close();
        ADOConnection1->setLogin(as, secret);
        ADOConnection1->open();
    };
    try {
        relogin(role, password);
    } catch (const std::exception& e) {
        // The server's words for a password it does not take (its message
        // for the SQLSTATE 28P01), in English or in Russian.
        const QString text = ErrorReport::textOf(e);
        const bool wrongPassword = text.contains(QLatin1String("password authentication failed")) ||
                                   text.contains(QStringLiteral("проверку подлинности (по паролю)"));
        ErrorReport::show(wrongPassword ? text
                                        : QStringLiteral("Сервер курса не впустил преподавателя, попробуйте войти "
                                                         "ещё раз: ") +
                                              text);
        ADOConnection1->setLogin(QString(), QString());
        ErrorReport::run([this] { ADOConnection1->open(); });
        if (ADOConnection1->isOpen())
            reopenTables();
        return wrongPassword ? TeacherLogin::WrongPassword : TeacherLogin::NotReached;
    }
    reopenTables();
    return TeacherLogin::Teacher;
}

void TForm6::OpenTestWindow()
{
    tblTemi->open();
    showAndRaise();

    sComboBox1->clear();
    tblTemi->first();
    const int topics = tblTemi->recordCount();
    for (int i = 0; i < topics; ++i) {
        sComboBox1->addItem(tblTemi->text(QStringLiteral("rasdel")));
        sComboBox1->setItemData(sComboBox1->count() - 1, QSize(0, kComboItemHeight), Qt::SizeHintRole);
        // Adding to the list picks no item: the text stays as it was.
        sComboBox1->setCurrentIndex(-1);
        tblTemi->next();
    }

    sComboBox1->clearEditText();
    sEdit1->clear();
    sMemo1->clear();
    sRadioGroup1->setItemIndex(-1);
    sTreeView1->clear();
}

void TForm6::sComboBox1Change()
{
    const QString topic = sComboBox1->currentText();

    tblTest->open();
    sTreeView1->clear();
    tblTest->setFiltered(true);
    tblTest->setFilter(testbase::topicFilter(topic));

    const int questions = tblTest->recordCount();
    sTreeView1->addNodes(questions);

    // Empty the answer sheet; the move to the first row writes an answer
    // still pending from the previous run.
    tblTesting->first();
    const int rows = tblTesting->recordCount();
    for (int i = 0; i < rows; ++i)
        tblTesting->remove();

    // One sheet row per question, in the order of the questions.
    tblTest->first();
    for (int k = 1; k <= questions; ++k) {
        tblTesting->insert();
        tblTesting->setValue(QStringLiteral("nom"), QString::number(k));
        tblTesting->setValue(QStringLiteral("nom1"), tblTest->value(QStringLiteral("id")));
        tblTesting->post();
        tblTest->next();
    }

    // On a course server, the server records the run's questions and their
    // letters, which it keeps to itself and grades against. Should it not
    // answer, the run goes on all the same and is graded against the
    // topic's questions as they stand then.
    if (ADOConnection1->server()) {
        m_run = QUuid::createUuid();
        m_runTopic = topic;
        server_grading::startRun(*ADOConnection1, m_run, topic);
    }
}

void TForm6::sTreeView1Click()
{
    const QString number = sTreeView1->selectedText();
    if (number.isEmpty())
        return; // a click beside the nodes of a fresh tree: nothing to show

    tblTesting->open();
    tblResult->open();

    const Table::LocateOptions options = Table::CaseInsensitive | Table::PartialKey;
    tblTesting->locate(QStringLiteral("nom"), number, options);
    const int question = value::toInteger(value::toText(tblTesting->value(QStringLiteral("nom1"))));
    tblTest->locate(QStringLiteral("id"), question, options);
    sMemo1->setPlainText(value::toText(tblTest->value(QStringLiteral("test"))));

    // The recorded letter, if it is one of the five. Selecting it records it
    // again (sRadioGroup1Click): the row has a pending change until the next move.
    sRadioGroup1->setItemIndex(-1);
    const QString answer = QStringLiteral("otv");
    if (!value::equal(tblTesting->value(answer), QStringLiteral("")))
        for (int i = 0; i < testbase::answerLetters().size(); ++i)
            if (value::equal(tblTesting->value(answer), testbase::answerLetters()[i]))
                sRadioGroup1->setItemIndex(i);
}

void TForm6::sRadioGroup1Click()
{
    const int index = sRadioGroup1->itemIndex();
    if (index < 0 || index >= testbase::answerLetters().size())
        return;
    tblTesting->edit();
    tblTesting->setValue(QStringLiteral("otv"), testbase::answerLetters()[index]);
}

void TForm6::sButton1Click()
{
    // The move to the first row writes the answer recorded last.
    tblTesting->first();
    const int rows = tblTesting->recordCount();

    if (ADOConnection1->server()) {
        // The server grades the sheet against its own questions and letters
        // (those of the run, or all questions when no topic was chosen),
        // stores the result row and answers with what the window shows.
        QList<QPair<QVariant, QVariant>> sheet;
        for (int i = 0; i < rows; ++i) {
            sheet.append({tblTesting->value(QStringLiteral("nom1")), tblTesting->value(QStringLiteral("otv"))});
            tblTesting->next();
        }
        const bool ofRun = tblTest->filtered();
        const QVariant topic = ofRun ? QVariant(m_runTopic) : QVariant();
        const QUuid run = ofRun ? m_run : QUuid();
        const QString sent = sEdit1->text() + QChar(0) + topic.toString() + QChar(0) + run.toString() + QChar(0) +
                             server_grading::sheetText(sheet);
        if (m_attempt.isNull() || sent != m_attemptSent) {
            m_attempt = QUuid::createUuid();
            m_attemptSent = sent;
        }
        const server_grading::Outcome graded =
            server_grading::grade(*ADOConnection1, m_attempt, run, sEdit1->text(), topic, sheet);
        m_attempt = QUuid();
        Form7->showAndRaise();
        Form7->Label1->setText(sEdit1->text());
        Form7->Label1->adjustSize();
        Form7->Edit1->setText(QString::number(graded.questions));
        Form7->Edit2->setText(QString::number(graded.correct));
        Form7->Edit3->setText(graded.fivePoint);
        Form7->Edit4->setText(graded.letterText);
        hide();
        return;
    }

    int correct = 0;
    // The run's answers, kept with its result row for the statistics: the
    // questions found, with their letters and topics as they stand now.
    QList<run_answers::Answer> answers;
    answers.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        const QVariant id = tblTesting->value(QStringLiteral("nom1"));
        const bool found = tblTest->locate(QStringLiteral("id"), id, Table::NoOptions);
        const QVariant given = tblTesting->value(QStringLiteral("otv"));
        if (value::equal(given, tblTest->value(QStringLiteral("otv"))))
            ++correct;
        if (found)
            answers.append({id.toInt(), int(answers.size()) + 1, given, tblTest->value(QStringLiteral("otv")),
                            tblTest->value(QStringLiteral("rasdel"))});
        tblTesting->next();
    }
    const int questions = tblTest->recordCount();
    const grading::Grade grade = grading::grade(correct, questions);

    Form7->showAndRaise();
    Form7->Label1->setText(sEdit1->text());
    Form7->Label1->adjustSize();
    Form7->Edit1->setText(QString::number(questions));
    Form7->Edit2->setText(QString::number(correct));
    Form7->Edit3->setText(grade.fivePoint);
    Form7->Edit4->setText(grade.letterText);

    tblResult->insert();
    tblResult->setValue(QStringLiteral("fio"), sEdit1->text());
    tblResult->setValue(QStringLiteral("data"), QDate::currentDate());
    tblResult->setValue(QStringLiteral("kol"), QString::number(questions));
    tblResult->setValue(QStringLiteral("ocenka"), grade.letter);
    tblResult->post();
    // In the same transaction as the result row (the handler's).
    run_answers::storeOnFile(*ADOConnection1, tblResult->rowKey(), answers);

    hide();
}
