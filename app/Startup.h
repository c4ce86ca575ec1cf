#pragma once

// Start-up of the program: sets the application title, creates the windows
// and runs the message loop with the title window shown. Returns the exit
// code. An error while a window is built (outside its creation handler) is
// shown in an "Application Error" box and ends the program with exit code 1.
int runProgram();

// The part of start-up that tests share with the program: application title
// and fonts.
void initialiseApplication();
