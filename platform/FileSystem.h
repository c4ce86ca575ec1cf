#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The file system as the program uses it: the process working directory,
// whole text files, folders. Failures are thrown as Error / InOutError.
namespace FileSystem {

// The process working directory as the platform reports it: a full path
// without a trailing separator (except for the root).
QString currentDirectory();

// Moves the process working directory. A folder that cannot be entered
// throws InOutError ("File not found" for a missing folder).
void changeDirectory(const QString& path);

// The full path the platform expands from a path, with its own separators.
QString fullPath(const QString& path);

// Reads a whole file at once. Failure: Error("Cannot open file \"<full path>\". <reason>").
QByteArray readWholeFile(const QString& path);

// Replaces a whole file (creating it when missing). The content is written
// to a new file beside the old one, flushed to the disk and renamed over the
// old one, every step checked: the file then holds either the whole new
// content or its previous content. Where the folder takes no new file but
// the file itself can be written (a read-only folder), the file is rewritten
// in place: the space for the new content is reserved first, and should a
// write fail all the same, the previous content is written back.
// Failure: Error("Cannot create file \"<full path>\". <the system's reason>").
void replaceWholeFile(const QString& path, const QByteArray& content);

// The steps of replacing a file, each a call to the system.
enum class WriteStep {
    CreateNew,   // the new file beside the old one
    Write,       // one write of at most kWriteChunk bytes
    Flush,       // the written content to the disk
    Close,       // closing a written file
    Rename,      // the new file over the old one
    OpenInPlace, // the old file, to be rewritten in place
    Reserve,     // the space of the new content, in place
};
inline constexpr qsizetype kWriteChunk = 64 * 1024;

// For tests: called before every step of replacing a file; a system error
// number returned (ENOSPC, EACCES, ...) makes that step fail with it, 0 lets
// it run. An empty function runs every step.
void setWriteFault(std::function<int(WriteStep)> fault);

bool directoryExists(const QString& path);

// Creates one folder (its parent must exist). Failure: InOutError with the
// code of the system's reason.
void createDirectory(const QString& path);

} // namespace FileSystem
