#pragma once

#include <QByteArray>
#include <QString>

// A file written whole and put in the place of the named file only when every
// byte of it is on the disk: the bytes go into a temporary file in the same
// folder, which commit() syncs, closes and renames over the named file. Every
// write, the sync and the close are checked, so a full disk or any other
// failure is reported and never taken for success. A NewFile that is not
// committed (a failure, a cancelled export, an error thrown past it) removes
// its temporary file and leaves the named file as it was, or absent.
//
// Failures throw Error:
//   Cannot create file "<full path>". <reason>   (the temporary file or the rename)
//   Cannot write file "<full path>". <reason>    (a write, the sync or the close)
class NewFile {
public:
    explicit NewFile(const QString& path);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    void write(const QByteArray& bytes);
    void write(const char* data, qsizetype size);
    // Puts the file in place. After a failure the named file is untouched.
    void commit();

    // The bytes written so far.
    qint64 size() const { return m_size; }

private:
    void flushBuffer();
    [[noreturn]] void fail(const char* what, int err);
    void discard();

    QString m_path;
    QByteArray m_tempName; // encoded
    int m_fd = -1;
    QByteArray m_buffer;
    qint64 m_size = 0;
    bool m_done = false;
};
