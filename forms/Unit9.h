#pragma once

#include "forms/Form.h"

class DataGrid;
class DataNavigator;
class Table;

// Results register: the stored results of all test runs (table "result"),
// in a grid with a record navigator above it, where the teacher browses,
// corrects and deletes them. The window has no handlers of its own: the grid
// and the navigator do everything, on the test window's tblResult (its
// DataSource4).
class TForm9 : public Form {
    Q_OBJECT
public:
    // On the test window's DataSource4, which is made before this window.
    explicit TForm9(QWidget* parent = nullptr);
    // On the given results table.
    explicit TForm9(Table* results, QWidget* parent = nullptr);

    DataNavigator* DBNavigator1 = nullptr;
    DataGrid* DBGrid1 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();
};
