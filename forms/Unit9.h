#pragma once

#include "forms/Form.h"

class DataGrid;
class DataNavigator;
struct DataGridColumn;
class QAction;
class Table;

// Results register: the stored results of all test runs (table "result"),
// in a grid with a record navigator above it, where the teacher browses,
// corrects and deletes them. The window has no handlers of its own: the grid
// and the navigator do everything, on the test window's tblResult (its
// DataSource4).
//
// Beyond them, the grid's context menu and two keys take the register out:
// "Сохранить в CSV…" (Ctrl+S) writes the rows it shows to a spreadsheet file,
// "Печать…" (Ctrl+P) prints them as a table, with a preview. A right click in
// the grid opens the menu and leaves the current row where it is.
class TForm9 : public Form {
    Q_OBJECT
public:
    // On the test window's DataSource4, which is made before this window.
    explicit TForm9(QWidget* parent = nullptr);
    // On the given results table.
    explicit TForm9(Table* results, QWidget* parent = nullptr);

    DataNavigator* DBNavigator1 = nullptr;
    DataGrid* DBGrid1 = nullptr;

    // The grid's context menu, in order, with their keys.
    QAction* SaveCsvAction = nullptr;
    QAction* PrintAction = nullptr;
    QAction* StatisticsAction = nullptr;

    // "Сохранить в CSV…": asks for a file and writes the rows the grid shows
    // (stored rows, a row being edited with its changes, not a new row that
    // is still pending), in the grid's column order under its titles, and
    // says in a notice where the file went.
    void SaveCsvActionExecute();
    // "Печать…": the same rows as a printed table, through a preview and the
    // system print dialog.
    void PrintActionExecute();
    // "Статистика…" (Ctrl+T): the statistics of the questions (forms/Unit11.h).
    void StatisticsActionExecute();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();
    void createMenu();
    // The grid's columns (field and title) in their order on the screen.
    QList<DataGridColumn> shownColumns() const;
    // The rows the grid shows: the table's rows, a row being edited with
    // its changes, not a pending new row.
    qint64 shownRowCount() const;
};
