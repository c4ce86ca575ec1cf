#include "platform/RealDialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <exception>

QString RealFileDialogs::openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                      const QString& filter)
{
    QFileDialog dialog(parent, caption, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString RealFileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                      const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

std::optional<QString> RealInputDialogs::askText(QWidget* parent, const QString& caption, const QString& label,
                                                 const QStringList& choices, const QString& initial)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(label);
    if (!choices.isEmpty()) {
        dialog.setComboBoxItems(choices);
        dialog.setComboBoxEditable(true);
    }
    dialog.setTextValue(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void RealPrintPreviews::execute(QWidget* parent, const QString& documentName, const Render& render)
{
    // The application's printer keeps the chosen printer, paper and
    // orientation from one printing to the next.
    static QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentName);

    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр: ") + documentName);
    auto* preview = new QPrintPreviewWidget(&printer, &dialog);
    auto* bar = new QToolBar(&dialog);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(preview, 1);

    // An error thrown while drawing is carried past the dialog's event loop
    // and thrown again when the dialog has closed.
    std::exception_ptr failure;
    bool drawing = false;
    auto draw = [&](QPrinter& target, bool forPreview) {
        if (drawing || failure)
            return false;
        drawing = true;
        bool done = false;
        try {
            done = render(target, forPreview);
        } catch (...) {
            failure = std::current_exception();
        }
        drawing = false;
        if (failure || (!done && forPreview))
            QTimer::singleShot(0, &dialog, &QDialog::reject);
        return done && !failure;
    };
    QObject::connect(preview, &QPrintPreviewWidget::paintRequested, &dialog,
                     [&](QPrinter* target) { draw(*target, true); });

    QAction* print = bar->addAction(QStringLiteral("Печать…"));
    print->setShortcut(QKeySequence::Print);
    QObject::connect(print, &QAction::triggered, &dialog, [&] {
        QPrintDialog chooser(&printer, &dialog);
        chooser.setOption(QAbstractPrintDialog::PrintToFile, true);
        chooser.setOption(QAbstractPrintDialog::PrintSelection, false);
        chooser.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        chooser.setOption(QAbstractPrintDialog::PrintPageRange, true);
        chooser.setMinMax(1, preview->pageCount());
        if (chooser.exec() != QDialog::Accepted)
            return;
        if (draw(printer, false))
            dialog.accept();
    });
    bar->addSeparator();

    auto* orientation = new QActionGroup(&dialog);
    QAction* portrait = bar->addAction(QStringLiteral("Книжная"));
    QAction* landscape = bar->addAction(QStringLiteral("Альбомная"));
    for (QAction* a : {portrait, landscape}) {
        a->setCheckable(true);
        orientation->addAction(a);
    }
    (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);
    QObject::connect(portrait, &QAction::triggered, preview, &QPrintPreviewWidget::setPortraitOrientation);
    QObject::connect(landscape, &QAction::triggered, preview, &QPrintPreviewWidget::setLandscapeOrientation);
    bar->addSeparator();

    QObject::connect(bar->addAction(QStringLiteral("Крупнее")), &QAction::triggered, preview,
                     [preview] { preview->zoomIn(); });
    QObject::connect(bar->addAction(QStringLiteral("Мельче")), &QAction::triggered, preview,
                     [preview] { preview->zoomOut(); });
    QObject::connect(bar->addAction(QStringLiteral("По ширине")), &QAction::triggered, preview,
                     &QPrintPreviewWidget::fitToWidth);
    QObject::connect(bar->addAction(QStringLiteral("Страница целиком")), &QAction::triggered, preview,
                     &QPrintPreviewWidget::fitInView);
    bar->addSeparator();

    QAction* previous = bar->addAction(QStringLiteral("◀"));
    previous->setShortcut(QKeySequence::MoveToPreviousPage);
    auto* pageLabel = new QLabel(bar);
    pageLabel->setContentsMargins(6, 0, 6, 0);
    bar->addWidget(pageLabel);
    QAction* following = bar->addAction(QStringLiteral("▶"));
    following->setShortcut(QKeySequence::MoveToNextPage);
    QObject::connect(previous, &QAction::triggered, preview,
                     [preview] { preview->setCurrentPage(preview->currentPage() - 1); });
    QObject::connect(following, &QAction::triggered, preview,
                     [preview] { preview->setCurrentPage(preview->currentPage() + 1); });
    auto showPage = [preview, pageLabel] {
        pageLabel->setText(QStringLiteral("Страница %1 из %2").arg(preview->currentPage()).arg(preview->pageCount()));
    };
    QObject::connect(preview, &QPrintPreviewWidget::previewChanged, pageLabel, showPage);
    bar->addSeparator();
    QObject::connect(bar->addAction(QStringLiteral("Закрыть")), &QAction::triggered, &dialog, &QDialog::reject);

    dialog.resize(900, 700);
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

namespace {

class RealProgress : public Progress {
public:
    RealProgress(QWidget* parent, const QString& text, qint64 maximum)
        : m_scale(maximum > 1000000 ? maximum / 1000000 + 1 : 1),
          m_dialog(text, QStringLiteral("Отмена"), 0, int(maximum / m_scale), parent)
    {
        m_dialog.setWindowTitle(Platform::applicationTitle());
        m_dialog.setWindowModality(Qt::ApplicationModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setValue(0);
        m_clock.start();
    }

    bool advance(qint64 done) override
    {
        // The dialog handles the window system's events at each new value
        // once it is shown; a few times a second is enough.
        if (m_clock.elapsed() >= m_lastUpdate + 40) {
            m_lastUpdate = m_clock.elapsed();
            m_dialog.setValue(int(done / m_scale));
        }
        return !m_dialog.wasCanceled();
    }

private:
    qint64 m_scale;
    QProgressDialog m_dialog;
    QElapsedTimer m_clock;
    qint64 m_lastUpdate = 0;
};

} // namespace

std::unique_ptr<Progress> RealProgressDialogs::start(QWidget* parent, const QString& text, qint64 maximum)
{
    return std::make_unique<RealProgress>(parent, text, maximum);
}
