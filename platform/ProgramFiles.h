#pragma once

#include <QString>

// The files that come with the program: the browser engine's module and the
// user guide. In the build tree, and in a folder the program was copied to
// together with them, they lie beside the program file. Installed, they lie
// in folders of their own (a private library folder, a data folder) reached
// from the program's folder by relative paths fixed when the build is
// configured, so an installed tree keeps working wherever it is moved as a
// whole.
namespace ProgramFiles {

// `name` beside the program file in `programDir` when it is there; otherwise
// `name` in `installedDir` (relative to `programDir`) when it is there;
// otherwise the path beside the program file, which does not exist.
QString locate(const QString& programDir, const QString& installedDir, const QString& name);

// The module of that name, for this program.
QString module(const QString& name);

// The data file of that name (the user guide), for this program.
QString dataFile(const QString& name);

// The relative paths of the installed layout, from the program's folder.
QString installedModuleDir();
QString installedDataDir();

} // namespace ProgramFiles
