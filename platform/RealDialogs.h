#pragma once

#include "platform/Platform.h"

// The real dialogs of the teacher's imports and exports (see Platform.h).

class RealFileDialogs : public FileDialogs {
public:
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed, const QString& filter,
                         const QString& defaultSuffix) override;
};

class RealInputDialogs : public InputDialogs {
public:
    std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& label,
                                   const QStringList& choices, const QString& initial) override;
};

// A preview window with a tool bar (print, orientation, zoom, pages, close);
// its print button shows the system print dialog, which offers printing to a
// PDF file as well as to a printer.
class RealPrintPreviews : public PrintPreviews {
public:
    void execute(QWidget* parent, const QString& documentName, const Render& render) override;
};

// A modal progress dialog with a cancel button, shown once the work has
// lasted half a second (or is expected to last longer).
class RealProgressDialogs : public ProgressDialogs {
public:
    std::unique_ptr<Progress> start(QWidget* parent, const QString& text, qint64 maximum) override;
};
