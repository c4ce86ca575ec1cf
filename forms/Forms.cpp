#include "forms/Forms.h"

TForm3* Form3 = nullptr;
TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm5* Form5 = nullptr;
TForm6* Form6 = nullptr;
TForm7* Form7 = nullptr;
TForm8* Form8 = nullptr;
TForm9* Form9 = nullptr;
TForm10* Form10 = nullptr;
