#pragma once

#include "forms/Forms.h"

// Creates the windows hidden, in the start-up order of forms/Forms.h. Errors of a
// window's creation handler are reported and start-up goes on; any other
// error while a window is built is thrown to the caller.
void createForms();

// Destroys the windows (end of the run, or between tests).
void destroyForms();
