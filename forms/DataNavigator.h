#pragma once

#include "data/Table.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class QToolButton;

// A record navigator: five picture buttons side by side, sharing the width
// equally, that move a table object to its first, prior, next and last row
// and delete its current row after the question "Delete record?".
//
// First and prior are enabled while the table does not stand at its
// beginning, next and last while it does not stand at its end, delete while
// it is open and holds a row; all are disabled while it is closed. The
// buttons follow every change of the table's rows, current row and state.
// The buttons take no focus, so a grid beside them keeps it.
class DataNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Delete };
    static constexpr int kButtons = 5;

    explicit DataNavigator(QWidget* parent = nullptr);

    void setTable(Table* table);
    Table* table() const { return m_table; }
    QToolButton* button(Button which) const { return m_buttons[which]; }

    // Runs before every action, inside it: a data-aware control puts what is
    // being typed into the row (DataGrid::updateRecord). An error it throws
    // ends the action.
    void setUpdateRecord(std::function<void()> updateRecord) { m_updateRecord = std::move(updateRecord); }

    // The action of a button, as a click runs it (through the default error
    // report).
    void click(Button which);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void act(Button which);
    void updateButtons();
    void arrange();

    QPointer<Table> m_table;
    std::array<QToolButton*, kButtons> m_buttons{};
    std::function<void()> m_updateRecord;
};
