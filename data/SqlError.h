#pragma once

#include <QString>

class QSqlError;

// The database engine's own message for an error, as the user is shown it:
// the engine's text when it gives one, else the driver's. A server's message
// loses its severity prefix ("ERROR:  ", "FATAL:  ") and the lines of detail
// and context that follow its first line.
QString engineMessage(const QSqlError& error);
