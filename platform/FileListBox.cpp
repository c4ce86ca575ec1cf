#include "platform/FileListBox.h"

#include "platform/FileSystem.h"

#include <QDir>

FileListBox::FileListBox(const QString& mask, QWidget* parent)
    : QListWidget(parent), m_mask(mask), m_directory(FileSystem::currentDirectory())
{
    setSelectionMode(QAbstractItemView::SingleSelection);
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
    const QStringList names =
        QDir(m_directory).entryList({m_mask}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    clear();
    addItems(names);
}

QString FileListBox::selectedFileName() const
{
    const QListWidgetItem* item = currentRow() >= 0 ? currentItem() : nullptr;
    return item && item->isSelected() ? item->text() : QString();
}
