#include "platform/FileSystem.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The run-time error code for a system error number.
int ioCode(int err)
{
    switch (err) {
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EILSEQ:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
        return 5;
    case ENOSPC:
    case EDQUOT:
        return 101;
    case EEXIST:
        return 183;
    default:
        return err;
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

namespace {

using FileSystem::WriteStep;

std::function<int(WriteStep)>& writeFault()
{
    static std::function<int(WriteStep)> fault;
    return fault;
}

// The failure a test injected into this step, or 0.
int injected(WriteStep step)
{
    const auto& fault = writeFault();
    return fault ? fault(step) : 0;
}

// A step of replacing a file failed with this system error number.
struct WriteFailure {
    int err;
};

// Runs a system call that returns -1 with errno set on failure, unless a
// failure is injected into its step; throws WriteFailure.
template <class Call> auto checked(WriteStep step, Call&& call)
{
    if (const int err = injected(step))
        throw WriteFailure{err};
    const auto result = call();
    if (result == -1)
        throw WriteFailure{errno};
    return result;
}

// An open file descriptor, closed when it goes unless closed before.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int fd() const { return m_fd; }

    // Closes the file; a failure (a write the system had deferred) is thrown.
    void close()
    {
        const int fd = std::exchange(m_fd, -1);
        const int err = injected(WriteStep::Close);
        if (::close(fd) != 0 && errno != EINTR)
            throw WriteFailure{errno};
        if (err)
            throw WriteFailure{err};
    }

private:
    int m_fd;
};

// Writes all bytes at the offset, in pieces of at most kWriteChunk.
void writeAll(int fd, const QByteArray& content, off_t offset)
{
    qsizetype done = 0;
    while (done < content.size()) {
        const size_t piece = size_t(std::min(content.size() - done, FileSystem::kWriteChunk));
        ssize_t n = 0;
        do {
            if (const int err = injected(WriteStep::Write))
                throw WriteFailure{err};
            n = ::pwrite(fd, content.constData() + done, piece, offset + off_t(done));
        } while (n == -1 && errno == EINTR);
        if (n == -1)
            throw WriteFailure{errno};
        if (n == 0)
            throw WriteFailure{ENOSPC};
        done += n;
    }
}

void flush(int fd)
{
    checked(WriteStep::Flush, [fd] { return ::fsync(fd); });
}

// The file's whole content, read from its start.
QByteArray readAll(int fd)
{
    QByteArray content;
    char buffer[16384];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n == -1 && errno == EINTR)
            continue;
        if (n == -1)
            throw WriteFailure{errno};
        if (n == 0)
            return content;
        content.append(buffer, n);
        offset += n;
    }
}

// Rewrites the file itself, for a folder that takes no new file. The space
// is reserved before anything is overwritten; should a write fail all the
// same, the previous content is written back and the failure thrown.
void replaceInPlace(const QByteArray& target, const QByteArray& content)
{
    Descriptor file(checked(WriteStep::OpenInPlace, [&] { return ::open(target.constData(), O_RDWR | O_CLOEXEC); }));
    const QByteArray previous = readAll(file.fd());
    if (content.size() > previous.size()) {
        int err = injected(WriteStep::Reserve);
        if (!err)
            err = ::posix_fallocate(file.fd(), 0, off_t(content.size()));
        // A file system that reserves nothing is written all the same.
        if (err && err != EOPNOTSUPP && err != EINVAL)
            throw WriteFailure{err};
    }
    try {
        writeAll(file.fd(), content, 0);
        checked(WriteStep::Write, [&] { return ::ftruncate(file.fd(), off_t(content.size())); });
        flush(file.fd());
    } catch (const WriteFailure&) {
        try {
            writeAll(file.fd(), previous, 0);
            (void)::ftruncate(file.fd(), off_t(previous.size()));
            (void)::fsync(file.fd());
        } catch (const WriteFailure&) {
            // The first failure is the one reported.
        }
        throw;
    }
    file.close();
}

// Flushes a folder's entries (a renamed file) to the disk, where the system allows it.
void flushFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

bool folderRefusesNewFile(int err) { return err == EACCES || err == EPERM || err == EROFS; }

} // namespace

void FileSystem::setWriteFault(std::function<int(WriteStep)> fault) { writeFault() = std::move(fault); }

void FileSystem::replaceWholeFile(const QString& path, const QByteArray& content)
{
    // A link is followed: the file it names is replaced, the link stays.
    const QFileInfo info(path);
    const QString resolved = info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray target = QFile::encodeName(resolved);
    const QByteArray folder = QFile::encodeName(QFileInfo(resolved).absolutePath());

    struct stat previous {};
    const bool exists = ::stat(target.constData(), &previous) == 0 && S_ISREG(previous.st_mode);

    QByteArray temporary = folder + "/." + QFile::encodeName(QFileInfo(resolved).fileName()) + ".XXXXXX";
    try {
        int fd = -1;
        try {
            fd = checked(WriteStep::CreateNew, [&] { return ::mkostemp(temporary.data(), O_CLOEXEC); });
        } catch (const WriteFailure& failure) {
            if (!exists || !folderRefusesNewFile(failure.err))
                throw;
            replaceInPlace(target, content);
            return;
        }
        try {
            Descriptor file(fd);
            // The new file takes the old one's permissions and owner, where allowed.
            if (exists) {
                (void)::fchmod(fd, previous.st_mode & 07777);
                (void)::fchown(fd, previous.st_uid, previous.st_gid);
            } else {
                const mode_t mask = ::umask(0);
                ::umask(mask);
                (void)::fchmod(fd, 0666 & ~mask);
            }
            writeAll(fd, content, 0);
            flush(fd);
            file.close();
        } catch (const WriteFailure&) {
            ::unlink(temporary.constData());
            throw;
        }
        try {
            checked(WriteStep::Rename, [&] { return ::rename(temporary.constData(), target.constData()); });
        } catch (const WriteFailure& failure) {
            ::unlink(temporary.constData());
            // A folder that lets a file be made but not replace another one.
            if (!exists || !folderRefusesNewFile(failure.err))
                throw;
            replaceInPlace(target, content);
            return;
        }
        flushFolder(folder);
    } catch (const WriteFailure& failure) {
        throw Error(QStringLiteral("Cannot create file %1. %2").arg(quoted(path), qt_error_string(failure.err)));
    }
}

bool FileSystem::directoryExists(const QString& path) { return QFileInfo(path).isDir(); }

void FileSystem::createDirectory(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty() || ::mkdir(encoded.constData(), 0777) != 0)
        throw InOutError(encoded.isEmpty() ? 3 : ioCode(errno));
}
