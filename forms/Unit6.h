#pragma once

#include "forms/Form.h"

class Connection;
class Table;

// A link from a table object to the data-aware controls that show it.
struct DataSource {
    Table* DataSet = nullptr;
};

// Test window: where a student takes a test. It owns the program's one
// database connection and its five table objects for the whole run.
class TForm6 : public Form {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    // Creation handler: opens the connection and the five table objects, in
    // this order; each failure is reported and start-up goes on.
    void FormCreate();

    Connection* ADOConnection1 = nullptr;
    Table* tblTemi = nullptr;
    Table* tblTest = nullptr;
    Table* tblTesting = nullptr;
    Table* tblResult = nullptr;
    Table* tblMedia = nullptr;
    DataSource DataSource1, DataSource2, DataSource3, DataSource4, DataSource5;
};
