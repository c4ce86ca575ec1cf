#include "forms/Unit8.h"

#include "data/Aiken.h"
#include "data/Exchange.h"
#include "data/Gift.h"
#include "data/MoodleXml.h"
#include "data/Qti.h"
#include "data/QuestionBank.h"
#include "data/Table.h"
#include "data/TestBase.h"
#include "data/Value.h"
#include "forms/ContextMenu.h"
#include "forms/FileChoice.h"
#include "forms/Forms.h"
#include "forms/Unit1.h"
#include "forms/Unit11.h"
#include "forms/Unit6.h"
#include "forms/Unit9.h"
#include "platform/Error.h"
#include "platform/ErrorReport.h"
#include "platform/FileSystem.h"
#include "platform/NewFile.h"
#include "platform/Platform.h"
#include "skin/Look.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace {

// The memo's lines as one text, separated by CR LF as the question texts are stored.
QString memoText(const QPlainTextEdit* memo)
{
    QString text = memo->toPlainText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text.isNull() ? QStringLiteral("") : text;
}

// A control with its name and the skin section that draws it.
template <class W> W* named(W* widget, const char* name, const char* skinSection)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setProperty("skinSection", QString::fromLatin1(skinSection));
    return widget;
}

} // namespace

// --- test editor -------------------------------------------------------------

TForm8::TForm8(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm8"));
    setProperty("skinSection", QStringLiteral("FORM"));
    setWindowTitle(QStringLiteral("Редактирование базы тестов"));
    setOuterGeometry(196, 49, 803, 618);
    setFont(Look::font(16));
    Look::setBackground(this, Look::kSkinnedWindowColor);
    createControls();
}

void TForm8::createControls()
{
    sTreeView1 = named(new QuestionTree(this), "sTreeView1", "EDIT");
    sTreeView1->setGeometry(8, 88, 105, 441);
    sTreeView1->setAccessibleName(QStringLiteral("Номера вопросов"));
    sTreeView1->setAccessibleDescription(
        QStringLiteral("Все вопросы базы по номерам. Стрелки, Home, End, PgUp и PgDn показывают выделенный вопрос; "
                       "Ctrl+O — импорт вопросов, Ctrl+S — экспорт темы"));

    sMemo1 = named(new QPlainTextEdit(this), "sMemo1", "EDIT");
    sMemo1->setGeometry(120, 88, 665, 369);
    QPalette memoPalette = sMemo1->palette();
    memoPalette.setColor(QPalette::Base, Qt::white);
    sMemo1->setPalette(memoPalette);
    // Tab moves on to the next control: a question holds no tab characters.
    sMemo1->setTabChangesFocus(true);
    sMemo1->setAccessibleName(QStringLiteral("Текст вопроса"));
    sMemo1->setAccessibleDescription(
        QStringLiteral("Вопрос с вариантами ответа. Enter начинает новую строку, Tab переходит к буквам ответа"));

    sRadioGroup1 = named(new unit6::RadioGroup(testbase::answerLetters(), this), "sRadioGroup1", "GROUPBOX");
    sRadioGroup1->setGeometry(120, 464, 665, 65);
    sRadioGroup1->setAccessibleName(QStringLiteral("Правильный ответ"));
    sRadioGroup1->setAccessibleDescription(
        QStringLiteral("Буква правильного ответа: A, B, C, D или E. Стрелки переходят от буквы к букве"));
    for (int i = 0; i < sRadioGroup1->count(); ++i)
        sRadioGroup1->button(i)->setAccessibleDescription(QStringLiteral("Правильный ответ"));

    sGroupBox1 = named(new QGroupBox(QStringLiteral("Тема раздела тестирования "), this), "sGroupBox1", "GROUPBOX");
    sGroupBox1->setGeometry(8, 8, 777, 73);
    sEdit1 = named(new QLineEdit(sGroupBox1), "sEdit1", "EDIT");
    sEdit1->setGeometry(8, 32, 753, 28);
    sEdit1->setAccessibleName(QStringLiteral("Тема раздела тестирования"));
    sEdit1->setAccessibleDescription(QStringLiteral(
        "Тема вопроса; для импорта и экспорта — тема, в которую добавить вопросы или которую сохранить"));

    sButton1 = named(new QPushButton(QStringLiteral("Добавить"), this), "sButton1", "BUTTON");
    sButton1->setGeometry(8, 552, 130, 25);
    sButton2 = named(new QPushButton(QStringLiteral("Сохранить"), this), "sButton2", "BUTTON");
    sButton2->setGeometry(144, 552, 130, 25);
    sButton3 = named(new QPushButton(QStringLiteral("Удалить"), this), "sButton3", "BUTTON");
    sButton3->setGeometry(280, 552, 130, 25);
    sButton5 = named(new QPushButton(QStringLiteral("Результаты тестирования"), this), "sButton5", "BUTTON");
    sButton5->setGeometry(416, 551, 233, 25);
    sButton4 = named(new QPushButton(QStringLiteral("Выход"), this), "sButton4", "BUTTON");
    sButton4->setGeometry(656, 552, 130, 25);

    // Tab order: tree, memo, letters, topic, then the buttons from
    // "Добавить" to "Выход" and "Результаты тестирования" last.
    QWidget* previous = sTreeView1;
    auto chain = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    chain(sMemo1);
    for (int i = 0; i < sRadioGroup1->count(); ++i)
        chain(sRadioGroup1->button(i));
    for (QWidget* w :
         {static_cast<QWidget*>(sEdit1), static_cast<QWidget*>(sButton1), static_cast<QWidget*>(sButton2),
          static_cast<QWidget*>(sButton3), static_cast<QWidget*>(sButton4), static_cast<QWidget*>(sButton5)})
        chain(w);

    on(sTreeView1, &QuestionTree::click, this, &TForm8::sTreeView1Click);
    on(sButton1, &QPushButton::clicked, this, &TForm8::sButton1Click);
    on(sButton2, &QPushButton::clicked, this, &TForm8::sButton2Click);
    on(sButton3, &QPushButton::clicked, this, &TForm8::sButton3Click);
    on(sButton4, &QPushButton::clicked, this, &TForm8::sButton4Click);
    on(sButton5, &QPushButton::clicked, this, &TForm8::sButton5Click);
    createMenu();
}

void TForm8::createMenu()
{
    ImportAction = contextmenu::action(this, QStringLiteral("ImportAction"), QStringLiteral("Импорт вопросов…"),
                                       QKeySequence(Qt::CTRL | Qt::Key_O));
    ImportMoodleXmlAction =
        contextmenu::action(this, QStringLiteral("ImportMoodleXmlAction"), QStringLiteral("Импорт из Moodle XML…"), {});
    ImportGiftAction =
        contextmenu::action(this, QStringLiteral("ImportGiftAction"), QStringLiteral("Импорт из GIFT…"), {});
    ImportQtiAction =
        contextmenu::action(this, QStringLiteral("ImportQtiAction"), QStringLiteral("Импорт из IMS QTI 2.1…"), {});
    // Ctrl+S writes to a file, as it does in the results register.
    ExportAction = contextmenu::action(this, QStringLiteral("ExportAction"), QStringLiteral("Экспорт темы…"),
                                       QKeySequence(Qt::CTRL | Qt::Key_S));
    ExportMoodleXmlAction = contextmenu::action(this, QStringLiteral("ExportMoodleXmlAction"),
                                                QStringLiteral("Экспорт темы в Moodle XML…"), {});
    ExportGiftAction =
        contextmenu::action(this, QStringLiteral("ExportGiftAction"), QStringLiteral("Экспорт темы в GIFT…"), {});
    ExportQtiAction =
        contextmenu::action(this, QStringLiteral("ExportQtiAction"), QStringLiteral("Экспорт темы в IMS QTI 2.1…"), {});
    StatisticsAction = contextmenu::action(this, QStringLiteral("StatisticsAction"), QStringLiteral("Статистика…"),
                                           QKeySequence(Qt::CTRL | Qt::Key_T));
    // The right button only opens the menu: the selected node stays.
    contextmenu::attach(this, sTreeView1,
                        {ImportAction, ImportMoodleXmlAction, ImportGiftAction, ImportQtiAction, ExportAction,
                         ExportMoodleXmlAction, ExportGiftAction, ExportQtiAction, StatisticsAction});
    on(ImportAction, &QAction::triggered, this, &TForm8::ImportActionExecute);
    on(ImportMoodleXmlAction, &QAction::triggered, this, &TForm8::ImportMoodleXmlActionExecute);
    on(ImportGiftAction, &QAction::triggered, this, &TForm8::ImportGiftActionExecute);
    on(ImportQtiAction, &QAction::triggered, this, &TForm8::ImportQtiActionExecute);
    on(ExportAction, &QAction::triggered, this, &TForm8::ExportActionExecute);
    on(ExportMoodleXmlAction, &QAction::triggered, this, &TForm8::ExportMoodleXmlActionExecute);
    on(ExportGiftAction, &QAction::triggered, this, &TForm8::ExportGiftActionExecute);
    on(ExportQtiAction, &QAction::triggered, this, &TForm8::ExportQtiActionExecute);
    on(StatisticsAction, &QAction::triggered, this, &TForm8::StatisticsActionExecute);
}

void TForm8::StatisticsActionExecute() { TForm11::open(sEdit1->text()); }

void TForm8::ShowQuestion(int id)
{
    OpenEditor();
    Table* test = Form6->tblTest;
    if (!test->locate(QStringLiteral("id"), id, Table::NoOptions)) {
        Platform::messages().informationOk(this, QStringLiteral("Этого вопроса больше нет в базе."));
        return;
    }
    const QVariant number = test->value(QStringLiteral("nom1"));
    if (number.isNull() || number.toInt() < 1 || number.toInt() > sTreeView1->nodeCount()) {
        Platform::messages().informationOk(this, QStringLiteral("У этого вопроса нет номера в списке."));
        return;
    }
    sTreeView1->selectRow(number.toInt() - 1);
    sTreeView1Click();
}

// A format that a topic goes to and comes from: its name, the file
// dialogs' filter and suffix, its reader (refusing a file with an Error
// that lists its problems) and writer, and its own test of a question.
struct TForm8::BankFormat {
    QString name;
    QString filter;
    QString suffix;
    std::function<exchange::Imported(const QByteArray&)> read;
    std::function<QByteArray(const QString& topic, const QList<aiken::Question>&)> write;
    questionbank::Writable writable;
};

namespace {

const TForm8::BankFormat& aikenFormat()
{
    static const TForm8::BankFormat f{
        QStringLiteral("Aiken"),
        QStringLiteral("Вопросы в формате Aiken (*.txt);;Все файлы (*)"),
        QStringLiteral("txt"),
        [](const QByteArray& bytes) {
            return exchange::Imported{aiken::read(bytes), {}};
        },
        [](const QString&, const QList<aiken::Question>& questions) { return aiken::write(questions); },
        {}};
    return f;
}

const TForm8::BankFormat& moodleXmlFormat()
{
    static const TForm8::BankFormat f{QStringLiteral("Moodle XML"),
                                      QStringLiteral("Вопросы в формате Moodle XML (*.xml);;Все файлы (*)"),
                                      QStringLiteral("xml"),
                                      moodlexml::read,
                                      moodlexml::write,
                                      exchange::xmlWritable};
    return f;
}

const TForm8::BankFormat& giftFormat()
{
    static const TForm8::BankFormat f{QStringLiteral("GIFT"),
                                      QStringLiteral("Вопросы в формате GIFT (*.gift *.txt);;Все файлы (*)"),
                                      QStringLiteral("gift"),
                                      gift::read,
                                      gift::write,
                                      gift::writable};
    return f;
}

const TForm8::BankFormat& qtiFormat()
{
    static const TForm8::BankFormat f{QStringLiteral("IMS QTI 2.1"),
                                      QStringLiteral("Пакеты вопросов IMS QTI 2.1 (*.zip);;Все файлы (*)"),
                                      QStringLiteral("zip"),
                                      qti::read,
                                      qti::write,
                                      exchange::xmlWritable};
    return f;
}

} // namespace

void TForm8::ImportActionExecute() { importBank(aikenFormat()); }
void TForm8::ImportMoodleXmlActionExecute() { importBank(moodleXmlFormat()); }
void TForm8::ImportGiftActionExecute() { importBank(giftFormat()); }
void TForm8::ImportQtiActionExecute() { importBank(qtiFormat()); }
void TForm8::ExportActionExecute() { exportBank(aikenFormat()); }
void TForm8::ExportMoodleXmlActionExecute() { exportBank(moodleXmlFormat()); }
void TForm8::ExportGiftActionExecute() { exportBank(giftFormat()); }
void TForm8::ExportQtiActionExecute() { exportBank(qtiFormat()); }

std::optional<QString> TForm8::chosenTopic(const QString& caption, const QString& label, const QString& initial)
{
    if (!sEdit1->text().isEmpty())
        return sEdit1->text();
    const std::optional<QString> topic = Platform::inputDialogs().askText(
        this, caption, label, questionbank::knownTopics(*Form6->tblTemi, *Form6->tblTest), initial);
    if (!topic)
        return std::nullopt;
    if (topic->trimmed().isEmpty()) {
        Platform::messages().informationOk(this, QStringLiteral("Укажите тему раздела тестирования!"));
        return std::nullopt;
    }
    return topic;
}

void TForm8::importBank(const BankFormat& format)
{
    const QString path = filechoice::toOpen(this, QStringLiteral("Импорт вопросов"), format.filter);
    if (path.isEmpty())
        return;
    const QString fileName = QFileInfo(path).fileName();
    // A question bank of tens of thousands of questions takes a few megabytes;
    // a file far larger is something else and is not read into memory.
    if (QFileInfo(path).size() > exchange::kLargestFile)
        throw Error(QStringLiteral("Файл «%1» не принят, ни один вопрос не добавлен: файл больше 64 МБ, "
                                   "это не файл вопросов")
                        .arg(fileName));
    exchange::Imported imported;
    try {
        imported = format.read(FileSystem::readWholeFile(path));
    } catch (const aiken::FormatError& e) {
        throw Error(QStringLiteral("Файл «%1» не принят, ни один вопрос не добавлен:\n%2").arg(fileName, e.message()));
    } catch (const exchange::FormatError& e) {
        throw Error(QStringLiteral("Файл «%1» не принят, ни один вопрос не добавлен:\n%2").arg(fileName, e.message()));
    }
    const QList<aiken::Question>& questions = imported.questions;

    Table* test = Form6->tblTest;
    Table* temi = Form6->tblTemi;
    test->open();
    temi->open();
    const std::optional<QString> topic =
        chosenTopic(QStringLiteral("Импорт вопросов"),
                    QStringLiteral("Тема, в которую добавить вопросы из файла «%1»:").arg(fileName), {});
    if (!topic)
        return;
    sEdit1->setText(*topic);

    bool done = false;
    {
        const auto progress =
            Platform::progressDialogs().start(this, QStringLiteral("Импорт вопросов…"), questions.size());
        done = questionbank::importQuestions(*test, *temi, *topic, questions,
                                             [&progress](qint64 n) { return progress->advance(n); });
    }
    if (!done)
        return; // cancelled: nothing was written
    fillTree();
    QString notice = QStringLiteral("Добавлено вопросов: %1 (тема «%2»).").arg(questions.size()).arg(*topic);
    if (!imported.remarks.isEmpty())
        notice += QStringLiteral("\n\nНе перенесено из файла:\n") + exchange::describe(imported.remarks);
    Platform::messages().notice(this, notice);
}

void TForm8::exportBank(const BankFormat& format)
{
    Table* test = Form6->tblTest;
    test->open();
    const std::optional<QString> topic =
        chosenTopic(QStringLiteral("Экспорт темы"), QStringLiteral("Тема, вопросы которой сохранить в файл:"), {});
    if (!topic)
        return;
    const QList<aiken::Question> questions = questionbank::topicQuestions(*test, *topic, format.name, format.writable);
    if (questions.isEmpty()) {
        Platform::messages().notice(this, QStringLiteral("В теме «%1» нет вопросов.").arg(*topic));
        return;
    }
    const QString path = filechoice::toSave(this, QStringLiteral("Экспорт темы"), *topic + u'.' + format.suffix,
                                            format.filter, format.suffix);
    if (path.isEmpty())
        return;
    NewFile file(path);
    file.write(format.write(*topic, questions));
    file.commit();
    Platform::messages().notice(
        this, QStringLiteral("Вопросы темы «%1» сохранены в файл «%2».").arg(*topic, filechoice::shownPath(path)));
}

void TForm8::fillTree()
{
    Table* test = Form6->tblTest;
    sTreeView1->clear();
    test->first();
    sTreeView1->addNodes(test->recordCount());
}

void TForm8::OpenEditor()
{
    showAndRaise();
    sEdit1->clear();
    sMemo1->clear();
    sRadioGroup1->setItemIndex(-1);
    sTreeView1->clear();

    Table* test = Form6->tblTest;
    test->open();
    test->setFiltered(false);
    // The row count alone: opening leaves the current row where it stands.
    sTreeView1->addNodes(test->recordCount());
}

void TForm8::sTreeView1Click()
{
    const QString node = sTreeView1->selectedText();
    if (node.isEmpty())
        return; // a click beside the nodes of a fresh tree: nothing to show

    Table* test = Form6->tblTest;
    const int number = value::toInteger(node);
    // On the integer nom1 the options change nothing: a search for equality.
    // When no row carries the number (a gap), the current row stays and is shown.
    test->locate(QStringLiteral("nom1"), number, Table::CaseInsensitive | Table::PartialKey);

    // An absent text or topic stops the handler at that field.
    sMemo1->setPlainText(test->text(QStringLiteral("test")));
    sEdit1->setText(test->text(QStringLiteral("rasdel")));
    // A letter other than the five (absent included) keeps the group's selection.
    for (int i = 0; i < testbase::answerLetters().size(); ++i)
        if (value::equal(test->value(QStringLiteral("otv")), testbase::answerLetters()[i]))
            sRadioGroup1->setItemIndex(i);
}

// The visible rows of the questions numbered 1 … n in the field, in their
// order: one walk of posts, which a course server takes as one statement.
void TForm8::numberRows(Table* test, const QString& field)
{
    test->first();
    const int rows = test->recordCount();
    Table::Batch walk(test);
    for (int i = 1; i <= rows; ++i) {
        test->edit();
        test->setValue(field, i);
        test->post();
        test->next();
    }
    walk.finish();
}

void TForm8::sButton1Click()
{
    sEdit1->clear();
    sMemo1->clear();
    sRadioGroup1->setItemIndex(-1);
    sMemo1->setReadOnly(false);

    Table* test = Form6->tblTest;
    test->insert();
    // The pending row is not counted: with 40 stored rows the new one is 41.
    setWindowTitle(QStringLiteral("Вопрос №") + QString::number(test->recordCount() + 1));
}

void TForm8::sButton2Click()
{
    const QString topic = sEdit1->text();
    if (topic.isEmpty()) {
        // Nothing written; a pending new row stays pending.
        Platform::messages().informationOk(this, QStringLiteral("Укажите тему раздела тестирования!"));
        return;
    }

    // The move discards a pending row of "Добавить" (no field set in it), so
    // one save writes exactly one row.
    Table* test = Form6->tblTest;
    test->last();
    test->insert();
    test->setValue(QStringLiteral("test"), memoText(sMemo1));
    test->setValue(QStringLiteral("rasdel"), topic);
    const int letter = sRadioGroup1->itemIndex();
    if (letter >= 0 && letter < testbase::answerLetters().size())
        test->setValue(QStringLiteral("otv"), testbase::answerLetters()[letter]);
    test->setValue(QStringLiteral("nom1"), test->recordCount() + 1);
    test->post();
    test->refresh();

    // The topic's questions, the new one included, numbered 1 … M.
    test->setFiltered(true);
    test->setFilter(testbase::topicFilter(topic));
    numberRows(test, QStringLiteral("nom"));

    test->setFiltered(false);
    fillTree();
    sMemo1->setReadOnly(true);
}

void TForm8::sButton3Click()
{
    // The row last shown by a click, the first row after a save, a delete or
    // the first opening, or only the pending row of "Добавить".
    Table* test = Form6->tblTest;
    test->remove();

    sTreeView1->clear();
    sRadioGroup1->setItemIndex(-1);

    // The whole table numbered 1 … N, in stored order.
    test->setFiltered(false);
    numberRows(test, QStringLiteral("nom1"));

    // The questions of the topic in the topic edit numbered 1 … M (with an
    // empty edit: the questions whose topic is the empty text).
    test->setFiltered(true);
    test->setFilter(testbase::topicFilter(sEdit1->text()));
    numberRows(test, QStringLiteral("nom"));

    test->setFiltered(false);
    fillTree();
    sMemo1->setReadOnly(false);
    sMemo1->clear();
    sEdit1->clear();
}

void TForm8::sButton4Click()
{
    // A pending new row stays pending until the next move of tblTest.
    hide();
    Form1->showAndRaise();
}

void TForm8::sButton5Click() { Form9->showAndRaise(); }
