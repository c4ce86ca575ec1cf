#include "forms/Globals.h"

QString UserRole;
QString HomeDir;
