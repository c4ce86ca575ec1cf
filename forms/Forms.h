#pragma once

class TForm1;
class TForm2;
class TForm3;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;

// The nine windows of the program, created once at start-up (app/Forms.h)
// and reached by each other directly.
extern TForm3* Form3;   // title window, the application's main form
extern TForm1* Form1;   // main window
extern TForm2* Form2;   // document viewer
extern TForm5* Form5;   // user-guide viewer
extern TForm6* Form6;   // test window; owns the database objects
extern TForm7* Form7;   // result window
extern TForm8* Form8;   // test editor
extern TForm9* Form9;   // results register
extern TForm10* Form10; // multimedia window
