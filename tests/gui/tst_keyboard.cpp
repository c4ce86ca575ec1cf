// The program by keyboard alone: Tab and Shift+Tab move through every
// window's controls, the multi-line edits included.

#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "app/Unit3.h"
#include "forms/Unit1.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"

#include <QApplication>
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
