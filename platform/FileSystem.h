#pragma once

#include <QByteArray>
#include <QString>

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

// Replaces a whole file atomically: a new file is written and renamed over
// the old one, so a failed write leaves the previous content in place.
// Failure: Error("Cannot create file \"<full path>\". <reason>").
void replaceWholeFile(const QString& path, const QByteArray& content);

bool directoryExists(const QString& path);

// Creates one folder (its parent must exist). Failure: InOutError with the
// code of the system's reason.
void createDirectory(const QString& path);

} // namespace FileSystem
