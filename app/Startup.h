#pragma once

// Start-up of the program: sets the application title, creates the windows
// and runs the message loop with the title window shown. Returns the exit
// code. An error while a window is built (outside its creation handler) is
// shown in an "Application Error" box and ends the program with exit code 1.
int runProgram();

// Start-up up to the message loop: sets the application title, creates the
// windows and shows the title window. Returns 0 then. When a window cannot be
// built (an error outside its creation handler), shows the "Application
// Error" box instead, shows no window and returns 1, the program's exit code.
int startProgram();

// The part of start-up that tests share with the program: application title
// and fonts.
void initialiseApplication();
