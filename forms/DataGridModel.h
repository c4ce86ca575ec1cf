#pragma once

#include "data/Table.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>

// One column of a data grid: the field it shows and its title.
struct DataGridColumn {
    QString field;
    QString title;
};

// The rows of a table object as a data grid shows them: every visible row,
// in the table's order, one column per field named; while a new row is
// pending it stands where the table shows it; an open table without rows
// shows one blank row; a closed one none.
//
// The model never changes the table on its own and holds no values: it reads
// them from the table for the cells on screen. It follows the table's
// signals, which come after the table has changed (and, for a posted or
// deleted row, after the database has taken the change), and tells its views
// what moved: a pending row that appears or goes, a posted row that moves to
// the end, a deleted row. Until it has told them, it keeps answering in the
// shape its views knew. Anything else (opening, closing, filtering) resets it.
class DataGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DataGridModel(Table* table, QList<DataGridColumn> columns, QObject* parent = nullptr);

    Table* table() const { return m_table; }
    const QList<DataGridColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the text into the cell's field of the table's current row
    // (writeCell); a value the field refuses is shown through the default
    // error report and false is returned.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The row of the table's current row: the pending new row while one is
    // pending, the blank row of an empty table; -1 while the table is closed.
    int currentRow() const;
    // The row of the pending new row, -1 when there is none.
    int pendingRow() const { return m_pending; }
    bool isBlankRow(int row) const { return m_blank && row == 0; }
    // The table's position of the row shown at row, as Table::moveTo takes
    // it (the pending row is not counted); -1 for the pending and the blank
    // row.
    int positionOf(int row) const;

    // Puts the text into the field of the column, in the table's current
    // row: starts editing the row (a new row when the table is empty) and
    // writes the field, which converts the text to its type. Throws the
    // table's Error when the text is refused; the row then stays in editing.
    void writeCell(int column, const QString& text);

    // The characters a value of the column's field takes when shown
    // (Table::displayWidth); 0 while the table is closed or lacks the field.
    int displayWidth(int column) const;

    // While the model takes in a change of the table: its rows may be on the
    // move, and the views' current cell with them.
    bool following() const { return m_following; }

signals:
    // The model has taken in a change of the table: of its rows, of its
    // current row or of its state.
    void followed();

private:
    void follow(bool valuesChanged);
    void reset();
    void rowsChanged(int first, int last);
    void addPendingRow(int row);
    void dropPendingRow();
    void pendingRowPosted();
    void recordRemoved(int position);
    QString textAt(int row, const QString& field) const;

    QPointer<Table> m_table;
    QList<DataGridColumn> m_columns;

    // The shape the views know; see positionOf().
    bool m_active = false;
    int m_records = 0;  // the table's rows, the pending row not counted
    int m_pending = -1; // row of the pending new row
    bool m_blank = false;
    int m_rows = 0;     // rowCount()
    int m_removed = -1; // while a deleted row leaves: its row
    int m_current = -1; // the table's current position when last followed

    bool m_following = false;
};
