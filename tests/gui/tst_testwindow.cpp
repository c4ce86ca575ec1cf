// The test window and the result window, driven through their controls on a
// small database of their own: choosing a topic, walking the questions,
// marking letters, grading, the stored result and the answer sheet.

#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
#include "support/CourseFixture.h"
#include "support/SideConnection.h"

#include "app/Forms.h"
#include "app/Unit3.h"
#include "data/Connection.h"
#include "data/Table.h"
#include "forms/Unit1.h"
#include "forms/Unit6.h"
#include "forms/Unit7.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <memory>

namespace {

// Ends in ")": the error report appends no full stop.
const QString kConversionError = QStringLiteral("Could not convert variant of type (Null) into type (String)");
const QStringList kLetters{"A", "B", "C", "D", "E"};

// One question of table test; a null QVariant is an absent value.
struct Question {
    QString rasdel;
    QVariant test;
    QVariant otv;
};

// One row of the answer sheet or of table result, as text for comparing.
QString shown(const QVariant& v) { return v.isNull() ? QStringLiteral("(absent)") : v.toString(); }

// The course's database when the tests run against a server.
ServerCourse* theServer = nullptr;

// The rows of a query on the course's database, read outside the program
// (the file, or the server database as its administrator), each as its
// values' texts joined by " | ".
QStringList rowTexts(const QString& path, const QString& select)
{
    QStringList result;
    QList<QVariantList> rows;
    if (theServer) {
        rows = theServer->administrator()->rows(select);
    } else {
        SideConnection db(path);
        rows = db.rows(select);
    }
    for (const QVariantList& row : std::as_const(rows)) {
        QStringList fields;
        for (const QVariant& v : row)
            fields << shown(v);
        result << fields.join(QStringLiteral(" | "));
    }
    return result;
}

// The CREATE TABLE statements of the demo course's seed file: its schema
// without its rows.
QStringList schemaStatements()
{
    QFile seed(QStringLiteral(NORVENA_SOURCE_DIR "/course/test.sql"));
    if (!seed.open(QIODevice::ReadOnly))
        return {};
    QStringList code;
    for (const QString& line : QString::fromUtf8(seed.readAll()).split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            code << line;
    QStringList statements;
    for (const QString& s : code.join(u'\n').split(u';'))
        if (s.trimmed().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
            statements << s.trimmed();
    return statements;
}

// The poetry topic: 12 questions, correct letters A, B, C, D, E, A, ...
QString poetryText(int i) { return QStringLiteral("Поэзия, вопрос %1\nA) …  B) …  C) …  D) …  E) …").arg(i); }
QString poetryAnswer(int i) { return kLetters[(i - 1) % 5]; }

const QString kPoetry = QStringLiteral("Поэзия");
const QString kProse = QStringLiteral("Проза");
const QString kEmpty = QStringLiteral("Пусто");
const QString kQuoted = QStringLiteral("Театр О'Нила");

// Topics in stored order (a duplicate included) and the questions of the
// topics, interleaved so that a topic's ids are not consecutive.
QVariantList defaultTopics() { return {kPoetry, kProse, kEmpty, kQuoted, kPoetry}; }

QList<Question> defaultQuestions()
{
    QList<Question> q;
    for (int i = 1; i <= 12; ++i) {
        q.append({kPoetry, poetryText(i), poetryAnswer(i)});
        if (i <= 3) // prose: A, B and a question stored without its correct letter
            q.append(
                {kProse, QStringLiteral("Проза, вопрос %1").arg(i), i == 3 ? QVariant() : QVariant(kLetters[i - 1])});
        if (i == 5 || i == 9)
            q.append({kQuoted, QStringLiteral("Театр, вопрос %1").arg(i == 5 ? 1 : 2), QStringLiteral("E")});
    }
    return q;
}

// Turns the mouse wheel one notch down over a point of the widget as the
// window system delivers it: to the widget under the pointer, on to its
// parents, the focus given by the widgets' focus policies.
void wheelDown(QWidget* widget, QPointF local)
{
    QWheelEvent event(local, widget->mapToGlobal(local), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::sendEvent(widget, &event);
}

// Types a text into the widget key by key, as a keyboard with any letters would.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestTestWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controls_data();
    void controls();

    void openingListsTopicsAndClearsTheWindow();
    void openingRetriesADatabaseMissingAtStartUp();
    void wholeTestRun();
    void typingATopicLetterByLetter();
    void letterMarkedBeforeAnyQuestionGoesToTheLastOne();
    void unansweredRunWithAnEmptyName();
    void reopeningGradesTheSheetAgainAndTheSameTopicRestartsIt();
    void gradingBeforeAnyTopicUsesTheStoredSheetAndAllQuestions();
    void topicWithoutQuestionsCannotBeGraded();
    void topicNameWithAQuote();
    void clickBesideTheNodesIsIgnored();
    void everyLetterIsShownAgain_data();
    void everyLetterIsShownAgain();
    void wheelOverTheTopic_data();
    void wheelOverTheTopic();
    void otherButtonsLeaveTheNode_data();
    void otherButtonsLeaveTheNode();
    void keysShowTheHighlightedQuestion_data();
    void keysShowTheHighlightedQuestion();
    void absentTopicNameStopsTheList();
    void absentQuestionTextKeepsTheShownQuestion();

    // On a course server.
    void runSurvivesALostLink_data();
    void runSurvivesALostLink();
    void copyStartedBeforeTheServerWorksOnceItIsUp();
    void gradingWhileTheServerIsDownIsSentAgainOnce();

private:
    // Makes the course's test.mdb from the schema with these rows.
    void makeDatabase(const QVariantList& topics = defaultTopics(),
                      const QList<Question>& questions = defaultQuestions(), const QStringList& extra = {});
    // Makes the database, starts the program and logs in as a student.
    void startAsStudent(const QVariantList& topics = defaultTopics(),
                        const QList<Question>& questions = defaultQuestions());
    // The main window's "Тесты".
    void openTestWindow();
    // The student picks the topic at this row of the drop-down list.
    void pickTopic(int row);
    void pickTopic(const QString& topic);
    void clickNode(int number);
    void markLetter(const QString& letter);
    void pressDone();

    QStringList tree() const;
    QStringList sheet();
    QStringList results();
    // The kept answers of the stored results: id | nom | otv | verno | rasdel.
    QStringList answers();
    // The ids of a topic's questions in stored order, as text.
    QStringList idsOf(const QString& topic);
    QString today() const { return QDate::currentDate().toString(Qt::ISODate); }

    std::unique_ptr<CourseFixture> course;
    std::unique_ptr<ServerCourse> server;
};

void TestTestWindow::init() { course = std::make_unique<CourseFixture>(); }

void TestTestWindow::cleanup()
{
    if (course) {
        const QString problems = course->platform.verifyDone();
        course.reset();
        theServer = nullptr;
        server.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }
}

void TestTestWindow::makeDatabase(const QVariantList& topics, const QList<Question>& questions,
                                  const QStringList& extra)
{
    const QString path = course->path(QStringLiteral("test.mdb"));
    QFile::remove(path);
    SideConnection db(path);
    const QStringList schema = schemaStatements();
    QVERIFY(!schema.isEmpty());
    for (const QString& statement : schema)
        QVERIFY(db.exec(statement));
    for (const QVariant& topic : topics)
        QVERIFY(db.exec(QStringLiteral("INSERT INTO temi (rasdel) VALUES (?)"), {topic}));
    int number = 0;
    for (const Question& q : questions) {
        ++number;
        QVERIFY(db.exec(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (?, ?, ?, ?, ?)"),
                        {number, number, q.test, q.rasdel, q.otv}));
    }
    for (const QString& statement : extra)
        QVERIFY(db.exec(statement));
    if (test_engine::server()) {
        // The rows move to a server database of the course's own.
        server = std::make_unique<ServerCourse>(course->root());
        QVERIFY2(server->error().isEmpty(), qPrintable(server->error()));
        theServer = server.get();
    }
}

void TestTestWindow::startAsStudent(const QVariantList& topics, const QList<Question>& questions)
{
    makeDatabase(topics, questions);
    course->start();
    QVERIFY2(course->platform.boxes.isEmpty(), qPrintable(course->platform.texts(QStringLiteral("error")).join(u'\n')));
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
    QVERIFY(Form1->isVisible());
    course->platform.clear();
}

void TestTestWindow::openTestWindow() { click(Form1->Button44); }

void TestTestWindow::pickTopic(int row)
{
    QComboBox* combo = Form6->sComboBox1;
    QVERIFY(row >= 0 && row < combo->count());
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    // The list ignores a release that comes right after it was dropped down.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    QTRY_VERIFY(!list->window()->isVisible());
}

void TestTestWindow::pickTopic(const QString& topic)
{
    const int row = Form6->sComboBox1->findText(topic);
    QVERIFY2(row >= 0, qPrintable(topic));
    pickTopic(row);
}

void TestTestWindow::clickNode(int number)
{
    QTreeView* tree = Form6->sTreeView1;
    const QModelIndex node = tree->model()->index(number - 1, 0);
    QVERIFY(node.isValid());
    tree->scrollTo(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(node).center());
}

void TestTestWindow::markLetter(const QString& letter)
{
    QRadioButton* button = Form6->sRadioGroup1->button(int(kLetters.indexOf(letter)));
    QVERIFY(button);
    // On the round mark, which is always part of the button's clickable area.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

void TestTestWindow::pressDone() { click(Form6->sButton1); }

QStringList TestTestWindow::tree() const
{
    QStringList captions;
    const QAbstractItemModel* model = Form6->sTreeView1->model();
    for (int i = 0; i < model->rowCount(); ++i)
        captions << model->index(i, 0).data().toString();
    return captions;
}

QStringList TestTestWindow::sheet()
{
    // The program's answer sheet is private to its connection: read as the
    // database holds it for the program, pending changes not included.
    QStringList result;
    QSqlQuery q(Form6->ADOConnection1->privateStore()->database());
    if (!q.exec(QStringLiteral("SELECT nom, nom1, otv FROM testing ORDER BY rowid")))
        qWarning("%s", qPrintable(q.lastError().text()));
    while (q.next())
        result << QStringList{shown(q.value(0)), shown(q.value(1)), shown(q.value(2))}.join(QStringLiteral(" | "));
    return result;
}

// A lost link to the course server costs the run nothing: the questions,
// the answers given and the question shown stay, the copy connects again by
// itself, and the run is graded on all its answers against the questions it
// started with. A restart already over when the copy next needs the server
// costs no message at all.
void TestTestWindow::runSurvivesALostLink_data()
{
    QTest::addColumn<QString>("loss");
    QTest::newRow("server restarted") << "restart";
    QTest::newRow("session ended from outside") << "terminate";
    QTest::newRow("server restarted twice") << "twice";
}

void TestTestWindow::runSurvivesALostLink()
{
    if (!test_engine::server())
        QSKIP("a course server's link");
    QFETCH(QString, loss);
    startAsStudent();
    openTestWindow();
    typeText(Form6->sEdit1, QStringLiteral("Петров Пётр"));
    pickTopic(kPoetry);
    for (int k = 1; k <= 3; ++k) {
        clickNode(k);
        markLetter(poetryAnswer(k));
    }
    QString error;
    const auto lose = [&] {
        if (loss == QLatin1String("terminate")) {
            QVERIFY(theServer->administrator()->exec(
                "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = 'norvena'"));
        } else {
            QVERIFY2(theServer->cluster().restart(&error), qPrintable(error));
        }
    };
    lose();
    clickNode(4);
    QCOMPARE(Form6->sMemo1->toPlainText(), poetryText(4));
    markLetter(poetryAnswer(4));
    clickNode(5);
    markLetter(QStringLiteral("E") == poetryAnswer(5) ? QStringLiteral("A") : QStringLiteral("E"));
    if (loss == QLatin1String("twice"))
        lose();
    clickNode(6);
    markLetter(poetryAnswer(6));
    pressDone();
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList());
    QVERIFY(Form7->isVisible());
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("12"));
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("5"));
    QCOMPARE(results().size(), 1);
    QVERIFY2(results().value(0).startsWith(QStringLiteral("Петров Пётр | ")), qPrintable(results().value(0)));
}

// A server down at "Выполнено": one message in the program's words, the
// window and the run stay; pressed again once the server is up, the run is
// graded on all its answers and stored once.
void TestTestWindow::gradingWhileTheServerIsDownIsSentAgainOnce()
{
    if (!test_engine::server())
        QSKIP("a course server's link");
    startAsStudent();
    openTestWindow();
    typeText(Form6->sEdit1, QStringLiteral("Козлов"));
    pickTopic(kPoetry);
    for (int k = 1; k <= 2; ++k) {
        clickNode(k);
        markLetter(poetryAnswer(k));
    }
    theServer->cluster().halt();
    pressDone();
    const QStringList errors = course->platform.texts(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith(QStringLiteral("Нет связи с сервером курса")), qPrintable(errors[0]));
    QVERIFY(Form6->isVisible());
    QVERIFY(!Form7->isVisible());
    course->platform.clear();

    QString error;
    QVERIFY2(theServer->cluster().restart(&error), qPrintable(error));
    pressDone();
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("2"));
    QCOMPARE(results().size(), 1);
}

// A PC switched on before the server: start-up says once that the server
// does not answer; once it is up, the test window works as if nothing had
// happened, and the run is graded and stored.
void TestTestWindow::copyStartedBeforeTheServerWorksOnceItIsUp()
{
    if (!test_engine::server())
        QSKIP("a course server's link");
    makeDatabase();
    theServer->cluster().halt();
    course->start();
    QCOMPARE(course->platform.texts(QStringLiteral("error")).size(), 1);
    course->platform.clear();
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
    course->platform.clear();
    QString error;
    QVERIFY2(theServer->cluster().restart(&error), qPrintable(error));

    openTestWindow();
    QVERIFY(Form6->isVisible());
    QCOMPARE(Form6->sComboBox1->count(), 5);
    typeText(Form6->sEdit1, QStringLiteral("Сидоров"));
    typeText(Form6->sComboBox1->lineEdit(), kProse);
    QCOMPARE(tree(), (QStringList{"1", "2", "3"}));
    clickNode(1);
    markLetter(QStringLiteral("A"));
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList());
    pressDone();
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList());
    QVERIFY(Form7->isVisible());
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("3"));
    QCOMPARE(results().size(), 1);
}

QStringList TestTestWindow::results()
{
    return rowTexts(course->path(QStringLiteral("test.mdb")),
                    QStringLiteral("SELECT fio, data, kol, ocenka FROM result ORDER BY rowid"));
}

QStringList TestTestWindow::answers()
{
    return rowTexts(course->path(QStringLiteral("test.mdb")),
                    QStringLiteral("SELECT a.id, a.nom, a.otv, a.verno, a.rasdel FROM otvety a "
                                   "JOIN result r ON r.rowid = a.result ORDER BY r.rowid, a.nom"));
}

QStringList TestTestWindow::idsOf(const QString& topic)
{
    QStringList ids;
    const QString quoted = QString(topic).replace(u'\'', QStringLiteral("''"));
    for (const QString& id :
         rowTexts(course->path(QStringLiteral("test.mdb")),
                  QStringLiteral("SELECT id FROM test WHERE rasdel = '%1' ORDER BY rowid").arg(quoted)))
        ids << id;
    return ids;
}

// --- controls ---------------------------------------------------------------

void TestTestWindow::controls_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fontPixels");
    QTest::addColumn<bool>("bold");

    auto row = [](const char* window, const char* name, const char* parent, QRect place, const QString& text,
                  int pixels, bool bold = false) {
        QTest::addRow("%s.%s", window, name) << QString::fromLatin1(window) << QString::fromLatin1(name)
                                             << QString::fromLatin1(parent) << place << text << pixels << bold;
    };
    // Windows: screen position and client size (outer size less the 8 × 34 frame).
    row("TForm6", "TForm6", "", QRect(250, 80, 786, 604), QStringLiteral("Тестирование"), 11);
    row("TForm6", "sGroupBox2", "TForm6", QRect(8, 0, 769, 73), QStringLiteral("Введите ваши ФИО"), 16);
    row("TForm6", "sEdit1", "sGroupBox2", QRect(8, 32, 745, 28), QString(), 16);
    row("TForm6", "sGroupBox1", "TForm6", QRect(8, 72, 769, 73), QStringLiteral("Выберите тему тестирования "), 16);
    row("TForm6", "sComboBox1", "sGroupBox1", QRect(24, 32, 729, 28), QString(), 16);
    row("TForm6", "sPanel1", "TForm6", QRect(0, 150, 786, 454), QString(), 16);
    row("TForm6", "sTreeView1", "sPanel1", QRect(0, 0, 105, 449), QString(), 16);
    row("TForm6", "sMemo1", "sPanel1", QRect(112, 8, 665, 369), QString(), 16);
    row("TForm6", "sRadioGroup1", "sPanel1", QRect(112, 384, 497, 65), QString(), 16);
    row("TForm6", "sButton1", "sPanel1", QRect(624, 408, 145, 25), QStringLiteral("Выполнено"), 16);

    row("TForm7", "TForm7", "", QRect(361, 139, 431, 214), QStringLiteral("Результаты тестирования"), 16);
    row("TForm7", "Label1", "TForm7", QRect(8, 8, 55, 20), QStringLiteral("Label1"), 16, true);
    row("TForm7", "Label2", "TForm7", QRect(8, 40, 377, 20), QStringLiteral("Из              вопросов "), 16, true);
    row("TForm7", "Edit1", "TForm7", QRect(48, 40, 41, 21), QString(), 11, true);
    row("TForm7", "Label3", "TForm7", QRect(8, 72, 409, 20),
        QStringLiteral("вы ответили верно на              вопросов"), 16, true);
    row("TForm7", "Edit2", "TForm7", QRect(208, 72, 49, 21), QString(), 11, true);
    row("TForm7", "Label4", "TForm7", QRect(8, 104, 353, 20), QStringLiteral("Ваша оценка:"), 16, true);
    row("TForm7", "Edit3", "TForm7", QRect(136, 104, 81, 21), QString(), 11, true);
    row("TForm7", "Label5", "TForm7", QRect(8, 136, 353, 20), QStringLiteral("Ваш балл:"), 16, true);
    row("TForm7", "Edit4", "TForm7", QRect(104, 136, 81, 21), QString(), 11, true);
    row("TForm7", "sButton1", "TForm7", QRect(8, 176, 409, 25), QStringLiteral("Закрыть"), 16);
}

void TestTestWindow::controls()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    QFETCH(int, fontPixels);
    QFETCH(bool, bold);

    makeDatabase();
    course->start();
    QWidget* form = window == QLatin1String("TForm6") ? static_cast<QWidget*>(Form6) : Form7;
    QWidget* w = name == window ? form : form->findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->parentWidget() ? w->parentWidget()->objectName() : QString(), parent);
    QCOMPARE(w->geometry(), place);
    QCOMPARE(w->font().pixelSize(), fontPixels);
    QCOMPARE(w->font().bold(), bold);
    QString shownText;
    if (w->isWindow())
        shownText = w->windowTitle();
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        shownText = box->title();
    else if (auto* label = qobject_cast<QLabel*>(w))
        shownText = label->text();
    else if (auto* button = qobject_cast<QPushButton*>(w))
        shownText = button->text();
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        shownText = edit->text();
    QCOMPARE(shownText, text);
}

// The settings that the table of places does not show.
void TestTestWindow::openingListsTopicsAndClearsTheWindow()
{
    startAsStudent();
    QComboBox* combo = Form6->sComboBox1;
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->maxVisibleItems(), 16);
    QVERIFY(Form6->sTreeView1->isHeaderHidden());
    QCOMPARE(Form6->sTreeView1->indentation(), 19);
    QCOMPARE(Form6->sTreeView1->frameShape(), QFrame::NoFrame);
    QVERIFY(!Form6->sMemo1->isReadOnly());
    QCOMPARE(Form6->sMemo1->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(Form6->palette().color(QPalette::Window), QColor(119, 171, 202));
    QCOMPARE(Form7->palette().color(QPalette::Window), QColor(119, 171, 202));
    QCOMPARE(Form7->Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(Form7->Edit4->palette().color(QPalette::Text), QColor(Qt::red));
    QVERIFY(Form6->sRadioGroup1->title().isEmpty());
    QCOMPARE(Form6->sRadioGroup1->count(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(Form6->sRadioGroup1->button(i)->text(), kLetters[i]);
    QVERIFY(!Form6->isVisible());

    // A first run leaves its traces in the window.
    openTestWindow();
    QVERIFY(Form6->isVisible());
    Form6->sEdit1->setText(QStringLiteral("Иванов"));
    pickTopic(kPoetry);
    clickNode(2);
    markLetter("B");
    Form6->close();
    QVERIFY(!Form6->isVisible());
    QCOMPARE(results(), QStringList{}); // the close box grades nothing
    const QStringList sheetBefore = sheet();

    openTestWindow();
    QVERIFY(Form6->isVisible());
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, (QStringList{kPoetry, kProse, kEmpty, kQuoted, kPoetry})); // table order, duplicate kept
    QCOMPARE(combo->currentText(), QString());
    QCOMPARE(Form6->sEdit1->text(), QString());
    QCOMPARE(Form6->sMemo1->toPlainText(), QString());
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), -1);
    QCOMPARE(Form6->sTreeView1->nodeCount(), 0);
    QCOMPARE(sheet(), sheetBefore); // the answer sheet is the previous run's
    QCOMPARE(course->platform.boxes.size(), 0);
}

void TestTestWindow::openingRetriesADatabaseMissingAtStartUp()
{
    QFile::remove(course->path(QStringLiteral("test.mdb")));
    course->start();
    QCOMPARE(course->platform.texts(QStringLiteral("error")).size(), 6); // connection, five tables
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
    course->platform.clear();

    openTestWindow(); // still missing: reported, the window stays hidden
    QCOMPARE(course->platform.texts(QStringLiteral("error")).size(), 1);
    QVERIFY(!Form6->isVisible());

    makeDatabase();
    course->platform.clear();
    openTestWindow();
    QCOMPARE(course->platform.boxes.size(), 0);
    QVERIFY(Form6->isVisible());
    QCOMPARE(Form6->sComboBox1->count(), 5);
}

// --- a test run ---------------------------------------------------------------

void TestTestWindow::wholeTestRun()
{
    startAsStudent();
    openTestWindow();
    typeText(Form6->sEdit1, QStringLiteral("Петров Пётр"));
    Form6->sMemo1->setPlainText(QStringLiteral("до выбора темы"));

    pickTopic(kPoetry);
    QStringList numbers;
    for (int i = 1; i <= 12; ++i)
        numbers << QString::number(i);
    QCOMPARE(tree(), numbers);
    const QStringList ids = idsOf(kPoetry);
    QStringList expectedSheet;
    for (int i = 1; i <= 12; ++i)
        expectedSheet << QStringLiteral("%1 | %2 | (absent)").arg(i).arg(ids[i - 1]);
    QCOMPARE(sheet(), expectedSheet);
    QCOMPARE(Form6->sMemo1->toPlainText(), QStringLiteral("до выбора темы")); // until a node is clicked

    clickNode(1);
    QCOMPARE(Form6->sMemo1->toPlainText(), poetryText(1)); // "1", not "10", "11" or "12"
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), -1);

    clickNode(3);
    QCOMPARE(Form6->sMemo1->toPlainText(), poetryText(3));
    markLetter("B"); // wrong: the answer is C
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), 1);
    QCOMPARE(sheet()[2], QStringLiteral("3 | %1 | (absent)").arg(ids[2])); // pending, not yet written
    clickNode(5);
    QCOMPARE(sheet()[2], QStringLiteral("3 | %1 | B").arg(ids[2])); // written by the move
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), -1);                 // unanswered
    clickNode(3);
    QCOMPARE(Form6->sMemo1->toPlainText(), poetryText(3));
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), 1); // the recorded "B"

    for (int i : {1, 2, 4, 5, 6, 7, 8, 9}) {
        clickNode(i);
        markLetter(poetryAnswer(i));
    }
    clickNode(10);
    markLetter("A");
    markLetter("E"); // changing one's mind: the last letter counts
    clickNode(12);
    markLetter(poetryAnswer(12)); // the last answer, written only by grading
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), int(kLetters.indexOf(poetryAnswer(12))));

    pressDone(); // 10 of 12 correct: p = 83.3
    QCOMPARE(course->platform.boxes.size(), 0);
    QVERIFY(Form7->isVisible());
    QVERIFY(!Form6->isVisible());
    QCOMPARE(Form7->Label1->text(), QStringLiteral("Петров Пётр"));
    QVERIFY(Form7->Label1->width() > 55); // sized to the name
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("12"));
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("10"));
    QCOMPARE(Form7->Edit3->text(), QStringLiteral("4"));
    QCOMPARE(Form7->Edit4->text(), QStringLiteral("B (3.0)"));
    QCOMPARE(results(), QStringList{QStringLiteral("Петров Пётр | %1 | 12 | B").arg(today())});
    QStringList answered = sheet();
    QCOMPARE(answered.size(), 12);
    QCOMPARE(answered[11], QStringLiteral("12 | %1 | %2").arg(ids[11], poetryAnswer(12)));
    QCOMPARE(answered[9], QStringLiteral("10 | %1 | E").arg(ids[9]));
    QCOMPARE(answered[10], QStringLiteral("11 | %1 | (absent)").arg(ids[10]));

    // The run's answers are kept with its result row, each with the
    // question's letter and topic.
    QStringList kept;
    for (int i = 1; i <= 12; ++i) {
        const QString given = i == 3 ? QStringLiteral("B") : i == 10 ? QStringLiteral("E")
                              : i == 11 ? QStringLiteral("(absent)") : poetryAnswer(i);
        kept << QStringLiteral("%1 | %2 | %3 | %4 | %5").arg(ids[i - 1]).arg(i).arg(given, poetryAnswer(i), kPoetry);
    }
    QCOMPARE(answers(), kept);

    click(Form7->sButton1); // "Закрыть"
    QVERIFY(!Form7->isVisible());
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form6->isVisible());

    // The file's own sheet, which other copies of the program share, is
    // untouched (a server keeps no shared sheet).
    if (!test_engine::server())
        QCOMPARE(rowTexts(course->path(QStringLiteral("test.mdb")), QStringLiteral("SELECT * FROM testing")),
                 QStringList{});
}

void TestTestWindow::typingATopicLetterByLetter()
{
    startAsStudent();
    openTestWindow();
    pickTopic(kPoetry);
    QCOMPARE(tree().size(), 12);

    // The student clears the text and types the prose topic: every keystroke
    // rebuilds the run, a partial name matching no question.
    QLineEdit* edit = Form6->sComboBox1->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(tree(), QStringList{});
    QCOMPARE(sheet(), QStringList{});
    const QString typed = kProse;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        typeText(edit, typed.mid(i, 1));
        QCOMPARE(Form6->sComboBox1->currentText(), typed.left(i + 1));
        const int expected = i + 1 == typed.size() ? 3 : 0;
        QCOMPARE(tree().size(), expected);
        QCOMPARE(sheet().size(), expected);
    }
    QCOMPARE(tree(), (QStringList{"1", "2", "3"}));

    // Enter changes no text: the run and its answers stay.
    clickNode(1);
    markLetter("A");
    QTest::keyClick(edit, Qt::Key_Return);
    clickNode(2);
    QCOMPARE(sheet().value(0).section(QStringLiteral(" | "), 2), QStringLiteral("A"));

    // Text set by the program is no choice of the student.
    Form6->sComboBox1->setEditText(kPoetry);
    QCOMPARE(tree().size(), 3);

    // Deleting a character is a change again.
    edit->setText(kProse);
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(tree(), QStringList{});

    // The arrow keys pick from the list.
    Form6->sComboBox1->setFocus();
    Form6->sComboBox1->setCurrentIndex(0);
    QTest::keyClick(Form6->sComboBox1, Qt::Key_Down);
    QCOMPARE(Form6->sComboBox1->currentText(), kProse);
    QCOMPARE(tree().size(), 3);
    QCOMPARE(course->platform.boxes.size(), 0);
}

void TestTestWindow::letterMarkedBeforeAnyQuestionGoesToTheLastOne()
{
    startAsStudent();
    openTestWindow();
    Form6->sEdit1->setText(QStringLiteral("Сидоров"));
    pickTopic(kPoetry);
    markLetter(poetryAnswer(12)); // no node clicked: the current sheet row is the last one
    pressDone();
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("12"));
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("1"));
    QCOMPARE(Form7->Edit3->text(), QStringLiteral("2"));
    QCOMPARE(Form7->Edit4->text(), QStringLiteral("F (0)"));
    QCOMPARE(sheet().last(), QStringLiteral("12 | %1 | %2").arg(idsOf(kPoetry).last(), poetryAnswer(12)));
    QCOMPARE(results(), QStringList{QStringLiteral("Сидоров | %1 | 12 | F").arg(today())});
}

void TestTestWindow::unansweredRunWithAnEmptyName()
{
    startAsStudent();
    openTestWindow();
    pickTopic(kProse);
    pressDone(); // no answers: only the question without a correct letter counts
    QCOMPARE(course->platform.boxes.size(), 0);
    QCOMPARE(Form7->Label1->text(), QString());
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("3"));
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("1"));
    QCOMPARE(Form7->Edit3->text(), QStringLiteral("2"));
    QCOMPARE(Form7->Edit4->text(), QStringLiteral("F (0)"));
    // An empty name is stored as the empty text, not as an absent value.
    const QStringList stored =
        rowTexts(course->path(QStringLiteral("test.mdb")),
                 QStringLiteral("SELECT CASE WHEN fio IS NULL THEN 1 ELSE 0 END, fio, kol, ocenka FROM result"));
    QCOMPARE(stored, QStringList{QStringLiteral("0 |  | 3 | F")});
}

void TestTestWindow::reopeningGradesTheSheetAgainAndTheSameTopicRestartsIt()
{
    startAsStudent();
    openTestWindow();
    Form6->sEdit1->setText(QStringLiteral("Первый"));
    pickTopic(kProse);
    clickNode(1);
    markLetter("A");
    clickNode(2);
    markLetter("B");
    pressDone(); // 3 of 3: both answers and the question without a correct letter
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("3"));
    click(Form7->sButton1);

    // Reopened: the topic filter and the sheet are the previous run's.
    openTestWindow();
    Form6->sEdit1->setText(QStringLiteral("Второй"));
    pressDone();
    QCOMPARE(course->platform.boxes.size(), 0);
    QCOMPARE(Form7->Label1->text(), QStringLiteral("Второй"));
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("3"));
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("3"));
    QCOMPARE(Form7->Edit4->text(), QStringLiteral("A (4.0)"));
    QCOMPARE(results(), (QStringList{QStringLiteral("Первый | %1 | 3 | A").arg(today()),
                                     QStringLiteral("Второй | %1 | 3 | A").arg(today())}));
    click(Form7->sButton1);

    // The same topic once more starts afresh at its first question, although
    // grading left the questions on the last one.
    openTestWindow();
    Form6->sMemo1->setPlainText(QStringLiteral("прежний"));
    pickTopic(kProse);
    QCOMPARE(tree(), (QStringList{"1", "2", "3"}));
    const QStringList ids = idsOf(kProse);
    QCOMPARE(sheet(), (QStringList{QStringLiteral("1 | %1 | (absent)").arg(ids[0]),
                                   QStringLiteral("2 | %1 | (absent)").arg(ids[1]),
                                   QStringLiteral("3 | %1 | (absent)").arg(ids[2])}));
    QCOMPARE(Form6->sMemo1->toPlainText(), QStringLiteral("прежний"));
    clickNode(1);
    QCOMPARE(Form6->sMemo1->toPlainText(), QStringLiteral("Проза, вопрос 1"));
}

void TestTestWindow::gradingBeforeAnyTopicUsesTheStoredSheetAndAllQuestions()
{
    // An earlier run's sheet: prose questions 1 and 2 answered right, 3 wrong.
    makeDatabase(defaultTopics(), defaultQuestions(),
                 {QStringLiteral("INSERT INTO testing (nom, nom1, otv) SELECT '1', id, 'A' FROM test WHERE test = "
                                 "'Проза, вопрос 1'"),
                  QStringLiteral("INSERT INTO testing (nom, nom1, otv) SELECT '2', id, 'B' FROM test WHERE test = "
                                 "'Проза, вопрос 2'"),
                  QStringLiteral("INSERT INTO testing (nom, nom1, otv) SELECT '3', id, 'C' FROM test WHERE test = "
                                 "'Проза, вопрос 3'"),
                  QStringLiteral("DROP TABLE otvety")});
    course->start();
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
    course->platform.clear();

    openTestWindow();
    pressDone();
    QCOMPARE(course->platform.boxes.size(), 0);
    QCOMPARE(Form7->Edit1->text(), QString::number(defaultQuestions().size())); // no topic filter: all 17
    // A server keeps no sheet shared by the copies: a session's starts empty.
    QCOMPARE(Form7->Edit2->text(), test_engine::server() ? QStringLiteral("0") : QStringLiteral("2"));
    QCOMPARE(Form7->Edit4->text(), QStringLiteral("F (0)"));
    QCOMPARE(results(), QStringList{QStringLiteral(" | %1 | 17 | F").arg(today())});
    // The answers kept: the sheet's rows on the file (a file that had no
    // table for them gets it at its first grading); all 17 questions of the
    // run on a server, none answered.
    const QStringList kept = answers();
    if (test_engine::server()) {
        QCOMPARE(kept.size(), 17);
        QVERIFY(kept.filter(QStringLiteral("| (absent) | ")).size() == 17);
    } else {
        QCOMPARE(kept.size(), 3);
        QVERIFY(kept[2].endsWith(QStringLiteral(" | 3 | C | (absent) | Проза")));
    }
}

void TestTestWindow::topicWithoutQuestionsCannotBeGraded()
{
    startAsStudent();
    openTestWindow();
    pickTopic(kPoetry);
    pickTopic(kEmpty);
    QCOMPARE(tree(), QStringList{});
    QCOMPARE(sheet(), QStringList{});

    // A letter marked on the empty sheet starts a row holding only the letter.
    markLetter("A");
    pressDone();
    QCOMPARE(course->platform.texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Invalid floating point operation.")});
    QCOMPARE(course->platform.boxes.first().caption, QStringLiteral("Норвена"));
    QVERIFY(Form6->isVisible());
    QVERIFY(!Form7->isVisible());
    QCOMPARE(results(), QStringList{});
    QCOMPARE(sheet(), QStringList{QStringLiteral("(absent) | (absent) | A")}); // written by grading's first move
}

void TestTestWindow::topicNameWithAQuote()
{
    startAsStudent();
    openTestWindow();
    pickTopic(kQuoted);
    QCOMPARE(tree(), (QStringList{"1", "2"}));
    clickNode(2);
    QCOMPARE(Form6->sMemo1->toPlainText(), QStringLiteral("Театр, вопрос 2"));
    markLetter("E");
    pressDone();
    QCOMPARE(Form7->Edit2->text(), QStringLiteral("1"));
    QCOMPARE(Form7->Edit4->text(), QStringLiteral("D (1.0)"));
    QCOMPARE(course->platform.boxes.size(), 0);
}

void TestTestWindow::clickBesideTheNodesIsIgnored()
{
    startAsStudent();
    openTestWindow();
    pickTopic(kProse);
    QTreeView* tree = Form6->sTreeView1;
    const QPoint below(20, tree->visualRect(tree->model()->index(2, 0)).bottom() + 40);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, below); // no node selected yet
    QCOMPARE(Form6->sMemo1->toPlainText(), QString());
    QCOMPARE(course->platform.boxes.size(), 0);

    clickNode(2);
    markLetter("C");
    pickTopic(kProse); // rebuilt: no node selected again
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(Form6->sMemo1->toPlainText(), QStringLiteral("Проза, вопрос 2"));
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), 2);
    QCOMPARE(course->platform.boxes.size(), 0);
}

// A recorded letter is shown again when its question is clicked again.
void TestTestWindow::everyLetterIsShownAgain_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<int>("index");
    QTest::newRow("A") << "A" << 0;
    QTest::newRow("B") << "B" << 1;
    QTest::newRow("C") << "C" << 2;
    QTest::newRow("D") << "D" << 3;
    QTest::newRow("E") << "E" << 4;
}

void TestTestWindow::everyLetterIsShownAgain()
{
    QFETCH(QString, letter);
    QFETCH(int, index);
    startAsStudent();
    openTestWindow();
    pickTopic(kPoetry);
    clickNode(4);
    markLetter(letter);
    clickNode(7);
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), -1);
    clickNode(4);
    QCOMPARE(Form6->sMemo1->toPlainText(), poetryText(4));
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), index);
    QVERIFY(Form6->sRadioGroup1->button(index)->isChecked());
    QCOMPARE(Form6->sRadioGroup1->button(index)->text(), letter);
    QCOMPARE(sheet()[3].section(QStringLiteral(" | "), 2), letter);
}

// The mouse wheel over the topic changes it only while the topic has the
// keyboard focus; otherwise the run and its answers stay.
void TestTestWindow::wheelOverTheTopic_data()
{
    QTest::addColumn<bool>("focused");
    QTest::newRow("focus on the name") << false;
    QTest::newRow("focus on the topic") << true;
}

void TestTestWindow::wheelOverTheTopic()
{
    QFETCH(bool, focused);
    startAsStudent();
    openTestWindow();
    pickTopic(kPoetry);
    clickNode(1);
    markLetter("A");
    clickNode(2);
    // The test window is the active one (the topic's drop-down list has
    // gone), the focus in the name or in the topic.
    QApplication::setActiveWindow(Form6);
    (focused ? static_cast<QWidget*>(Form6->sComboBox1) : Form6->sEdit1)->setFocus();
    QVERIFY(Form6->sComboBox1->hasFocus() == focused);

    // Over the text and over the arrow of the drop-down list.
    QComboBox* combo = Form6->sComboBox1;
    if (!focused)
        wheelDown(combo->lineEdit(), QRectF(combo->lineEdit()->rect()).center());
    const QPoint arrow(combo->width() - 6, combo->height() / 2);
    QCOMPARE(combo->childAt(arrow), nullptr);
    wheelDown(combo, arrow);
    if (focused) {
        QCOMPARE(Form6->sComboBox1->currentText(), kProse);
        QCOMPARE(tree().size(), 3);
    } else {
        QCOMPARE(Form6->sComboBox1->currentText(), kPoetry);
        QCOMPARE(tree().size(), 12);
        QCOMPARE(sheet()[0].section(QStringLiteral(" | "), 2), QStringLiteral("A"));
        QVERIFY(Form6->sEdit1->hasFocus());
    }
    QCOMPARE(course->platform.boxes.size(), 0);
}

// Only the left button chooses a question: another one leaves the node of
// the question shown, which takes the next letter.
void TestTestWindow::otherButtonsLeaveTheNode_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestTestWindow::otherButtonsLeaveTheNode()
{
    QFETCH(Qt::MouseButton, button);
    startAsStudent();
    openTestWindow();
    pickTopic(kPoetry);
    clickNode(2);
    QuestionTree* tree = Form6->sTreeView1;
    const QModelIndex two = tree->model()->index(1, 0);
    const QPoint five = tree->visualRect(tree->model()->index(4, 0)).center();
    QTest::mouseClick(tree->viewport(), button, {}, five);
    QTest::mouseDClick(tree->viewport(), button, {}, five);
    QCOMPARE(tree->selectedText(), QStringLiteral("2"));
    QCOMPARE(tree->currentIndex(), two);
    QCOMPARE(Form6->sMemo1->toPlainText(), poetryText(2));

    markLetter("D");
    clickNode(5);
    QCOMPARE(sheet()[1].section(QStringLiteral(" | "), 2), QStringLiteral("D"));
    QCOMPARE(sheet()[4].section(QStringLiteral(" | "), 2), QStringLiteral("(absent)"));
}

// A key that moves the highlight shows the question it moved to, and the
// next letter is recorded for that question, not for the one shown before.
void TestTestWindow::keysShowTheHighlightedQuestion_data()
{
    QTest::addColumn<int>("start"); // the node clicked first; 0: none, the tree reached with Tab
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("highlighted");
    QTest::newRow("Down") << 2 << int(Qt::Key_Down) << 3;
    QTest::newRow("Up") << 2 << int(Qt::Key_Up) << 1;
    QTest::newRow("Home") << 5 << int(Qt::Key_Home) << 1;
    QTest::newRow("End") << 2 << int(Qt::Key_End) << 12;
    QTest::newRow("PgDn") << 2 << int(Qt::Key_PageDown) << 12;
    QTest::newRow("PgUp") << 5 << int(Qt::Key_PageUp) << 1;
    QTest::newRow("a number typed") << 2 << int(Qt::Key_7) << 7;
    // Tab puts the focus mark on the first node without highlighting it.
    QTest::newRow("Down after Tab into a fresh tree") << 0 << int(Qt::Key_Down) << 2;
    QTest::newRow("End after Tab into a fresh tree") << 0 << int(Qt::Key_End) << 12;
}

void TestTestWindow::keysShowTheHighlightedQuestion()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, highlighted);
    startAsStudent();
    openTestWindow();
    pickTopic(kPoetry);
    if (start > 0) {
        clickNode(start);
    } else {
        QApplication::setActiveWindow(Form6);
        Form6->sTreeView1->setFocus(Qt::TabFocusReason);
        QVERIFY(Form6->sTreeView1->selectedText().isEmpty());
    }
    QTest::keyClick(Form6->sTreeView1, Qt::Key(key));
    QCOMPARE(Form6->sTreeView1->selectedText(), QString::number(highlighted));
    QCOMPARE(Form6->sMemo1->toPlainText(), poetryText(highlighted));

    markLetter("C");
    clickNode(highlighted == 1 ? 2 : 1); // the move writes the letter
    QStringList letters;
    for (const QString& row : sheet())
        letters << row.section(QStringLiteral(" | "), 2);
    QStringList expected(12, QStringLiteral("(absent)"));
    expected[highlighted - 1] = QStringLiteral("C");
    QCOMPARE(letters, expected);
    QCOMPARE(course->platform.boxes.size(), 0);
}

void TestTestWindow::absentTopicNameStopsTheList()
{
    startAsStudent({kPoetry, kProse, QVariant(), kEmpty});
    Form6->sEdit1->setText(QStringLiteral("Иванов"));
    openTestWindow();
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList{kConversionError});
    QVERIFY(Form6->isVisible());
    QCOMPARE(Form6->sComboBox1->count(), 2); // the topics before the absent one
    QCOMPARE(Form6->sComboBox1->currentText(), QString());
    QCOMPARE(Form6->sEdit1->text(), QStringLiteral("Иванов")); // the clearing step was not reached
    pickTopic(kProse);
    QCOMPARE(tree().size(), 3);
}

void TestTestWindow::absentQuestionTextKeepsTheShownQuestion()
{
    QList<Question> questions = defaultQuestions();
    for (Question& q : questions)
        if (q.test == QStringLiteral("Проза, вопрос 2"))
            q.test = QVariant();
    startAsStudent(defaultTopics(), questions);
    openTestWindow();
    pickTopic(kProse);
    clickNode(1);
    markLetter("D");
    clickNode(2);
    QCOMPARE(course->platform.texts(QStringLiteral("error")), QStringList{kConversionError});
    QCOMPARE(Form6->sMemo1->toPlainText(), QStringLiteral("Проза, вопрос 1"));
    QCOMPARE(Form6->sRadioGroup1->itemIndex(), 3);
    QCOMPARE(sheet()[0].section(QStringLiteral(" | "), 2), QStringLiteral("D")); // written by the locate
}

QTEST_MAIN(TestTestWindow)
#include "tst_testwindow.moc"
