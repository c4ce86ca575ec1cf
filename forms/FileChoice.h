#pragma once

#include <QString>

class QWidget;

// The file dialogs of the teacher's imports and exports. They open in the
// folder of the last file chosen in this run (at first the course root) and
// return the chosen path, or an empty text when the user cancelled.
namespace filechoice {

QString toOpen(QWidget* parent, const QString& caption, const QString& filter);
// proposedName: the file name offered; a name typed without a suffix gets suffix.
QString toSave(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter,
               const QString& suffix);

// A file's full path as the user's notices name it.
QString shownPath(const QString& path);

// A text made fit to be a file name: the characters that file systems refuse
// in names replaced by "_".
QString safeFileName(const QString& text);

} // namespace filechoice
