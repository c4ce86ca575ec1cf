#include "platform/RealPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>
#include <QWebEngineView>

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

bool RealPrintDialogs::execute(QWidget* parent)
{
    // The application's printer keeps the chosen settings from one showing to the next.
    static QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

void RealProcess::quit(int exitCode) { QCoreApplication::exit(exitCode); }

WebHtmlView::WebHtmlView(QWidget* parent) : HtmlView(parent) {}

void WebHtmlView::navigate(const QString& path)
{
    if (!m_view) {
        m_view = new QWebEngineView(this);
        m_view->setGeometry(rect());
        m_view->show();
    }
    m_location = path;
    m_view->load(QUrl::fromLocalFile(path));
}

void WebHtmlView::resizeEvent(QResizeEvent* event)
{
    HtmlView::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
}
