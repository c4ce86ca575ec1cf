#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The author register "1.txt": one author per line, 8-bit text in the
// Windows Cyrillic code page. A line ends at CR, LF or CR LF; a last line
// without a line break is still an entry, a line break at the very end adds
// no empty entry, empty lines inside are empty entries; a NUL byte ends the
// text. Written whole, every entry followed by CR LF.
namespace AuthorRegister {

QStringList parse(const QByteArray& bytes);

// The register's bytes for the entries. A character that the code page
// cannot hold throws Error naming the entry.
QByteArray format(const QStringList& entries);

// Throws, as write() would, when the register at path cannot hold the name:
// "Cannot create file \"<full path>\". The name ... cannot store".
void checkEntry(const QString& path, const QString& name);

// Reads the register; failure: "Cannot open file \"<full path>\". <reason>".
QStringList read(const QString& path);

// Replaces the register: afterwards it holds either the whole new content or
// its previous content. Failure: "Cannot create file \"<full path>\".
// <reason>", and the file keeps its previous content.
void write(const QString& path, const QStringList& entries);

} // namespace AuthorRegister
