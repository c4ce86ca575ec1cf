#pragma once

#include "forms/DataGridModel.h"

#include <QAbstractItemDelegate>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

class QLineEdit;
class Table;

// A data grid: the rows of a table object in columns under a title row, with
// an indicator column that marks the current row (an arrow while browsing,
// an edit mark while the row is being edited, an insert mark on a new row),
// and lines between rows and columns. The grid's current row is the table's
// current row: moving in the grid moves the table, and the grid follows every
// move of the table, whoever makes it.
//
// What the user can do:
//   arrows, PgUp/PgDn, Home/End, Ctrl+Home/Ctrl+End, Tab, a click on a cell
//   or on the indicator: move; leaving a row that was changed posts it
//   typing, F2 or a double click: opens the current cell for editing;
//   Enter ends the cell's edit and keeps its text in the row (not posted)
//   Esc: in an open cell abandons its text; otherwise abandons the changes
//   of the row, or the new row
//   Ins: a new row before the current one; Down on the last row: a new row
//   after the last; a new row to which nothing was typed is discarded when
//   it is left (moving away, or the focus going to another control of the
//   window)
//   Ctrl+Del: asks "Delete record?" and deletes the current row
//   dragging a title divider or a title: resizes or reorders the columns on
//   the screen only
// Every action that may write to the database runs as a handler through the
// default error report: a refusal is reported and the row stays as it was.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    enum class Mark { None, Current, Editing, Inserting };

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // Shows the table's rows in the columns. Each column is as wide as its
    // field's values take in digits of the grid's font, and at least as wide
    // as its title.
    void bind(Table* table, const QList<DataGridColumn>& columns);
    Table* table() const;
    DataGridModel* gridModel() const { return m_model; }

    // The mark of the indicator column at the row.
    Mark markAt(int row) const;
    // The open cell editor, null when no cell is open.
    QLineEdit* cellEditor() const;

    // Puts the text of the open cell into the current row and closes the
    // cell. Throws the field's refusal; the cell then stays open with the
    // text. Nothing when no cell is open.
    void updateRecord();

    // The height of a row, the title row's included.
    int rowHeight() const { return m_rowHeight; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void changeEvent(QEvent* event) override;

private:
    friend class DataGridDelegate;
    friend class DataGridIndicator;

    void followTable();
    void sizeRows();
    void sizeColumns();
    void goToRow(int row);
    void moveToRow(int row);
    void cellTyped();
    void focusLeftGrid();
    void onFocusChanged(QWidget* old, QWidget* now);
    bool contains(const QWidget* widget) const;

    // The handlers of the keys.
    void cancelRow();
    void insertRow();
    void appendRow();
    void deleteRow();

    DataGridModel* m_model = nullptr;
    QPointer<QLineEdit> m_editor;
    QPersistentModelIndex m_editorIndex;
    bool m_refused = false;   // the open cell's text was refused by its field
    bool m_following = false; // the grid puts its current cell where the table stands
    int m_rowHeight = 0;
};
