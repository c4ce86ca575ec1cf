#include "platform/RealPlatform.h"

#include "platform/Error.h"
#include "platform/ErrorReport.h"
#include "platform/ProgramFiles.h"
#include "platform/webview/WebViewModule.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>

namespace {

// One modal box with the given buttons; returns the button pressed (or null
// when the box was closed otherwise).
QAbstractButton* runBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
                        const QStringList& buttons, QAbstractButton** escape = nullptr)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    QAbstractButton* first = nullptr;
    QAbstractButton* last = nullptr;
    for (const QString& label : buttons) {
        QAbstractButton* button = box.addButton(label, QMessageBox::AcceptRole);
        if (!first)
            first = button;
        last = button;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(first));
    box.setEscapeButton(last);
    if (escape)
        *escape = last;
    box.exec();
    return box.clickedButton();
}

} // namespace

void RealMessageBoxes::notice(QWidget* parent, const QString& text)
{
    runBox(parent, QMessageBox::NoIcon, Platform::applicationTitle(), text, {QStringLiteral("OK")});
}

void RealMessageBoxes::error(QWidget* parent, const QString& caption, const QString& text)
{
    runBox(parent, QMessageBox::Critical, caption, text, {QStringLiteral("OK")});
}

bool RealMessageBoxes::informationYesNo(QWidget* parent, const QString& text)
{
    QAbstractButton* no = nullptr;
    QAbstractButton* pressed = runBox(parent, QMessageBox::Information, QStringLiteral("Information"), text,
                                      {QStringLiteral("&Yes"), QStringLiteral("&No")}, &no);
    return pressed && pressed != no;
}

void RealMessageBoxes::informationOk(QWidget* parent, const QString& text)
{
    runBox(parent, QMessageBox::Information, QStringLiteral("Information"), text, {QStringLiteral("OK")});
}

bool RealMessageBoxes::confirm(QWidget* parent, const QString& text)
{
    QAbstractButton* cancel = nullptr;
    QAbstractButton* pressed = runBox(parent, QMessageBox::Question, QStringLiteral("Confirm"), text,
                                      {QStringLiteral("OK"), QStringLiteral("Cancel")}, &cancel);
    return pressed && pressed != cancel;
}

int RealShell::execute(const QString& /*operation*/, const QString& file, const QString& /*parameters*/,
                       const QString& directory, int /*showCommand*/)
{
    // Every operation the program uses is the file's default action.
    const QDir base(directory.isEmpty() ? QDir::currentPath() : directory);
    const QString path = QDir::cleanPath(base.absoluteFilePath(file));
    if (!QFileInfo::exists(path))
        return 2; // file not found
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? 42 : 31;
}

namespace {

// Qt's own print dialog on this platform offers "Pages from" and "Pages"
// whatever its options say, and choosing them ends in an "Invalid Pages
// Definition" box. Only "Print all" is offered: the other choices of the
// page range are disabled once the dialog has set up its controls, and again
// whenever it sets them up for another printer.
void offerAllPagesOnly(QPrintDialog* dialog)
{
    if (auto* all = dialog->findChild<QAbstractButton*>(QStringLiteral("printAll")))
        all->setChecked(true);
    for (const char* name :
         {"printRange", "from", "to", "pagesRadioButton", "pagesLineEdit", "printCurrentPage", "printSelection"})
        if (auto* control = dialog->findChild<QWidget*>(QLatin1String(name)))
            control->setEnabled(false);
}

// Applies offerAllPagesOnly() each time the dialog is shown, after the
// dialog has set up its controls for the showing.
class AllPagesOnly : public QObject {
public:
    explicit AllPagesOnly(QPrintDialog* dialog) : QObject(dialog), m_dialog(dialog)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_dialog && event->type() == QEvent::Show)
            offerAllPagesOnly(m_dialog);
        return false;
    }

private:
    QPrintDialog* m_dialog;
};

} // namespace

bool RealPrintDialogs::execute(QWidget* parent)
{
    // The application's printer keeps the chosen settings from one showing to the next.
    static QPrinter printer;
    printer.setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    new AllPagesOnly(&dialog);
    if (auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers")))
        QObject::connect(
            printers, &QComboBox::currentIndexChanged, &dialog, [&dialog] { offerAllPagesOnly(&dialog); },
            Qt::QueuedConnection);
    return dialog.exec() == QDialog::Accepted;
}

void RealProcess::quit(int exitCode) { QCoreApplication::exit(exitCode); }

#if QT_CONFIG(opengl)
QT_BEGIN_NAMESPACE
// Qt's application-wide share context: exported by Qt GUI, declared only in
// its private headers (Qt WebEngine and Qt Quick declare it the same way).
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE
#endif

namespace {

// Qt WebEngine draws through OpenGL contexts shared with one application-wide
// context, which Qt makes while constructing the application when
// Qt::AA_ShareOpenGLContexts is set; loaded without it, the engine crashes as
// soon as it draws. Setting the attribute in main() would make that context
// in every run, before the title window (tens of milliseconds and of MiB
// under X11), so the context is made here instead, once, as Qt makes it, just
// before the module (and with it the engine) is loaded. The windows' own
// contexts are made later, when a view is put in them, and share with it.
// The attribute itself stays unset: set now it only draws a warning, and it
// matters only to OpenGL widgets that move between windows, which no view does.
void prepareSharedOpenGLContext()
{
#if QT_CONFIG(opengl)
    if (qt_gl_global_share_context())
        return;
    // Kept for the rest of the run: the engine, once started, is never stopped.
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
#endif
}

[[noreturn]] void cannotStart(const QString& reason)
{
    throw Error(QStringLiteral("The HTML view cannot be started: ") + reason);
}

// Loads the module (once per process: it is never unloaded, nor is the
// engine it brings) and creates its view.
QWidget* createEngineView(const QString& modulePath, QWidget* parent)
{
    // QLibrary would try other names for a missing file and report the last.
    if (!QFileInfo(modulePath).isFile())
        cannotStart(QStringLiteral("%1 not found").arg(modulePath));
    prepareSharedOpenGLContext();
    QLibrary module(modulePath);
    module.setLoadHints(QLibrary::PreventUnloadHint);
    if (!module.load())
        cannotStart(module.errorString());
    const auto create = reinterpret_cast<WebViewModule::Factory>(module.resolve(WebViewModule::kFactory));
    if (!create)
        cannotStart(QStringLiteral("%1 has no function %2").arg(modulePath, QLatin1String(WebViewModule::kFactory)));
    QWidget* view = create(parent);
    if (!view)
        cannotStart(QStringLiteral("%1 made no view").arg(modulePath));
    if (view->metaObject()->indexOfMethod("navigate(QString)") < 0) {
        delete view;
        cannotStart(QStringLiteral("the view of %1 has no method navigate(QString)").arg(modulePath));
    }
    return view;
}

} // namespace

namespace {

// How long a navigation waits for its view to be painted before the engine
// is started all the same (a view that is hidden or not on screen).
constexpr int kStartWithoutPaintMs = 250;

} // namespace

WebHtmlView::WebHtmlView(QWidget* parent, const QString& modulePath)
    : HtmlView(parent), m_modulePath(modulePath.isEmpty() ? defaultModulePath() : modulePath),
      m_startTimer(new QTimer(this))
{
    m_startTimer->setSingleShot(true);
    connect(m_startTimer, &QTimer::timeout, this, &WebHtmlView::startEngine);
    // A blank page while the engine comes.
    setAutoFillBackground(true);
    QPalette blank = palette();
    blank.setColor(QPalette::Window, Qt::white);
    setPalette(blank);
}

QString WebHtmlView::defaultModulePath() { return ProgramFiles::module(QStringLiteral(NORVENA_WEBVIEW_MODULE)); }

void WebHtmlView::navigate(const QString& path)
{
    if (m_view) {
        QMetaObject::invokeMethod(m_view, "navigate", Qt::DirectConnection, Q_ARG(QString, path));
        m_location = path;
        return;
    }
    // QLibrary would try other names for a missing file and report the last.
    if (!QFileInfo(m_modulePath).isFile())
        cannotStart(QStringLiteral("%1 not found").arg(m_modulePath));
    m_pendingPath = path;
    if (m_starting)
        return; // the engine is on its way: it will show this page instead
    m_starting = true;
    // Started once the view has been painted (paintEvent), so that its
    // window is on screen first; or soon in any case.
    m_startTimer->start(kStartWithoutPaintMs);
    update();
}

void WebHtmlView::paintEvent(QPaintEvent* event)
{
    HtmlView::paintEvent(event);
    // After the painting, once the window's content has gone to the screen.
    if (m_starting && m_startTimer->remainingTime() != 0)
        m_startTimer->start(0);
}

void WebHtmlView::startEngine()
{
    if (!m_starting || m_view)
        return;
    const QString path = m_pendingPath;
    try {
        m_view = createEngineView(m_modulePath, this);
    } catch (const Error& e) {
        m_starting = false;
        m_pendingPath.clear();
        emit started();
        ErrorReport::show(e.message());
        return;
    }
    m_view->setGeometry(rect());
    m_view->show();
    QMetaObject::invokeMethod(m_view, "navigate", Qt::DirectConnection, Q_ARG(QString, path));
    m_location = path;
    m_starting = false;
    m_pendingPath.clear();
    emit started();
}

void WebHtmlView::resizeEvent(QResizeEvent* event)
{
    HtmlView::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
}
