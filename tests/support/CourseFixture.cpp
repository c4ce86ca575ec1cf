#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "forms/Globals.h"
#include "app/Startup.h"

#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QTest>

CourseFixture::CourseFixture(Contents contents) : m_previousDirectory(QDir::currentPath())
{
    Q_ASSERT(m_dir.isValid());
    if (contents == DemoCourse)
        copyTree(demoCourse(), root());
    QDir::setCurrent(root());
    UserRole.clear();
    HomeDir.clear();
    initialiseApplication();
}

CourseFixture::~CourseFixture()
{
    if (m_started)
        destroyForms();
    QDir::setCurrent(m_previousDirectory);
    UserRole.clear();
    HomeDir.clear();
}

void CourseFixture::start()
{
    createForms();
    m_started = true;
}

QString CourseFixture::demoCourse() { return QStringLiteral(NORVENA_SOURCE_DIR "/course"); }

void CourseFixture::copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!source.endsWith(QLatin1String(".sql")) && !source.endsWith(QLatin1String(".new")))
            QFile::copy(source, target);
    }
}

void CourseFixture::writeFile(const QString& relative, const QByteArray& content) const
{
    QFile file(path(relative));
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.errorString()));
    file.write(content);
}

QByteArray CourseFixture::readFile(const QString& relative) const
{
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void CourseFixture::makeFolder(const QString& relative) const { QDir().mkpath(path(relative)); }

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void selectRow(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    Q_ASSERT(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}
