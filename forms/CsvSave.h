#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// The teacher's "… в CSV…" actions: a file asked for with the file dialog
// (a CSV filter, the proposed name), the table written with a progress box
// the user may cancel (csv::writeTable: whole or not at all), and a notice
// naming where the file went.
namespace csvsave {

// notice holds %1 for the file's path. Returns whether a file was written
// (false: no file chosen, or the writing cancelled). Throws Error.
bool save(QWidget* parent, const QString& proposedName, const QString& progressText, const QString& notice,
          const QStringList& titles, qint64 rows, const std::function<QStringList(qint64)>& cellsOf);

} // namespace csvsave
