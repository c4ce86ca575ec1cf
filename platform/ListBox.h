#pragma once

#include <QListWidget>

// A list box of single selection as the program's windows use it: once a
// line has been chosen, one line stays selected. A click beside the lines,
// or Ctrl with a click or the space bar on the selected line, leaves the
// selection as it is; only the program itself clears it.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
};
