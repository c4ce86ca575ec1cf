// The results register: the grid and the navigator over the test window's
// tblResult, driven through the keyboard, the mouse and the navigator's
// buttons by the teacher, with what they write read back from the course's
// database (the file, or the course server when the suite runs against one).

#include "pg/PgSession.h"
#include "pg/ServerCourse.h"
#include "support/CourseFixture.h"
#include "support/SideConnection.h"

#include "app/Forms.h"
#include "app/Unit3.h"
#include "data/Table.h"
#include "forms/DataGrid.h"
#include "forms/DataNavigator.h"
#include "forms/Unit6.h"
#include "forms/Unit9.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString kPlainResult =
    QStringLiteral("CREATE TABLE result (fio VARCHAR(50), data DATE, kol VARCHAR(10), ocenka VARCHAR(2))");

// One stored result: fio, data (as stored, yyyy-MM-dd), kol, ocenka.
using Result = QStringList;

QList<Result> numbered(int count)
{
    QList<Result> rows;
    for (int i = 1; i <= count; ++i)
        rows << Result{QStringLiteral("Студент %1").arg(i), QStringLiteral("2024-03-14"), QString::number(i), "B"};
    return rows;
}

const QList<Result> kThree{{"Иванова Мария", "2024-03-14", "11", "B"},
                           {"Петров Сергей", "2024-03-15", "11", "C+"},
                           {"Сидоров Алексей", "2024-04-02", "5", "A"}};

// The course's database on a server of the test's own, when the suite runs
// against one: made from the course's file by startWith(), dropped by the
// suite's cleanup() once the test's course and windows are gone.
std::unique_ptr<ServerCourse> theServer;

// A statement on the course's database from outside the program, as another
// program would run it: on the file, or on the server as its administrator.
bool execOutside(const CourseFixture& course, const QString& sql, const QVariantList& values = {})
{
    if (theServer)
        return theServer->administrator()->exec(sql, values);
    SideConnection db(course.path(QStringLiteral("test.mdb")));
    return db.exec(sql, values);
}

QList<QVariantList> rowsOutside(const CourseFixture& course, const QString& select)
{
    if (theServer)
        return theServer->administrator()->rows(select);
    SideConnection db(course.path(QStringLiteral("test.mdb")));
    return db.rows(select);
}

// Moves the course's file to a server database of its own when the suite
// runs against a server; nothing for the file.
bool moveToTheEngine(const CourseFixture& course)
{
    if (!test_engine::server())
        return true;
    theServer = std::make_unique<ServerCourse>(course.root());
    if (!theServer->error().isEmpty()) {
        qWarning() << "no course server:" << theServer->error();
        return false;
    }
    return true;
}

// "Вход" as the teacher, who alone reaches the register: the password of the
// file, or on a server the ticked box and the teacher role's password.
bool logInAsTeacher(CourseFixture& course)
{
    Form3->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(bool(theServer));
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))
        ->setText(theServer ? QString::fromUtf8(ServerCourse::kTeacherPassword) : QStringLiteral("quartz"));
    click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
    const QStringList notices = course.platform.texts(QStringLiteral("notice"));
    const bool teacher = notices == QStringList{QStringLiteral("Вы вошли в программу как преподаватель!")};
    if (!teacher)
        qWarning() << "the teacher's login said:" << notices << course.platform.texts(QStringLiteral("error"));
    course.platform.clear();
    return teacher;
}

// A rule of the results table that refuses some rows.
enum class Rule {
    None,
    NameRequired, // a row without a name (fio empty) is refused
};

// Gives the course's database exactly these results, with table result
// under the rule, starts the program, logs in as the teacher and shows the
// register with the focus in its grid.
bool startWith(CourseFixture& course, const QList<Result>& rows, Rule rule = Rule::None)
{
    {
        SideConnection db(course.path(QStringLiteral("test.mdb")));
        QString table = kPlainResult;
        if (rule == Rule::NameRequired) // the server gets the rule below
            table.replace(QStringLiteral("fio VARCHAR(50)"), QStringLiteral("fio VARCHAR(50) CHECK (fio <> '')"));
        if (!db.exec(QStringLiteral("DROP TABLE result")) || !db.exec(table))
            return false;
        db.exec(QStringLiteral("BEGIN"));
        for (const Result& row : rows) {
            if (!db.exec(QStringLiteral("INSERT INTO result (fio, data, kol, ocenka) VALUES (?, ?, ?, ?)"),
                         {row.value(0), row.value(1), row.value(2), row.value(3)}))
                return false;
        }
        db.exec(QStringLiteral("COMMIT"));
    }
    if (!moveToTheEngine(course))
        return false;
    if (theServer && rule == Rule::NameRequired &&
        !execOutside(course, QStringLiteral("ALTER TABLE result ADD CONSTRAINT result_named CHECK (fio <> '')")))
        return false;
    course.start();
    if (!course.platform.boxes.isEmpty()) {
        qWarning() << "start-up reported:" << course.platform.texts(QStringLiteral("error"));
        return false;
    }
    if (!logInAsTeacher(course))
        return false;
    Form9->showAndRaise();
    if (!QTest::qWaitForWindowActive(Form9))
        return false;
    Form9->DBGrid1->setFocus();
    return true;
}

DataGrid* grid() { return Form9->DBGrid1; }
Table* results() { return Form6->tblResult; }

QString shown(const QVariant& v) { return v.isNull() ? QStringLiteral("(absent)") : v.toString(); }

// The rows of table result in the database file, in stored order, each as
// its values joined by " | ".
QStringList stored(const CourseFixture& course)
{
    QStringList rows;
    for (const QVariantList& row :
         rowsOutside(course, QStringLiteral("SELECT fio, data, kol, ocenka FROM result ORDER BY rowid")))
        rows << QStringList{shown(row[0]), shown(row[1]), shown(row[2]), shown(row[3])}.join(QStringLiteral(" | "));
    return rows;
}

QStringList storedAsTyped(const QList<Result>& rows)
{
    QStringList result;
    for (const Result& row : rows)
        result << row.join(QStringLiteral(" | "));
    return result;
}

// The grid's rows as shown, each as its cells joined by " | ".
QStringList shownRows()
{
    QStringList rows;
    const QAbstractItemModel* model = grid()->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

int viewRow() { return grid()->currentIndex().row(); }

// The navigator's buttons as "+" (enabled) and "-": first, prior, next, last, delete.
QString enabledButtons()
{
    QString result;
    for (int b = 0; b < DataNavigator::kButtons; ++b)
        result += Form9->DBNavigator1->button(DataNavigator::Button(b))->isEnabled() ? u'+' : u'-';
    return result;
}

// A key pressed where the keyboard focus is: the open cell, or the grid.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = grid()->cellEditor() ? static_cast<QWidget*>(grid()->cellEditor()) : grid();
    QTest::keyClick(target, Qt::Key(key), modifiers);
    // The cell commits its text on Enter once its own handling of the key is over.
    QCoreApplication::processEvents();
}

// Types the text as the user does, Cyrillic letters included: the first
// character opens the current cell (replacing its text) unless it is open.
void type(const QString& text)
{
    for (const QChar ch : text) {
        QWidget* target = grid()->cellEditor() ? static_cast<QWidget*>(grid()->cellEditor()) : grid();
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// The widget the keyboard sends to: the open cell, or the grid.
QWidget* keyTarget() { return grid()->cellEditor() ? static_cast<QWidget*>(grid()->cellEditor()) : grid(); }

// Types as a keyboard does, each press and release sent where the focus is
// at that moment: a capital (Latin or Cyrillic) and "+" with Shift held (its
// own press first, its release last), or without it while Caps Lock is on,
// which then gives a Shift-held letter in small. Within the text, "{Caps}",
// "{Alt}" and "{Acute}" (a dead key) press and release that key alone, "{Ctrl+A}" holds Ctrl over A
// and "{F2}" opens the cell. Returns how many times a cell editor opened.
int typeKeys(const QString& keys)
{
    int opened = 0;
    QLineEdit* open = grid()->cellEditor();
    auto count = [&] {
        if (grid()->cellEditor() && grid()->cellEditor() != open)
            ++opened;
        open = grid()->cellEditor();
    };
    auto alone = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::sendKeyEvent(QTest::Press, keyTarget(), key, QString(), modifiers);
        count();
        QTest::sendKeyEvent(QTest::Release, keyTarget(), key, QString(), modifiers);
        QCoreApplication::processEvents();
        count();
    };
    bool capsLock = false;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys[i] == u'{') {
            const qsizetype end = keys.indexOf(u'}', i);
            const QString name = keys.mid(i + 1, end - i - 1);
            i = end;
            if (name == "Caps") {
                alone(Qt::Key_CapsLock);
                capsLock = !capsLock;
            } else if (name == "Alt") {
                alone(Qt::Key_Alt);
            } else if (name == "Acute") {
                alone(Qt::Key_Dead_Acute);
            } else if (name == "Ctrl+A") {
                alone(Qt::Key_A, Qt::ControlModifier); // Ctrl's press and release come with it
            } else if (name == "F2") {
                alone(Qt::Key_F2);
            } else {
                qFatal("unknown key %s", qPrintable(name));
            }
            continue;
        }
        const QChar ch = keys[i];
        Qt::Key key = Qt::Key(ch.toUpper().unicode());
        bool shift = ch.isUpper() != (capsLock && ch.isLetter());
        if (ch == u'+') {
            key = Qt::Key_Plus;
            shift = true;
        }
        const Qt::KeyboardModifiers modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
        // With a modifier QTest sends its key's press before and its release after.
        QTest::sendKeyEvent(QTest::Press, keyTarget(), key, QString(ch), modifiers);
        count();
        QTest::sendKeyEvent(QTest::Release, keyTarget(), key, QString(ch), modifiers);
        count();
    }
    return opened;
}

void clickCell(int row, int column)
{
    const QModelIndex index = grid()->model()->index(row, column);
    grid()->scrollTo(index);
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(index).center());
}

void clickIndicator(int row)
{
    QHeaderView* indicator = grid()->verticalHeader();
    grid()->scrollTo(grid()->model()->index(row, 0));
    const int y = indicator->sectionViewportPosition(row) + indicator->sectionSize(row) / 2;
    QTest::mouseClick(indicator->viewport(), Qt::LeftButton, {}, QPoint(indicator->width() / 2, y));
}

// The pixels of the indicator column at the row that are nearly black: its mark.
int darkPixelsInIndicator(int row)
{
    QHeaderView* indicator = grid()->verticalHeader();
    const QImage image = indicator->viewport()->grab().toImage();
    const int top = indicator->sectionViewportPosition(row);
    int dark = 0;
    for (int y = top; y < top + indicator->sectionSize(row); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 64 ? 1 : 0;
    return dark;
}

void clickButton(DataNavigator::Button which) { click(Form9->DBNavigator1->button(which)); }

// The model behind the grid, checked throughout the test.
std::unique_ptr<QAbstractItemModelTester> watchModel()
{
    return std::make_unique<QAbstractItemModelTester>(grid()->model(),
                                                      QAbstractItemModelTester::FailureReportingMode::QtTest);
}

} // namespace

class RegisterTest : public QObject {
    Q_OBJECT
private slots:
    // The test's course and windows are gone by now; its server database goes.
    void cleanup() { theServer.reset(); }

    void windowAndColumns();
    void emptyTable();
    void closedTable();
    void moves_data();
    void moves();
    void pageKeys();
    void deleteAsks_data();
    void deleteAsks();
    void deletingTheOnlyRowLeavesTheBlankRow();
    void editedCellIsPostedOnRowChange();
    void modifierKeysLeaveTheCellOpen_data();
    void modifierKeysLeaveTheCellOpen();
    void escapeOnceThenTwice();
    void insertAndAppendLeftUntouchedAreNotWritten();
    void newRowWithValuesIsPostedAtTheEnd();
    void focusLeavingTheGridDiscardsAnUntouchedNewRow();
    void invalidDateIsRefused_data();
    void invalidDateIsRefused();
    void refusedPostStaysPending();
    void refusedDeleteKeepsTheRow();
    void onlyThisProgramsRowsAreShown();
};

void RegisterTest::windowAndColumns()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));

    QCOMPARE(Form9->windowTitle(), QStringLiteral("Результаты тестирования"));
    QCOMPARE(Form9->property("skinSection").toString(), QStringLiteral("FORM"));
    QCOMPARE(Form9->palette().color(QPalette::Window), QColor(119, 171, 202));
    QCOMPARE(Form9->size(), QSize(694, 464));
    QCOMPARE(Form9->DBNavigator1->geometry(), QRect(0, 0, 694, 25));
    QCOMPARE(Form9->DBGrid1->geometry(), QRect(0, 40, 694, 424));
    QCOMPARE(grid()->font().pixelSize(), 11);
    QCOMPARE(grid()->horizontalHeader()->font().pixelSize(), 11);

    // Five picture buttons in equal shares, without captions or focus.
    for (int b = 0; b < DataNavigator::kButtons; ++b) {
        const QToolButton* button = Form9->DBNavigator1->button(DataNavigator::Button(b));
        QCOMPARE(button->geometry(), QRect(b * 694 / 5, 0, (b + 1) * 694 / 5 - b * 694 / 5, 25));
        QVERIFY(button->text().isEmpty());
        QVERIFY(button->toolTip().isEmpty());
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }

    // The strip between them follows the window's height.
    Form9->resize(694, 564);
    QCOMPARE(Form9->DBNavigator1->geometry(), QRect(0, 0, 694, 25));
    QCOMPARE(Form9->DBGrid1->geometry(), QRect(0, 140, 694, 424));
    Form9->resize(600, 200); // too low for both: the grid never covers the navigator
    QCOMPARE(Form9->DBNavigator1->geometry(), QRect(0, 0, 600, 25));
    QCOMPARE(Form9->DBGrid1->geometry(), QRect(0, 25, 600, 175));

    // The four columns in order; each as wide as its field's values in
    // digits of the grid's font, and at least as wide as its title.
    const QAbstractItemModel* model = grid()->model();
    QCOMPARE(model->columnCount(), 4);
    QStringList titles;
    for (int c = 0; c < 4; ++c)
        titles << model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, QStringList({"ФИО студента", "Дата", "Кол-во вопросов", "Оценка"}));
    const QFontMetrics metrics(grid()->font());
    const int digit = metrics.horizontalAdvance(u'0');
    const int digits[] = {50, 10, 10, 2};
    for (int c = 0; c < 4; ++c) {
        const int width = grid()->columnWidth(c);
        QVERIFY2(width >= digit * digits[c], qPrintable(titles[c]));
        QVERIFY2(width >= metrics.horizontalAdvance(titles[c]), qPrintable(titles[c]));
        QVERIFY2(width < std::max(digit * digits[c], metrics.horizontalAdvance(titles[c])) + 16, qPrintable(titles[c]));
    }
    QVERIFY(grid()->verticalHeader()->isVisible());
    QVERIFY(grid()->horizontalHeader()->isVisible());
    QVERIFY(grid()->showGrid());

    QCOMPARE(shownRows(), QStringList({"Иванова Мария | 14.03.2024 | 11 | B", "Петров Сергей | 15.03.2024 | 11 | C+",
                                       "Сидоров Алексей | 02.04.2024 | 5 | A"}));
    QCOMPARE(grid()->markAt(0), DataGrid::Mark::Current);
    QCOMPARE(grid()->markAt(1), DataGrid::Mark::None);
    // The mark is drawn in the indicator of the current row only.
    QCOMPARE(darkPixelsInIndicator(0) > 0, true);
    QCOMPARE(darkPixelsInIndicator(1), 0);

    // Moving a title or resizing a column changes the screen only.
    grid()->horizontalHeader()->moveSection(0, 3);
    grid()->horizontalHeader()->resizeSection(1, 200);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ФИО студента"));
    QCOMPARE(shownRows()[0], QStringLiteral("Иванова Мария | 14.03.2024 | 11 | B"));
    QCOMPARE(stored(course), storedAsTyped(kThree));
}

void RegisterTest::emptyTable()
{
    CourseFixture course;
    QVERIFY(startWith(course, {}));
    const auto tester = watchModel();

    // The title row and one blank row; nothing to move to or delete.
    QCOMPARE(shownRows(), QStringList{" |  |  | "});
    QCOMPARE(enabledButtons(), QStringLiteral("-----"));
    QCOMPARE(grid()->markAt(0), DataGrid::Mark::None);

    // Ctrl+Del asks nothing; Down and Esc leave nothing behind.
    press(Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(course.platform.boxes.isEmpty());
    press(Qt::Key_Down);
    QCOMPARE(grid()->markAt(0), DataGrid::Mark::Inserting);
    press(Qt::Key_Escape);
    QCOMPARE(grid()->markAt(0), DataGrid::Mark::None);

    // Typing into the blank row starts the first row; leaving it posts it.
    type(QStringLiteral("Орлова Анна"));
    QCOMPARE(grid()->markAt(0), DataGrid::Mark::Inserting);
    press(Qt::Key_Return);
    QVERIFY(!grid()->cellEditor());
    QVERIFY(stored(course).isEmpty());
    press(Qt::Key_Down); // posts, then appends a new row after it
    QCOMPARE(stored(course), QStringList{"Орлова Анна | (absent) | (absent) | (absent)"});
    QCOMPARE(shownRows(), QStringList({"Орлова Анна |  |  | ", " |  |  | "}));
    QCOMPARE(grid()->markAt(1), DataGrid::Mark::Inserting);
    press(Qt::Key_Up); // the untouched new row goes
    QCOMPARE(shownRows(), QStringList{"Орлова Анна |  |  | "});
    QCOMPARE(enabledButtons(), QStringLiteral("----+"));
    QCOMPARE(stored(course).size(), 1);
    QVERIFY(course.platform.boxes.isEmpty());
}

void RegisterTest::closedTable()
{
    // The results table is missing at start-up: tblResult stays closed.
    CourseFixture course;
    QVERIFY(moveToTheEngine(course));
    QVERIFY(execOutside(course, QStringLiteral("ALTER TABLE result RENAME TO result_away")));
    course.start();
    QCOMPARE(course.platform.texts(QStringLiteral("error")).size(), 1);
    course.platform.clear();
    if (theServer) {
        // The teacher's login opens the tables again over the teacher's role:
        // the same failure once more, and the login stands.
        Form3->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
        Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))
            ->setText(QString::fromUtf8(ServerCourse::kTeacherPassword));
        click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
        QCOMPARE(course.platform.texts(QStringLiteral("error")).size(), 1);
        QCOMPARE(course.platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Вы вошли в программу как преподаватель!")});
        course.platform.clear();
    }
    Form9->showAndRaise();
    QVERIFY(QTest::qWaitForWindowActive(Form9));
    grid()->setFocus();

    QCOMPARE(grid()->model()->rowCount(), 0);
    QCOMPARE(grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ФИО студента"));
    QCOMPARE(enabledButtons(), QStringLiteral("-----"));
    for (const int key : {Qt::Key_Down, Qt::Key_Insert, Qt::Key_Escape, Qt::Key_F2, Qt::Key_A})
        press(key);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(grid()->model()->rowCount(), 0);
    QVERIFY(course.platform.boxes.isEmpty());

    // Once the table is there and tblResult opens, the grid shows its rows.
    QVERIFY(execOutside(course, QStringLiteral("ALTER TABLE result_away RENAME TO result")));
    results()->open();
    QCOMPARE(grid()->model()->rowCount(), 41); // the demo course's results
    QCOMPARE(enabledButtons(), QStringLiteral("--+++"));
    QCOMPARE(viewRow(), 0);
}

void RegisterTest::moves_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("buttons");

    QTest::newRow("at the start") << 40 << QStringList{} << 0 << "--+++";
    QTest::newRow("navigator next") << 40 << QStringList{"next"} << 1 << "+++++";
    QTest::newRow("navigator last") << 40 << QStringList{"last"} << 39 << "++--+";
    QTest::newRow("navigator first after last") << 40 << QStringList{"last", "first"} << 0 << "--+++";
    QTest::newRow("navigator prior from the last") << 40 << QStringList{"last", "prior"} << 38 << "+++++";
    QTest::newRow("navigator prior back to the first") << 40 << QStringList{"next", "prior"} << 0 << "--+++";
    QTest::newRow("navigator next to the last") << 2 << QStringList{"next"} << 1 << "++--+";
    QTest::newRow("one row") << 1 << QStringList{} << 0 << "----+";
    QTest::newRow("Down, Down, Up") << 40 << QStringList{"Down", "Down", "Up"} << 1 << "+++++";
    QTest::newRow("Up on the first row") << 40 << QStringList{"Up"} << 0 << "--+++";
    QTest::newRow("Ctrl+End") << 40 << QStringList{"Ctrl+End"} << 39 << "++--+";
    QTest::newRow("Ctrl+Home after Ctrl+End") << 40 << QStringList{"Ctrl+End", "Ctrl+Home"} << 0 << "--+++";
    QTest::newRow("Tab stays on the row") << 40 << QStringList{"Tab", "Tab"} << 0 << "--+++";
    QTest::newRow("click on a cell") << 40 << QStringList{"cell 7"} << 7 << "+++++";
    QTest::newRow("click on the indicator") << 40 << QStringList{"indicator 5"} << 5 << "+++++";
    QTest::newRow("click on the last row") << 3 << QStringList{"cell 2"} << 2 << "++--+";
    QTest::newRow("click below the rows") << 3 << QStringList{"cell 1", "below"} << 1 << "+++++";
}

void RegisterTest::moves()
{
    QFETCH(int, rows);
    QFETCH(QStringList, actions);
    QFETCH(int, current);
    QFETCH(QString, buttons);

    CourseFixture course;
    QVERIFY(startWith(course, numbered(rows)));
    const auto tester = watchModel();

    for (const QString& action : actions) {
        const QString what = action.section(u' ', 0, 0);
        const int row = action.section(u' ', 1, 1).toInt();
        if (what == "first")
            clickButton(DataNavigator::First);
        else if (what == "prior")
            clickButton(DataNavigator::Prior);
        else if (what == "next")
            clickButton(DataNavigator::Next);
        else if (what == "last")
            clickButton(DataNavigator::Last);
        else if (what == "Down")
            press(Qt::Key_Down);
        else if (what == "Up")
            press(Qt::Key_Up);
        else if (what == "Tab")
            press(Qt::Key_Tab);
        else if (what == "Ctrl+End")
            press(Qt::Key_End, Qt::ControlModifier);
        else if (what == "Ctrl+Home")
            press(Qt::Key_Home, Qt::ControlModifier);
        else if (what == "cell")
            clickCell(row, 1);
        else if (what == "indicator")
            clickIndicator(row);
        else if (what == "below")
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(20, grid()->viewport()->height() - 5));
        else
            QFAIL(qPrintable("unknown action " + action));
    }

    QCOMPARE(results()->currentIndex(), current);
    QCOMPARE(viewRow(), current);
    QCOMPARE(enabledButtons(), buttons);
    QCOMPARE(grid()->markAt(current), DataGrid::Mark::Current);
    QCOMPARE(results()->state(), Table::State::Browse);
    QCOMPARE(grid()->model()->rowCount(), rows);
    QVERIFY(course.platform.boxes.isEmpty());
}

void RegisterTest::pageKeys()
{
    CourseFixture course;
    QVERIFY(startWith(course, numbered(100)));

    press(Qt::Key_PageDown);
    const int page = results()->currentIndex();
    QVERIFY2(page > 5 && page < 99, qPrintable(QString::number(page)));
    QCOMPARE(viewRow(), page);
    press(Qt::Key_PageDown);
    QVERIFY(results()->currentIndex() > page);
    QCOMPARE(viewRow(), results()->currentIndex());
    press(Qt::Key_PageUp);
    press(Qt::Key_PageUp);
    QCOMPARE(results()->currentIndex(), 0);
    QCOMPARE(viewRow(), 0);

    // The current row is on screen after a jump to the end.
    press(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(results()->currentIndex(), 99);
    QVERIFY(grid()->viewport()->rect().contains(grid()->visualRect(grid()->currentIndex())));
}

void RegisterTest::deleteAsks_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("current");

    const QStringList all{"Студент 1", "Студент 2", "Студент 3", "Студент 4"};
    QTest::newRow("navigator, Cancel") << "navigator" << 1 << false << all << 1;
    QTest::newRow("navigator, OK on a middle row")
        << "navigator" << 1 << true << QStringList{"Студент 1", "Студент 3", "Студент 4"} << 1;
    QTest::newRow("navigator, OK on the last row")
        << "navigator" << 3 << true << QStringList{"Студент 1", "Студент 2", "Студент 3"} << 2;
    QTest::newRow("navigator, OK on the first row")
        << "navigator" << 0 << true << QStringList{"Студент 2", "Студент 3", "Студент 4"} << 0;
    QTest::newRow("Ctrl+Del, Cancel") << "Ctrl+Del" << 2 << false << all << 2;
    QTest::newRow("Ctrl+Del, OK") << "Ctrl+Del" << 2 << true << QStringList{"Студент 1", "Студент 2", "Студент 4"} << 2;
}

void RegisterTest::deleteAsks()
{
    QFETCH(QString, how);
    QFETCH(int, row);
    QFETCH(bool, answer);
    QFETCH(QStringList, left);
    QFETCH(int, current);

    CourseFixture course;
    QVERIFY(startWith(course, numbered(4)));
    const auto tester = watchModel();
    clickCell(row, 0);
    QCOMPARE(results()->currentIndex(), row);

    course.platform.answers << answer;
    if (how == "navigator")
        clickButton(DataNavigator::Delete);
    else
        press(Qt::Key_Delete, Qt::ControlModifier);

    QCOMPARE(course.platform.boxes.size(), 1);
    QCOMPARE(course.platform.boxes[0].kind, QStringLiteral("confirm"));
    QCOMPARE(course.platform.boxes[0].caption, QStringLiteral("Confirm"));
    QCOMPARE(course.platform.boxes[0].text, QStringLiteral("Delete record?"));
    QCOMPARE(course.platform.verifyDone(), QString());

    QStringList names;
    for (const QString& line : stored(course))
        names << line.section(QStringLiteral(" | "), 0, 0);
    QCOMPARE(names, left);
    QStringList shownNames;
    for (const QString& line : shownRows())
        shownNames << line.section(QStringLiteral(" | "), 0, 0);
    QCOMPARE(shownNames, left);
    QCOMPARE(results()->currentIndex(), current);
    QCOMPARE(viewRow(), current);
    QCOMPARE(grid()->markAt(current), DataGrid::Mark::Current);
}

void RegisterTest::deletingTheOnlyRowLeavesTheBlankRow()
{
    CourseFixture course;
    QVERIFY(startWith(course, numbered(1)));
    const auto tester = watchModel();

    course.platform.answers << true;
    clickButton(DataNavigator::Delete);
    QVERIFY(stored(course).isEmpty());
    QCOMPARE(shownRows(), QStringList{" |  |  | "});
    QCOMPARE(enabledButtons(), QStringLiteral("-----"));
    QCOMPARE(grid()->markAt(0), DataGrid::Mark::None);
}

void RegisterTest::editedCellIsPostedOnRowChange()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    const auto tester = watchModel();

    // F2 opens the name of the second row; Enter keeps the new text in the row.
    clickCell(1, 0);
    press(Qt::Key_F2);
    QVERIFY(grid()->cellEditor());
    QCOMPARE(grid()->cellEditor()->text(), QStringLiteral("Петров Сергей"));
    QCOMPARE(results()->state(), Table::State::Browse); // opening alone changes nothing
    grid()->cellEditor()->selectAll();
    type(QStringLiteral("Петрова Светлана"));
    QCOMPARE(grid()->markAt(1), DataGrid::Mark::Editing);
    press(Qt::Key_Return);
    QVERIFY(!grid()->cellEditor());
    QCOMPARE(results()->state(), Table::State::Edit);
    QCOMPARE(shownRows()[1], QStringLiteral("Петрова Светлана | 15.03.2024 | 11 | C+"));
    QCOMPARE(stored(course), storedAsTyped(kThree)); // not yet written

    // Tab to the date, typing replaces it; leaving the row posts both.
    press(Qt::Key_Tab);
    QCOMPARE(results()->state(), Table::State::Edit);
    type(QStringLiteral("1.9.2024"));
    press(Qt::Key_Return);
    QCOMPARE(shownRows()[1], QStringLiteral("Петрова Светлана | 01.09.2024 | 11 | C+"));
    press(Qt::Key_Up);
    QCOMPARE(results()->state(), Table::State::Browse);
    QCOMPARE(results()->currentIndex(), 0);
    QCOMPARE(grid()->markAt(0), DataGrid::Mark::Current);
    QCOMPARE(stored(course),
             QStringList({"Иванова Мария | 2024-03-14 | 11 | B", "Петрова Светлана | 2024-09-01 | 11 | C+",
                          "Сидоров Алексей | 2024-04-02 | 5 | A"}));

    // An open cell left for another row goes into the row, which is posted:
    // here through the navigator.
    clickCell(0, 0);
    type(QStringLiteral("Иванова М. И."));
    QVERIFY(grid()->cellEditor());
    clickButton(DataNavigator::Last);
    QVERIFY(!grid()->cellEditor());
    QCOMPARE(results()->currentIndex(), 2);
    QCOMPARE(stored(course)[0], QStringLiteral("Иванова М. И. | 2024-03-14 | 11 | B"));

    // F2 and Enter without typing write nothing.
    press(Qt::Key_F2);
    press(Qt::Key_Return);
    QCOMPARE(results()->state(), Table::State::Browse);
    QVERIFY(course.platform.boxes.isEmpty());
}

void RegisterTest::modifierKeysLeaveTheCellOpen_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("value"); // as stored

    QTest::newRow("Latin capitals with Shift") << 0 << "Petrov Sergey McKay" << "Petrov Sergey McKay";
    QTest::newRow("grade with a plus") << 3 << "C+" << "C+";
    QTest::newRow("Cyrillic capitals with Shift") << 0 << "Петров-Водкин Кузьма" << "Петров-Водкин Кузьма";
    QTest::newRow("Ctrl+A in the cell, then a name") << 0 << "{F2}{Ctrl+A}орлов" << "орлов";
    QTest::newRow("Caps Lock on and off") << 0 << "{Caps}IVANOV{Caps} ivan{Caps}oV" << "IVANOV ivanoV";
    QTest::newRow("Alt alone") << 0 << "ива{Alt}нов" << "иванов";
    QTest::newRow("accent from a dead key") << 0 << "Ren{Acute}é Clair" << "René Clair";
}

void RegisterTest::modifierKeysLeaveTheCellOpen()
{
    QFETCH(int, column);
    QFETCH(QString, keys);
    QFETCH(QString, value);
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    clickCell(1, column);

    // One cell opened for the whole text, and it holds all of it.
    QCOMPARE(typeKeys(keys), 1);
    QVERIFY(grid()->cellEditor());
    QCOMPARE(grid()->cellEditor()->text(), value);
    press(Qt::Key_Return);
    press(Qt::Key_Up);
    QCOMPARE(stored(course)[1].section(QStringLiteral(" | "), column, column), value);
    QVERIFY(course.platform.boxes.isEmpty());
}

void RegisterTest::escapeOnceThenTwice()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    const auto tester = watchModel();
    clickCell(1, 2);

    // Once: the cell's text goes, the row's earlier change stays.
    type(QStringLiteral("12"));
    press(Qt::Key_Return);
    type(QStringLiteral("99"));
    QCOMPARE(grid()->cellEditor()->text(), QStringLiteral("99"));
    press(Qt::Key_Escape);
    QVERIFY(!grid()->cellEditor());
    QCOMPARE(shownRows()[1], QStringLiteral("Петров Сергей | 15.03.2024 | 12 | C+"));
    QCOMPARE(grid()->markAt(1), DataGrid::Mark::Editing);

    // Twice: the row's changes go.
    press(Qt::Key_Escape);
    QCOMPARE(shownRows()[1], QStringLiteral("Петров Сергей | 15.03.2024 | 11 | C+"));
    QCOMPARE(results()->state(), Table::State::Browse);
    QCOMPARE(grid()->markAt(1), DataGrid::Mark::Current);

    press(Qt::Key_Down);
    QCOMPARE(results()->currentIndex(), 2);
    QCOMPARE(stored(course), storedAsTyped(kThree));
    QVERIFY(course.platform.boxes.isEmpty());
}

void RegisterTest::insertAndAppendLeftUntouchedAreNotWritten()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    const auto tester = watchModel();

    // Ins: an empty row before the current one.
    clickCell(2, 0);
    press(Qt::Key_Insert);
    QCOMPARE(grid()->model()->rowCount(), 4);
    QCOMPARE(shownRows()[2], QStringLiteral(" |  |  | "));
    QCOMPARE(shownRows()[3], QStringLiteral("Сидоров Алексей | 02.04.2024 | 5 | A"));
    QCOMPARE(viewRow(), 2);
    QCOMPARE(grid()->markAt(2), DataGrid::Mark::Inserting);
    press(Qt::Key_Up); // leaving it untouched discards it
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(results()->currentIndex(), 1);
    QCOMPARE(viewRow(), 1);

    // Down on the last row: an empty row after it; Down again adds no other.
    clickCell(2, 0);
    press(Qt::Key_Down);
    QCOMPARE(grid()->model()->rowCount(), 4);
    QCOMPARE(viewRow(), 3);
    QCOMPARE(grid()->markAt(3), DataGrid::Mark::Inserting);
    QCOMPARE(enabledButtons(), QStringLiteral("++--+"));
    press(Qt::Key_Down);
    QCOMPARE(grid()->model()->rowCount(), 4);
    press(Qt::Key_Up);
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(results()->currentIndex(), 2);
    QCOMPARE(viewRow(), 2);

    // Ins, then the navigator: the untouched row goes as well.
    press(Qt::Key_Insert);
    clickButton(DataNavigator::First);
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(results()->currentIndex(), 0);

    // Esc on a new row discards it.
    press(Qt::Key_Insert);
    type(QStringLiteral("x"));
    press(Qt::Key_Escape);
    QCOMPARE(grid()->model()->rowCount(), 4);
    press(Qt::Key_Escape);
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(viewRow(), 0);

    QCOMPARE(results()->state(), Table::State::Browse);
    QCOMPARE(stored(course), storedAsTyped(kThree));
    QVERIFY(course.platform.boxes.isEmpty());
}

void RegisterTest::newRowWithValuesIsPostedAtTheEnd()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    const auto tester = watchModel();

    // A row inserted before the second one, given a name and a grade, moves
    // to the end once posted; the row moved to becomes current.
    clickCell(1, 0);
    press(Qt::Key_Insert);
    type(QStringLiteral("Новиков Олег"));
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    type(QStringLiteral("A-"));
    press(Qt::Key_Return);
    QCOMPARE(stored(course), storedAsTyped(kThree));
    press(Qt::Key_Down);
    QCOMPARE(stored(course), storedAsTyped(kThree) << "Новиков Олег | (absent) | (absent) | A-");
    QCOMPARE(shownRows(), QStringList({"Иванова Мария | 14.03.2024 | 11 | B", "Петров Сергей | 15.03.2024 | 11 | C+",
                                       "Сидоров Алексей | 02.04.2024 | 5 | A", "Новиков Олег |  |  | A-"}));
    QCOMPARE(results()->currentIndex(), 1);
    QCOMPARE(viewRow(), 1);

    // Down on the last row with a typed new row posts it and appends another.
    press(Qt::Key_End, Qt::ControlModifier);
    press(Qt::Key_Down);
    press(Qt::Key_Home); // to the first column
    type(QStringLiteral("Белова Ирина"));
    press(Qt::Key_Down);
    QCOMPARE(stored(course).size(), 5);
    QCOMPARE(stored(course)[4], QStringLiteral("Белова Ирина | (absent) | (absent) | (absent)"));
    QCOMPARE(grid()->model()->rowCount(), 6);
    QCOMPARE(grid()->markAt(5), DataGrid::Mark::Inserting);
    press(Qt::Key_Up);
    QCOMPARE(grid()->model()->rowCount(), 5);
    QCOMPARE(viewRow(), 4);
    QVERIFY(course.platform.boxes.isEmpty());
}

void RegisterTest::focusLeavingTheGridDiscardsAnUntouchedNewRow()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    const auto tester = watchModel();
    auto* other = new QLineEdit(Form9); // another control of the window
    other->setGeometry(0, 27, 100, 12);
    other->show();

    press(Qt::Key_End, Qt::ControlModifier);
    press(Qt::Key_Down);
    QCOMPARE(grid()->model()->rowCount(), 4);
    other->setFocus();
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(results()->state(), Table::State::Browse);

    // A new row with a value stays pending when the focus leaves.
    grid()->setFocus();
    press(Qt::Key_Insert);
    type(QStringLiteral("Зайцев"));
    other->setFocus();
    QVERIFY(!grid()->cellEditor());
    QCOMPARE(results()->state(), Table::State::Insert);
    QCOMPARE(shownRows()[2], QStringLiteral("Зайцев |  |  | "));
    QCOMPARE(stored(course), storedAsTyped(kThree));
    delete other;
}

void RegisterTest::invalidDateIsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("no such day") << "31.02.2024";
    QTest::newRow("words") << "вчера";
    QTest::newRow("month and year only") << "03.2024";
}

void RegisterTest::invalidDateIsRefused()
{
    QFETCH(QString, typed);
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    const auto tester = watchModel();
    clickCell(0, 1);

    type(typed);
    press(Qt::Key_Return);
    const QString error = QStringLiteral("'%1' is not a valid date.").arg(typed);
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList{error});
    QCOMPARE(course.platform.boxes[0].caption, QStringLiteral("Норвена"));
    // The cell stays open with the text; the row is as it was.
    QVERIFY(grid()->cellEditor());
    QCOMPARE(grid()->cellEditor()->text(), typed);
    QCOMPARE(shownRows()[0], QStringLiteral("Иванова Мария | 14.03.2024 | 11 | B"));

    // Leaving the row tries the text again and stays.
    press(Qt::Key_Down);
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList({error, error}));
    QCOMPARE(results()->currentIndex(), 0);
    QCOMPARE(viewRow(), 0);
    clickButton(DataNavigator::Next);
    QCOMPARE(course.platform.texts(QStringLiteral("error")).size(), 3);
    QCOMPARE(results()->currentIndex(), 0);
    clickCell(2, 0);
    QCOMPARE(course.platform.texts(QStringLiteral("error")).size(), 4);
    QCOMPARE(results()->currentIndex(), 0);
    QCOMPARE(viewRow(), 0);
    QCOMPARE(grid()->cellEditor()->text(), typed);
    QVERIFY(grid()->cellEditor()->hasFocus());

    // Esc abandons the text; the row can be left and nothing was written.
    press(Qt::Key_Escape);
    QVERIFY(!grid()->cellEditor());
    press(Qt::Key_Down);
    QCOMPARE(results()->currentIndex(), 1);
    QCOMPARE(results()->state(), Table::State::Browse);
    QCOMPARE(stored(course), storedAsTyped(kThree));
    QCOMPARE(course.platform.boxes.size(), 4);
}

void RegisterTest::refusedPostStaysPending()
{
    // A results table that refuses a row without a name.
    CourseFixture course;
    QVERIFY(startWith(course, kThree, Rule::NameRequired));
    const auto tester = watchModel();
    clickCell(1, 0);
    press(Qt::Key_F2);
    grid()->cellEditor()->selectAll();
    press(Qt::Key_Backspace);
    press(Qt::Key_Return);
    QCOMPARE(shownRows()[1], QStringLiteral(" | 15.03.2024 | 11 | C+"));

    press(Qt::Key_Down);
    const QStringList errors = course.platform.texts(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    // The engine's own words: the file's, or the server's.
    const QString refusal = theServer ? QStringLiteral("violates check constraint \"result_named\"")
                                      : QStringLiteral("CHECK constraint failed");
    QVERIFY2(errors[0].contains(refusal), qPrintable(errors[0]));
    QVERIFY(!errors[0].startsWith(QStringLiteral("tblResult")));
    // The row stays as it was in the window: pending, current, marked.
    QCOMPARE(results()->state(), Table::State::Edit);
    QCOMPARE(results()->currentIndex(), 1);
    QCOMPARE(viewRow(), 1);
    QCOMPARE(grid()->markAt(1), DataGrid::Mark::Editing);
    QCOMPARE(shownRows()[1], QStringLiteral(" | 15.03.2024 | 11 | C+"));
    QCOMPARE(stored(course), storedAsTyped(kThree));

    // The navigator tries again, with the same answer.
    clickButton(DataNavigator::First);
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList({errors[0], errors[0]}));
    QCOMPARE(results()->currentIndex(), 1);

    // Esc twice abandons the change; then the row can be left.
    press(Qt::Key_Escape);
    QCOMPARE(shownRows()[1], QStringLiteral("Петров Сергей | 15.03.2024 | 11 | C+"));
    press(Qt::Key_Down);
    QCOMPARE(results()->currentIndex(), 2);
    QCOMPARE(stored(course), storedAsTyped(kThree));
}

void RegisterTest::refusedDeleteKeepsTheRow()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    // A database that keeps its results: every delete is refused.
    if (theServer) {
        QVERIFY(execOutside(course, QStringLiteral("CREATE FUNCTION keep_results() RETURNS trigger LANGUAGE plpgsql "
                                                   "AS $$ BEGIN RAISE EXCEPTION 'results are kept'; END $$")));
        QVERIFY(execOutside(course, QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON result FOR EACH ROW "
                                                   "EXECUTE FUNCTION keep_results()")));
    } else {
        QVERIFY(execOutside(course, QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON result BEGIN "
                                                   "SELECT RAISE(ABORT, 'results are kept'); END")));
    }
    const auto tester = watchModel();
    clickCell(1, 0);

    course.platform.answers << true;
    clickButton(DataNavigator::Delete);
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList{"results are kept."});
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(shownRows()[1], QStringLiteral("Петров Сергей | 15.03.2024 | 11 | C+"));
    QCOMPARE(results()->currentIndex(), 1);
    QCOMPARE(viewRow(), 1);
    QCOMPARE(stored(course), storedAsTyped(kThree));
}

void RegisterTest::onlyThisProgramsRowsAreShown()
{
    CourseFixture course;
    QVERIFY(startWith(course, kThree));
    const auto tester = watchModel();
    clickCell(1, 0);

    // Another program's row is not seen.
    QVERIFY(execOutside(course, QStringLiteral("INSERT INTO result (fio, data, kol, ocenka) "
                                               "VALUES ('Чужой', '2024-05-01', '3', 'F')")));
    QCOMPARE(grid()->model()->rowCount(), 3);

    // A result graded in this program is: the grading adds it to tblResult
    // while the register is open (a new row, posted).
    Table* t = results();
    t->insert();
    t->setValue(QStringLiteral("fio"), QStringLiteral("Кузнецов"));
    t->setValue(QStringLiteral("data"), QDate(2024, 5, 2));
    t->setValue(QStringLiteral("kol"), QStringLiteral("4"));
    t->setValue(QStringLiteral("ocenka"), QStringLiteral("B-"));
    QCOMPARE(shownRows()[1], QStringLiteral("Кузнецов | 02.05.2024 | 4 | B-"));
    t->post();
    QCOMPARE(grid()->model()->rowCount(), 4);
    QCOMPARE(shownRows()[3], QStringLiteral("Кузнецов | 02.05.2024 | 4 | B-"));
    QCOMPARE(viewRow(), 3);
    QCOMPARE(grid()->markAt(3), DataGrid::Mark::Current);

    // Hidden and shown again, the grid is where it was left.
    Form9->hide();
    Form9->showAndRaise();
    QCOMPARE(viewRow(), 3);
    QCOMPARE(grid()->model()->rowCount(), 4);
}

QTEST_MAIN(RegisterTest)
#include "tst_register.moc"
