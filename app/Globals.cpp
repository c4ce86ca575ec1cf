#include "app/Globals.h"

QString UserRole;
QString HomeDir;
