// The program's real HTML view: the browser engine lies in the module beside
// the program file and is loaded only after the first navigation, once the
// view's window is on screen; a module that cannot be used is an error,
// never a crash. The functions run in order: the engine is not loaded until
// the last one.

#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "forms/Globals.h"
#include "forms/Unit2.h"
#include "platform/Error.h"
#include "platform/Platform.h"
#include "platform/RealPlatform.h"

#include <QFile>
#include <QLibraryInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

bool engineLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

// Notes whether the engine was loaded when a widget was first painted.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;
    bool engineWasLoaded = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            engineWasLoaded = engineLoaded();
        }
        return false;
    }
};

void writePage(const QString& path, const QString& title)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                              "<body><p>Текст лекции</p></body></html>")
                   .arg(title)
                   .toUtf8());
}

} // namespace

class TestHtmlViewModule : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void viewsAreMadeWithoutTheEngine();
    void unusableModuleIsAnError_data();
    void unusableModuleIsAnError();
    void viewerAppearsAtOnceAndThePageFollows();

private:
    QTemporaryDir m_dir;
};

void TestHtmlViewModule::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(!engineLoaded(), "the test program itself brings the browser engine");
}

void TestHtmlViewModule::viewsAreMadeWithoutTheEngine()
{
    TestPlatform platform;
    platform.realHtmlViews = true;
    QWidget window;
    HtmlView* view = Platform::createHtmlView(&window);
    QVERIFY(qobject_cast<WebHtmlView*>(view));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(view->location().isEmpty());
    QVERIFY(!engineLoaded());
}

void TestHtmlViewModule::unusableModuleIsAnError_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("atOnce"); // thrown by the navigation itself

    const QString missing = m_dir.filePath(QStringLiteral("libnorvena_webview.so"));
    QTest::newRow("missing") << missing << missing + QStringLiteral(" not found") << true;

    const QString text = m_dir.filePath(QStringLiteral("text.so"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a library\n");
    file.close();
    QTest::newRow("not a library") << text << text << false;

    // A library that is not the module: it has no view factory.
    QTest::newRow("no factory") << QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6")
                                << QStringLiteral("norvena_create_web_view") << false;
}

void TestHtmlViewModule::unusableModuleIsAnError()
{
    QFETCH(QString, module);
    QFETCH(QString, reason);
    QFETCH(bool, atOnce);
    TestPlatform platform;
    QWidget window;
    WebHtmlView view(&window, module);
    window.show();
    // The module is tried again at the next navigation, and fails the same way.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString message;
        try {
            view.navigate(QStringLiteral("/a.htm"));
        } catch (const Error& e) {
            message = e.message();
        }
        QCOMPARE(message.isEmpty(), !atOnce);
        if (!atOnce) {
            QVERIFY(view.starting());
            QTRY_VERIFY(!view.starting());
            QCOMPARE(platform.boxes.size(), 1);
            message = platform.boxes.takeFirst().text;
        }
        QVERIFY2(message.startsWith(QStringLiteral("The HTML view cannot be started: ")), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
    }
    QVERIFY(view.location().isEmpty());
    QVERIFY(view.findChildren<QWidget*>().isEmpty());
    QVERIFY(!engineLoaded());
}

// The first document: the viewer comes up at once under its caption, without
// the engine, which is loaded once the viewer is on screen; the page follows.
// A second document opened meanwhile starts no second engine: the view shows
// the later page.
void TestHtmlViewModule::viewerAppearsAtOnceAndThePageFollows()
{
    CourseFixture course;
    course.platform.realHtmlViews = true;
    course.start();
    auto* view = qobject_cast<WebHtmlView*>(Form2->WebBrowser1);
    QVERIFY(view);
    FirstPaint firstPaint(view);
    QSignalSpy started(view, &WebHtmlView::started);

    const QString first = m_dir.filePath(QStringLiteral("первая страница.htm"));
    const QString second = m_dir.filePath(QStringLiteral("страница с пробелом.htm"));
    writePage(first, QStringLiteral("Лекция 1"));
    writePage(second, QStringLiteral("Лекция 2"));

    Form2->OpenDocument(first, QStringLiteral("Лекция 1"));
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Лекция 1"));
    QVERIFY(!engineLoaded());
    QCOMPARE(view->location(), first);
    Form2->OpenDocument(second, QStringLiteral("Лекция 2"));
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Лекция 2"));
    QVERIFY(!engineLoaded());

    QTRY_VERIFY_WITH_TIMEOUT(started.count() == 1, 30000);
    QVERIFY(firstPaint.painted);
    QVERIFY(!firstPaint.engineWasLoaded); // the viewer was on screen before the engine came
    QVERIFY(engineLoaded());
    QCOMPARE(view->location(), second);
    // One engine view, filling the HTML view, showing the later page, found
    // by its plain path with Cyrillic letters and a space.
    const QList<QWidget*> children = view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), 1);
    QWidget* engineView = children.first();
    QCOMPARE(engineView->geometry(), view->rect());
    QTRY_COMPARE_WITH_TIMEOUT(engineView->property("title").toString(), QStringLiteral("Лекция 2"), 30000);

    // Later documents go to the engine at once.
    Form2->OpenDocument(first, QStringLiteral("Лекция 1"));
    QCOMPARE(view->location(), first);
    QTRY_COMPARE_WITH_TIMEOUT(engineView->property("title").toString(), QStringLiteral("Лекция 1"), 30000);
    QCOMPARE(view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 1);
    QCOMPARE(started.count(), 1);
    QVERIFY(course.platform.boxes.isEmpty());
}

QTEST_MAIN(TestHtmlViewModule)
#include "tst_htmlview.moc"
