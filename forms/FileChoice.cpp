#include "forms/FileChoice.h"

#include "forms/Globals.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString& lastFolder()
{
    static QString folder;
    return folder;
}

QString startFolder()
{
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir())
        return lastFolder();
    return HomeDir.isEmpty() ? QDir::currentPath() : HomeDir;
}

QString remembered(const QString& path)
{
    if (!path.isEmpty())
        lastFolder() = QFileInfo(path).absolutePath();
    return path;
}

} // namespace

namespace filechoice {

QString toOpen(QWidget* parent, const QString& caption, const QString& filter)
{
    return remembered(Platform::fileDialogs().openFileName(parent, caption, startFolder(), filter));
}

QString toSave(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter,
               const QString& suffix)
{
    const QString proposed = QDir(startFolder()).filePath(safeFileName(proposedName));
    return remembered(Platform::fileDialogs().saveFileName(parent, caption, proposed, filter, suffix));
}

QString shownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

QString safeFileName(const QString& text)
{
    QString name = text.trimmed();
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("_") : name;
}

} // namespace filechoice
