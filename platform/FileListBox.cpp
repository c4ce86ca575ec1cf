#include "platform/FileListBox.h"

#include "platform/FileSystem.h"

#include <QCollator>
#include <QDir>

#include <algorithm>

namespace {

// Alphabetical order without regard to letter case, as the course's users
// read it: the Russian collation, in which "ё" stands with "е". Names equal
// but for case (or other small differences) keep one fixed order.
void sortNames(QStringList& names)
{
    static const QCollator caseBlind = [] {
        QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    static const QCollator exact(QLocale(QLocale::Russian, QLocale::Russia));
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        if (const int order = caseBlind.compare(a, b))
            return order < 0;
        if (const int order = exact.compare(a, b))
            return order < 0;
        return a < b;
    });
}

} // namespace

FileListBox::FileListBox(const QString& mask, QWidget* parent)
    : ListBox(parent), m_mask(mask), m_directory(FileSystem::currentDirectory())
{
    setUniformItemSizes(true);
}

void FileListBox::setDirectory(const QString& path)
{
    if (path.compare(m_directory, Qt::CaseInsensitive) == 0)
        return;
    FileSystem::changeDirectory(path);
    m_directory = FileSystem::currentDirectory();
    readFileNames();
}

void FileListBox::readFileNames()
{
    FileSystem::changeDirectory(m_directory);
    QStringList names = QDir(m_directory).entryList({m_mask}, QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    sortNames(names);
    clear();
    addItems(names);
}

QString FileListBox::selectedFileName() const
{
    const QListWidgetItem* item = currentRow() >= 0 ? currentItem() : nullptr;
    return item && item->isSelected() ? item->text() : QString();
}
