#pragma once

#include "support/TestPlatform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QWidget;

// A course root of its own for one test function: a temporary copy of the
// demo course (or an empty folder), made the working directory, with the
// test platform installed. start() creates the program's windows as start-up
// does; the destructor destroys them and restores the working directory.
class CourseFixture {
public:
    enum Contents { DemoCourse, EmptyFolder };

    explicit CourseFixture(Contents contents = DemoCourse);
    ~CourseFixture();

    // Creates the nine windows, as start-up does.
    void start();

    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.path() + u'/' + relative; }

    void writeFile(const QString& relative, const QByteArray& content) const;
    QByteArray readFile(const QString& relative) const;
    void makeFolder(const QString& relative) const;

    TestPlatform platform;

    static QString demoCourse();
    static void copyTree(const QString& from, const QString& to);

private:
    QTemporaryDir m_dir;
    QString m_previousDirectory;
    bool m_started = false;
};

// Clicks a push button, check box or similar control with the mouse.
void click(QWidget* widget);
// Selects the row of a list widget as a user would, with the mouse.
void selectRow(class QListWidget* list, int row);
