#include "platform/FileSystem.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The run-time error code for a system error number.
int ioCode(int err)
{
    switch (err) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EILSEQ: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS: return 5;
    case ENOSPC:
    case EDQUOT: return 101;
    case EEXIST: return 183;
    default: return err;
    }
}

QString quoted(const QString& path) { return u'"' + FileSystem::fullPath(path) + u'"'; }

} // namespace

QString FileSystem::currentDirectory() { return QDir::currentPath(); }

void FileSystem::changeDirectory(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty() || ::chdir(encoded.constData()) != 0)
        throw InOutError(encoded.isEmpty() ? 3 : ioCode(errno));
}

QString FileSystem::fullPath(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

QByteArray FileSystem::readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file %1. %2").arg(quoted(path), file.errorString()));
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot open file %1. %2").arg(quoted(path), file.errorString()));
    return content;
}

void FileSystem::replaceWholeFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot create file %1. %2").arg(quoted(path), file.errorString()));
    if (file.write(content) != content.size() || !file.commit())
        throw Error(QStringLiteral("Cannot create file %1. %2").arg(quoted(path), file.errorString()));
}

bool FileSystem::directoryExists(const QString& path) { return QFileInfo(path).isDir(); }

void FileSystem::createDirectory(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty() || ::mkdir(encoded.constData(), 0777) != 0)
        throw InOutError(encoded.isEmpty() ? 3 : ioCode(errno));
}
