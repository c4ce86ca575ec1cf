#include "platform/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Set by the build from the install layout; "." keeps everything beside the
// program file.
#ifndef NORVENA_INSTALLED_MODULE_DIR
#define NORVENA_INSTALLED_MODULE_DIR "."
#endif
#ifndef NORVENA_INSTALLED_DATA_DIR
#define NORVENA_INSTALLED_DATA_DIR "."
#endif

QString ProgramFiles::locate(const QString& programDir, const QString& installedDir, const QString& name)
{
    const QString beside = programDir + u'/' + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(programDir + u'/' + installedDir + u'/' + name);
    if (QFileInfo::exists(installed))
        return installed;
    return beside;
}

QString ProgramFiles::installedModuleDir() { return QStringLiteral(NORVENA_INSTALLED_MODULE_DIR); }

QString ProgramFiles::installedDataDir() { return QStringLiteral(NORVENA_INSTALLED_DATA_DIR); }

QString ProgramFiles::module(const QString& name)
{
    return locate(QCoreApplication::applicationDirPath(), installedModuleDir(), name);
}

QString ProgramFiles::dataFile(const QString& name)
{
    return locate(QCoreApplication::applicationDirPath(), installedDataDir(), name);
}
