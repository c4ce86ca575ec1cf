#include "forms/CsvSave.h"

#include "data/Csv.h"
#include "forms/FileChoice.h"
#include "platform/Platform.h"

namespace csvsave {

bool save(QWidget* parent, const QString& proposedName, const QString& progressText, const QString& notice,
          const QStringList& titles, qint64 rows, const std::function<QStringList(qint64)>& cellsOf)
{
    const QString path =
        filechoice::toSave(parent, QStringLiteral("Сохранить в CSV"), proposedName,
                           QStringLiteral("Таблица CSV (*.csv);;Все файлы (*)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return false;
    bool written = false;
    {
        const auto progress = Platform::progressDialogs().start(parent, progressText, rows);
        written =
            csv::writeTable(path, titles, rows, cellsOf, [&progress](qint64 done) { return progress->advance(done); });
    }
    // Where the file went; a cancelled save wrote none.
    if (written)
        Platform::messages().notice(parent, notice.arg(filechoice::shownPath(path)));
    return written;
}

} // namespace csvsave
