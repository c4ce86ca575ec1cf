#include "platform/NewFile.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bytes gathered before they are handed to the system in one write.
constexpr qsizetype kBufferSize = 256 * 1024;

} // namespace

NewFile::NewFile(const QString& path) : m_path(path)
{
    const QFileInfo target(path);
    if (target.fileName().isEmpty())
        fail("create", EISDIR);
    m_tempName = QFile::encodeName(target.absoluteFilePath()) + ".XXXXXX";
    m_fd = ::mkostemp(m_tempName.data(), O_CLOEXEC);
    if (m_fd < 0) {
        const int err = errno;
        m_tempName.clear();
        fail("create", err);
    }
    // mkostemp makes the file readable by its owner only; the new file gets
    // the permissions of the file it replaces, or those of any new file.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(m_fd, mode);
    m_buffer.reserve(kBufferSize);
}

NewFile::~NewFile() { discard(); }

void NewFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_done && !m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
    m_tempName.clear();
}

void NewFile::fail(const char* what, int err)
{
    discard();
    const QString verb = QLatin1String(what) == QLatin1String("write") ? QStringLiteral("Cannot write file")
                                                                       : QStringLiteral("Cannot create file");
    throw Error(QStringLiteral("%1 \"%2\". %3").arg(verb, FileSystem::fullPath(m_path), qt_error_string(err)));
}

void NewFile::write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }

void NewFile::write(const char* data, qsizetype size)
{
    if (m_fd < 0)
        throw Error(QStringLiteral("Cannot write file \"%1\". The file is closed").arg(FileSystem::fullPath(m_path)));
    m_size += size;
    if (m_buffer.size() + size > kBufferSize) {
        flushBuffer();
        if (size > kBufferSize) {
            m_buffer = QByteArray::fromRawData(data, size);
            flushBuffer();
            m_buffer.reserve(kBufferSize);
            return;
        }
    }
    m_buffer.append(data, size);
}

void NewFile::flushBuffer()
{
    const char* p = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("write", errno);
        }
        if (n == 0)
            fail("write", ENOSPC);
        p += n;
        left -= n;
    }
    m_buffer.clear();
}

void NewFile::commit()
{
    if (m_fd < 0)
        throw Error(QStringLiteral("Cannot write file \"%1\". The file is closed").arg(FileSystem::fullPath(m_path)));
    flushBuffer();
    if (::fsync(m_fd) != 0)
        fail("write", errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail("write", errno);
    const QByteArray target = QFile::encodeName(QFileInfo(m_path).absoluteFilePath());
    if (::rename(m_tempName.constData(), target.constData()) != 0)
        fail("create", errno);
    m_done = true;
    m_tempName.clear();
    // The rename itself reaches the disk with the folder's next sync; ask
    // for it now, as far as the system allows.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
