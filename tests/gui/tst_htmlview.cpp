// The program's real HTML view: the browser engine lies in the module beside
// the program file and is loaded only by the first navigation; a module that
// cannot be used is an error, never a crash. The functions run in order: the
// engine is not loaded until the last one.

#include "platform/Error.h"
#include "platform/Platform.h"
#include "platform/RealPlatform.h"

#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool engineLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

} // namespace

class TestHtmlViewModule : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void viewsAreMadeWithoutTheEngine();
    void unusableModuleIsAnError_data();
    void unusableModuleIsAnError();
    void firstNavigationLoadsTheEngine();

private:
    QTemporaryDir m_dir;
};

void TestHtmlViewModule::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(!engineLoaded(), "the test program itself brings the browser engine");
    Platform::installReal();
}

void TestHtmlViewModule::viewsAreMadeWithoutTheEngine()
{
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

    const QString missing = m_dir.filePath(QStringLiteral("libnorvena_webview.so"));
    QTest::newRow("missing") << missing << missing + QStringLiteral(" not found");

    const QString text = m_dir.filePath(QStringLiteral("text.so"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a library\n");
    file.close();
    QTest::newRow("not a library") << text << text;

    // A library that is not the module: it has no view factory.
    QTest::newRow("no factory") << QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6")
                                << QStringLiteral("norvena_create_web_view");
}

void TestHtmlViewModule::unusableModuleIsAnError()
{
    QFETCH(QString, module);
    QFETCH(QString, reason);
    QWidget window;
    WebHtmlView view(&window, module);
    // The module is tried again at the next navigation, and fails the same way.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool thrown = false;
        try {
            view.navigate(QStringLiteral("/a.htm"));
        } catch (const Error& e) {
            thrown = true;
            QVERIFY2(e.message().startsWith(QStringLiteral("The HTML view cannot be started: ")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QVERIFY(thrown);
    }
    QVERIFY(view.location().isEmpty());
    QVERIFY(view.findChildren<QWidget*>().isEmpty());
    QVERIFY(!engineLoaded());
}

void TestHtmlViewModule::firstNavigationLoadsTheEngine()
{
    const QString page = m_dir.filePath(QStringLiteral("страница с пробелом.htm"));
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Лекция 1</title></head>"
                              "<body><p>Текст лекции</p></body></html>")
                   .toUtf8());
    file.close();

    QWidget window;
    window.resize(400, 300);
    HtmlView* view = Platform::createHtmlView(&window);
    view->setGeometry(window.rect());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    view->navigate(page);
    QVERIFY(engineLoaded());
    QCOMPARE(view->location(), page);
    // The engine's view fills the HTML view and shows the page, found by its
    // plain path with Cyrillic letters and a space.
    const QList<QWidget*> children = view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), 1);
    QWidget* engineView = children.first();
    QCOMPARE(engineView->geometry(), view->rect());
    QTRY_COMPARE_WITH_TIMEOUT(engineView->property("title").toString(), QStringLiteral("Лекция 1"), 30000);
}

QTEST_MAIN(TestHtmlViewModule)
#include "tst_htmlview.moc"
