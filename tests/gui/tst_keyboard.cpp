// The program by keyboard alone and through a screen reader: every window's
// controls have names (and descriptions where the caption is not enough) in
// Qt's accessibility interface, and Tab and Shift+Tab move through them, the
// multi-line edits included.

#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "app/Unit3.h"
#include "forms/DataGrid.h"
#include "forms/DataNavigator.h"
#include "forms/Unit1.h"
#include "forms/Unit10.h"
#include "forms/Unit2.h"
#include "forms/Unit5.h"
#include "forms/Unit6.h"
#include "forms/Unit7.h"
#include "forms/Unit8.h"
#include "forms/Unit9.h"

#include "data/Table.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

QString focusName()
{
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(none)");
}

QList<QWidget*> allWindows()
{
    return {Form3, Form1, Form2, Form5, Form6, Form7, Form8, Form9, Form10};
}

// The window's object name and the control's, as "TForm8/sMemo1".
QString pathOf(const QWidget* control)
{
    return control->window()->objectName() + u'/' + control->objectName();
}

QString accessibleText(QWidget* control, QAccessible::Text which)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(which) : QStringLiteral("(no interface)");
}

// The controls the keyboard reaches, hidden or not (some are shown for the
// teacher only), and the navigator's buttons, which only the mouse clicks
// (the grid's keys do what they do). Parts of a control that take the focus
// for it, and the drop-down list of a combo box (a window of its own, which
// speaks for the combo box) are left out.
QList<QWidget*> controlsOf(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) && !qobject_cast<DataNavigator*>(w->parentWidget()))
            continue;
        const QWidget* parent = w->parentWidget();
        if (w->window() != window || (parent && parent != window && parent->focusProxy() == w))
            continue;
        controls << w;
    }
    return controls;
}

// A key as the keyboard sends it: to the control that has the focus.
void key(Qt::Key which, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus, "no control has the focus");
    QTest::keyClick(focus, which, modifiers);
    QCoreApplication::processEvents();
}

void typeText(const QString& latin)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus, "no control has the focus");
    QTest::keyClicks(focus, latin);
}

// Tab until the control has the focus; fails when it is not reached
// within one round of the window.
void tabTo(QWidget* control)
{
    QVERIFY(QTest::qWaitForWindowActive(control->window()));
    for (int i = 0; i < 40 && QApplication::focusWidget() != control; ++i) {
        if (!QApplication::focusWidget())
            control->window()->setFocus(); // a window shown without a control in focus
        key(Qt::Key_Tab);
    }
    QVERIFY2(QApplication::focusWidget() == control,
             qPrintable(QStringLiteral("%1 not reached by Tab; the focus is on %2")
                            .arg(pathOf(control), QApplication::focusWidget() ? pathOf(QApplication::focusWidget())
                                                                              : QStringLiteral("nothing"))));
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CourseFixture> course;

    // "Вход" with the password edit holding the text, then "Тесты".
    void logInAndOpenTests(const QString& password)
    {
        course->start();
        QVERIFY(course->platform.boxes.isEmpty());
        Form3->Edit1->setText(password);
        click(Form3->Button1);
        course->platform.clear();
        click(Form1->Button44);
    }

private slots:
    void init() { course = std::make_unique<CourseFixture>(); }
    void cleanup()
    {
        const QString problems = course->platform.verifyDone();
        course.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    void everyControlHasAName()
    {
        course->start();
        QStringList unnamed;
        int controls = 0;
        for (QWidget* window : allWindows()) {
            for (QWidget* control : controlsOf(window)) {
                ++controls;
                if (accessibleText(control, QAccessible::Name).trimmed().isEmpty())
                    unnamed << pathOf(control);
            }
        }
        QVERIFY(controls > 60);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
    }

    // What a screen reader says of the controls whose caption does not say
    // it all: the name from the window's own words, and a description of
    // what the control holds and which keys work it.
    void namesAndDescriptions_data()
    {
        QTest::addColumn<QString>("control"); // window/control
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("described");

        QTest::newRow("password") << "TForm3/Edit1" << "Пароль преподавателя" << false;
        QTest::newRow("author list") << "TForm1/ListBox1" << "Выберите автора" << false;
        QTest::newRow("presentations") << "TForm1/FileListBox1" << "Выберите презентацию" << false;
        QTest::newRow("documents") << "TForm1/FileListBox2" << "Выберите документ" << false;
        QTest::newRow("document view") << "TForm2/WebBrowser1" << "Документ" << false;
        QTest::newRow("guide view") << "TForm5/WebBrowser1" << "Руководство пользователя" << false;
        QTest::newRow("student's name") << "TForm6/sEdit1" << "Введите ваши ФИО" << false;
        QTest::newRow("topic box") << "TForm6/sComboBox1" << "Выберите тему тестирования" << true;
        QTest::newRow("test's question tree") << "TForm6/sTreeView1" << "Номера вопросов" << true;
        QTest::newRow("test's memo") << "TForm6/sMemo1" << "Текст вопроса" << true;
        QTest::newRow("answer letters") << "TForm6/sRadioGroup1" << "Ответ" << true;
        QTest::newRow("answer letter C") << "TForm6/item2" << "C" << true;
        QTest::newRow("grade") << "TForm7/Edit3" << "Ваша оценка" << false;
        QTest::newRow("editor's question tree") << "TForm8/sTreeView1" << "Номера вопросов" << true;
        QTest::newRow("editor's memo") << "TForm8/sMemo1" << "Текст вопроса" << true;
        QTest::newRow("correct letter") << "TForm8/sRadioGroup1" << "Правильный ответ" << true;
        QTest::newRow("correct letter E") << "TForm8/item4" << "E" << true;
        QTest::newRow("editor's topic") << "TForm8/sEdit1" << "Тема раздела тестирования" << true;
        QTest::newRow("results grid") << "TForm9/DBGrid1" << "Результаты тестирования" << true;
        QTest::newRow("navigator, first") << "TForm9/First" << "Первая запись" << true;
        QTest::newRow("navigator, prior") << "TForm9/Prior" << "Предыдущая запись" << true;
        QTest::newRow("navigator, next") << "TForm9/Next" << "Следующая запись" << true;
        QTest::newRow("navigator, last") << "TForm9/Last" << "Последняя запись" << true;
        QTest::newRow("navigator, delete") << "TForm9/Delete" << "Удалить запись" << true;
        QTest::newRow("media file name") << "TForm10/sEdit3" << "Название файла" << false;
    }

    void namesAndDescriptions()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(bool, described);
        course->start();
        QWidget* window = nullptr;
        for (QWidget* w : allWindows())
            if (w->objectName() == control.section(u'/', 0, 0))
                window = w;
        QVERIFY(window);
        auto* widget = window->findChild<QWidget*>(control.section(u'/', 1));
        QVERIFY(widget);
        QCOMPARE(accessibleText(widget, QAccessible::Name), name);
        if (described)
            QVERIFY(!accessibleText(widget, QAccessible::Description).isEmpty());
    }

    // A student's whole test run with the keyboard alone.
    void studentByKeyboard()
    {
        course->start();
        Form3->show();
        tabTo(Form3->Button1);
        key(Qt::Key_Space);
        QVERIFY(Form1->isVisible());
        QCOMPARE(course->platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Вы вошли в программу как обычный пользователь!")});

        tabTo(Form1->Button44);
        key(Qt::Key_Space);
        QVERIFY(Form6->isVisible());
        tabTo(Form6->sEdit1);
        typeText(QStringLiteral("Orlova Anna"));
        tabTo(Form6->sComboBox1);
        key(Qt::Key_Down); // the first topic
        const int questions = Form6->sTreeView1->nodeCount();
        QVERIFY(questions > 1);

        // Every question answered "A": a letter with Space, back to the
        // numbers with Shift+Tab, the next number with Down.
        tabTo(Form6->sTreeView1);
        key(Qt::Key_Home);
        for (int q = 1; q <= questions; ++q) {
            QCOMPARE(Form6->sTreeView1->selectedText(), QString::number(q));
            tabTo(Form6->sRadioGroup1->button(0));
            key(Qt::Key_Space);
            QCOMPARE(Form6->sRadioGroup1->itemIndex(), 0);
            key(Qt::Key_Backtab, Qt::ShiftModifier);
            key(Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), Form6->sTreeView1);
            if (q < questions)
                key(Qt::Key_Down);
        }
        tabTo(Form6->sButton1);
        key(Qt::Key_Space);
        QVERIFY(Form7->isVisible());
        QCOMPARE(Form7->Edit1->text(), QString::number(questions));
        Table* results = Form6->tblResult;
        results->last();
        QCOMPARE(results->text(QStringLiteral("fio")), QStringLiteral("Orlova Anna"));

        tabTo(Form7->sButton1);
        key(Qt::Key_Space);
        QVERIFY(!Form7->isVisible());
    }

    // A teacher's question added and saved, a result deleted, with the
    // keyboard alone.
    void teacherByKeyboard()
    {
        course->start();
        Form3->show();
        tabTo(Form3->CheckBox1);
        key(Qt::Key_Space);
        tabTo(Form3->Edit1);
        typeText(QStringLiteral("quartz"));
        tabTo(Form3->Button1);
        key(Qt::Key_Space);
        QCOMPARE(course->platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Вы вошли в программу как преподаватель!")});
        course->platform.clear();

        tabTo(Form1->Button44);
        key(Qt::Key_Space);
        QVERIFY(Form8->isVisible());
        const int questions = Form8->sTreeView1->nodeCount();
        tabTo(Form8->sButton1); // "Добавить"
        key(Qt::Key_Space);
        tabTo(Form8->sEdit1);
        typeText(QStringLiteral("Pushkin"));
        tabTo(Form8->sMemo1);
        typeText(QStringLiteral("Who wrote it?"));
        key(Qt::Key_Return);
        typeText(QStringLiteral("A) Pushkin"));
        tabTo(Form8->sRadioGroup1->button(0));
        key(Qt::Key_Space);
        tabTo(Form8->sButton2); // "Сохранить"
        key(Qt::Key_Space);
        QCOMPARE(Form8->sTreeView1->nodeCount(), questions + 1);
        Table* test = Form6->tblTest;
        test->last();
        QCOMPARE(test->text(QStringLiteral("test")), QStringLiteral("Who wrote it?\r\nA) Pushkin"));
        QCOMPARE(test->text(QStringLiteral("otv")), QStringLiteral("A"));

        // The register: to the last result and delete it.
        tabTo(Form8->sButton5);
        key(Qt::Key_Space);
        QVERIFY(Form9->isVisible());
        tabTo(Form9->DBGrid1);
        Table* results = Form6->tblResult;
        const int stored = results->recordCount();
        QVERIFY(stored > 0);
        key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(results->currentIndex(), stored - 1);
        course->platform.answers << true;
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(course->platform.texts(QStringLiteral("confirm")), QStringList{QStringLiteral("Delete record?")});
        QCOMPARE(results->recordCount(), stored - 1);
    }

    // The context menus of the editor's tree and the register's grid open
    // from the keyboard as well.
    void menuKeyOpensTheContextMenu()
    {
        logInAndOpenTests(QStringLiteral("quartz"));
        QStringList items;
        for (QWidget* view : {static_cast<QWidget*>(Form8->sTreeView1), static_cast<QWidget*>(Form9->DBGrid1)}) {
            view->window()->show();
            view->window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(view->window()));
            view->setFocus();
            QTimer::singleShot(0, [&] {
                if (QWidget* popup = QApplication::activePopupWidget()) {
                    for (QAction* a : popup->actions())
                        items << a->text();
                    popup->close();
                }
            });
            // What the window system sends for the menu key.
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), view->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(view, &event);
        }
        QCOMPARE(items, QStringList({"Импорт вопросов…", "Импорт из Moodle XML…", "Импорт из GIFT…",
                                     "Импорт из IMS QTI 2.1…", "Экспорт темы…", "Экспорт темы в Moodle XML…",
                                     "Экспорт темы в GIFT…", "Экспорт темы в IMS QTI 2.1…", "Статистика…",
                                     "Сохранить в CSV…", "Печать…", "Статистика…"}));
    }

    void tabLeavesTheMemo_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("next");
        QTest::newRow("test window") << "" << "sTreeView1" << "item0";
        QTest::newRow("test editor") << "quartz" << "sTreeView1" << "item0";
    }

    void tabLeavesTheMemo()
    {
        QFETCH(QString, password);
        QFETCH(QString, previous);
        QFETCH(QString, next);
        logInAndOpenTests(password);
        QWidget* window = password.isEmpty() ? static_cast<QWidget*>(Form6) : static_cast<QWidget*>(Form8);
        QPlainTextEdit* memo = password.isEmpty() ? Form6->sMemo1 : Form8->sMemo1;
        QVERIFY(QTest::qWaitForWindowActive(window));

        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("Who wrote it?"));
        QTest::keyClick(memo, Qt::Key_Tab);
        QCOMPARE(focusName(), next);
        QCOMPARE(memo->toPlainText(), QStringLiteral("Who wrote it?"));

        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focusName(), previous);
        QCOMPARE(memo->toPlainText(), QStringLiteral("Who wrote it?"));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
