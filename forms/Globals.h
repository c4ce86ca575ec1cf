#pragma once

#include <QString>

// Program-wide values, alive from start to exit.

// Empty until the login, then "student" or "prepod" for the rest of the run.
extern QString UserRole;

// The course root: the process working directory taken once when the main
// window is created; a full path without a trailing separator.
extern QString HomeDir;

// The application title.
inline constexpr const char16_t* kApplicationTitle = u"Норвена";
