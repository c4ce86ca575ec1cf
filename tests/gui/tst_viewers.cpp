// The document viewer and the user-guide viewer.

#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "forms/Globals.h"
#include "forms/Unit2.h"
#include "forms/Unit5.h"
#include "platform/Error.h"
#include "platform/ErrorReport.h"
#include "platform/RealPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPrintDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

TestHtmlView* viewOf(HtmlView* view) { return qobject_cast<TestHtmlView*>(view); }

int visibleDocumentViewers()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<TForm2*>(w) && w->isVisible();
    return count;
}

// A view whose navigate call itself fails.
class FailingView : public HtmlView {
public:
    using HtmlView::HtmlView;
    void navigate(const QString&) override { throw Error(QStringLiteral("Navigation failed")); }
    QString location() const override { return {}; }
};

} // namespace

class TestViewers : public QObject {
    Q_OBJECT

private slots:
    void openDocumentReplacesDocumentAndCaption();
    void firstDocumentMakesViewFillWindow();
    void printShowsDialogAndPrintsNothing();
    void printDialogOffersAllPagesOnly();
    void failedNavigationKeepsCaption();
    void closingViewerHidesIt();
    void userGuideViewFillsWindow();
};

void TestViewers::openDocumentReplacesDocumentAndCaption()
{
    CourseFixture course;
    course.start();
    auto* view = viewOf(Form2->WebBrowser1);
    QVERIFY(view);
    QVERIFY(!Form2->isVisible());

    // Paths are passed on as they are: Cyrillic letters, spaces, no encoding.
    const QString plans = HomeDir + QStringLiteral("/умкд/Планы практических занятий.htm");
    Form2->OpenDocument(plans, QStringLiteral("Планы практических занятий"));
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Планы практических занятий"));

    // A second document and a file that does not exist: same window, new
    // caption, nothing reported.
    const QString missing = HomeDir + QStringLiteral("/нет такого файла.htm");
    Form2->OpenDocument(missing, QStringLiteral("нет такого файла.htm"));
    QCOMPARE(view->navigations, (QStringList{plans, missing}));
    QCOMPARE(Form2->windowTitle(), QStringLiteral("нет такого файла.htm"));
    QCOMPARE(visibleDocumentViewers(), 1);
    QVERIFY(course.platform.boxes.isEmpty());
}

void TestViewers::firstDocumentMakesViewFillWindow()
{
    CourseFixture course;
    course.start();
    QCOMPARE(Form2->size(), QSize(846 - 8, 563 - 34));
    QCOMPARE(Form2->WebBrowser1->geometry(), QRect(16, 56, 745, 150));

    Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/Лекция1.htm"), QStringLiteral("Лекция 1"));
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
    QCOMPARE(Form2->WebBrowser1->geometry(), Form2->rect());
    QVERIFY(Form2->WebBrowser1->isVisible());

    // "Печать" stays above the document, where a click reaches it.
    QCOMPARE(Form2->childAt(Form2->Button1->geometry().center()), Form2->Button1);
    click(Form2->Button1);
    QCOMPARE(course.platform.printDialogsShown, 1);

    // It follows the window's size from then on, also while the viewer is hidden.
    Form2->resize(600, 420);
    QTRY_COMPARE(Form2->WebBrowser1->geometry(), QRect(0, 0, 600, 420));
    Form2->hide();
    Form2->resize(700, 500);
    Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/Лекция2.htm"), QStringLiteral("Лекция 2"));
    QTRY_COMPARE(Form2->WebBrowser1->geometry(), QRect(0, 0, 700, 500));
}

void TestViewers::printShowsDialogAndPrintsNothing()
{
    CourseFixture course;
    course.start();
    const QString lecture = HomeDir + QStringLiteral("/умкд/Лекция1.htm");
    Form2->OpenDocument(lecture, QStringLiteral("Лекция 1"));
    QVERIFY(QTest::qWaitForWindowExposed(Form2));

    // Confirmed, then cancelled: the dialog is shown each time and nothing
    // else happens: no box, the same document and caption.
    course.platform.printAnswers = {true, false};
    click(Form2->Button1);
    click(Form2->Button1);
    QCOMPARE(course.platform.printDialogsShown, 2);
    QVERIFY(course.platform.printAnswers.isEmpty());
    QVERIFY(course.platform.boxes.isEmpty());
    QCOMPARE(viewOf(Form2->WebBrowser1)->navigations, QStringList{lecture});
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Лекция 1"));
    QVERIFY(Form2->isVisible());
}

// The platform's own print dialog, as the program shows it: of the page
// range only "Print all" is offered.
void TestViewers::printDialogOffersAllPagesOnly()
{
    QWidget owner;
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            seen << QStringLiteral("no print dialog");
            return;
        }
        const auto state = [dialog](const char* name) {
            auto* control = dialog->findChild<QWidget*>(QLatin1String(name));
            if (!control)
                return QStringLiteral("%1 missing").arg(QLatin1String(name));
            auto* button = qobject_cast<QAbstractButton*>(control);
            return QStringLiteral("%1%2%3").arg(QLatin1String(name),
                                                control->isEnabled() ? QString() : QStringLiteral(" disabled"),
                                                button && button->isChecked() ? QStringLiteral(" checked") : QString());
        };
        for (const char* name : {"printAll", "printRange", "pagesRadioButton", "pagesLineEdit", "from", "to"})
            seen << state(name);
        dialog->reject();
    });
    RealPrintDialogs().execute(&owner);
    QCOMPARE(seen, (QStringList{"printAll checked", "printRange disabled", "pagesRadioButton disabled",
                                "pagesLineEdit disabled", "from disabled", "to disabled"}));
}

void TestViewers::failedNavigationKeepsCaption()
{
    CourseFixture course;
    course.start();
    Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/Лекция1.htm"), QStringLiteral("Лекция 1"));

    delete Form2->WebBrowser1;
    Form2->WebBrowser1 = new FailingView(Form2);
    ErrorReport::run([] { Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/Лекция2.htm"), QStringLiteral("Лекция 2")); });

    // The error is reported and the steps after navigating are skipped.
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList{QStringLiteral("Navigation failed.")});
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Лекция 1"));
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->WebBrowser1->geometry(), Form2->rect());
}

void TestViewers::closingViewerHidesIt()
{
    CourseFixture course;
    course.start();
    Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/Лекция1.htm"), QStringLiteral("Лекция 1"));
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
    Form2->resize(640, 480);

    QVERIFY(Form2->close());
    QVERIFY(!Form2->isVisible());
    QVERIFY(course.platform.quitCodes.isEmpty()); // the program goes on

    // Opened again: at its last size, with its document and caption replaced.
    Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/Лекция2.htm"), QStringLiteral("Лекция 2"));
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->size(), QSize(640, 480));
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Лекция 2"));

    Form5->OpenUserGuide(QStringLiteral("/no/guide.htm"));
    QVERIFY(Form5->close());
    QVERIFY(!Form5->isVisible());
    QVERIFY(course.platform.quitCodes.isEmpty());
}

void TestViewers::userGuideViewFillsWindow()
{
    CourseFixture course;
    course.start();
    QCOMPARE(Form5->size(), QSize(868 - 8, 517 - 34));
    QCOMPARE(Form5->WebBrowser1->geometry(), QRect(0, 0, 860, 483));

    const QString guide = QStringLiteral("/opt/норвена/руководство пользователя.htm");
    Form5->OpenUserGuide(guide);
    QVERIFY(QTest::qWaitForWindowExposed(Form5));
    QCOMPARE(Form5->windowTitle(), QStringLiteral("Руководство пользователя"));
    QCOMPARE(viewOf(Form5->WebBrowser1)->navigations, QStringList{guide});
    Form5->resize(500, 300);
    QTRY_COMPARE(Form5->WebBrowser1->geometry(), QRect(0, 0, 500, 300));
}

QTEST_MAIN(TestViewers)
#include "tst_viewers.moc"
