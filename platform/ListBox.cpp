#include "platform/ListBox.h"

ListBox::ListBox(QWidget* parent) : QListWidget(parent) { setSelectionMode(QAbstractItemView::SingleSelection); }

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // The user's input (an event) never takes the selected line away: not
    // beside the lines, not with Ctrl on the selected line.
    if (!event || selectionMode() != QAbstractItemView::SingleSelection || !selectionModel()->hasSelection())
        return command;
    if (!index.isValid() || (command & QItemSelectionModel::Deselect))
        return QItemSelectionModel::NoUpdate;
    return command;
}
