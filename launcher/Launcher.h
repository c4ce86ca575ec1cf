#pragma once

#include <QString>

// The start of Норвена from the desktop menu (norvena-start). The program
// itself takes its course from the working directory it is started in; the
// launcher chooses that folder and starts the program there:
//   - the course folder the administrator names in the settings file
//     (`course = /path` in /etc/norvena/norvena.conf);
//   - otherwise the user's own course (~/.local/share/norvena/course), made on
//     the first start as a copy of the demo course installed with the program,
//     so that a student can write answers and results into it.
namespace Launcher {

// Whatever stops the start, with the text shown to the user.
struct Failure {
    QString text;
};

struct Settings {
    QString course; // full path of the course folder; empty when none is set
};

// Reads the settings file: lines "name = value", "#" comments and empty
// lines; a value may be put in double quotes. A course folder given as "~"
// or "~/..." lies in `home`. A missing file gives empty settings; an
// unreadable file, a line without "=", an unknown name or a course folder
// that is not a full path throw Failure.
Settings readSettings(const QString& path, const QString& home);

// The folder to start the program in: the configured course folder, which
// must exist; otherwise `userCourse`, made on the first start as a copy of
// `demoCourse` (copied into a temporary folder beside it and renamed, so an
// interrupted copy leaves nothing half made). Throws Failure.
QString courseFolder(const Settings& settings, const QString& settingsPath, const QString& userCourse,
                     const QString& demoCourse);

} // namespace Launcher
