#include "app/Forms.h"

#include "app/Unit3.h"
#include "forms/Unit1.h"
#include "forms/Unit10.h"
#include "forms/Unit11.h"
#include "forms/Unit2.h"
#include "forms/Unit5.h"
#include "forms/Unit6.h"
#include "forms/Unit7.h"
#include "forms/Unit8.h"
#include "forms/Unit9.h"
#include "platform/ErrorReport.h"

void createForms()
{
    Form3 = new TForm3;
    Form1 = new TForm1;
    ErrorReport::run([] { Form1->FormCreate(); });
    Form2 = new TForm2;
    Form5 = new TForm5;
    Form6 = new TForm6;
    Form6->FormCreate(); // reports its own failures
    Form7 = new TForm7;
    Form8 = new TForm8;
    Form9 = new TForm9;
    Form10 = new TForm10;
}

void destroyForms()
{
    // Reverse order: the windows that use the database go before its owner.
    delete Form11; // made at its first use
    Form11 = nullptr;
    delete Form10;
    delete Form9;
    delete Form8;
    delete Form7;
    delete Form6;
    delete Form5;
    delete Form2;
    delete Form1;
    delete Form3;
    Form10 = nullptr;
    Form9 = nullptr;
    Form8 = nullptr;
    Form7 = nullptr;
    Form6 = nullptr;
    Form5 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
    Form3 = nullptr;
}
