#include "forms/QuestionTree.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

// --- nodes -------------------------------------------------------------------

void NumberedNodes::setCount(int count)
{
    count = std::max(count, 0);
    if (count == m_count)
        return;
    beginResetModel();
    m_count = count;
    endResetModel();
}

int NumberedNodes::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_count; }

QVariant NumberedNodes::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_count)
        return QVariant();
    return QString::number(index.row() + 1);
}

// --- tree --------------------------------------------------------------------

namespace {

bool isMoveKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// The current node carries the focus frame only while it is highlighted: a
// tree in which no node is selected shows no node as the one in hand.
class NodeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem node(option);
        if (!(node.state & QStyle::State_Selected))
            node.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, node, index);
    }
};

} // namespace

QuestionTree::QuestionTree(QWidget* parent) : QTreeView(parent), m_nodes(new NumberedNodes(this))
{
    setModel(m_nodes);
    setUniformRowHeights(true);
    setFrameShape(QFrame::NoFrame);
    setHeaderHidden(true);
    setIndentation(19);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // the numbers always fit
    setRootIsDecorated(true); // root nodes stand one indent in, as in a tree with root lines
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new NodeDelegate(this));
}

int QuestionTree::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString QuestionTree::selectedText() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : m_nodes->index(row, 0).data().toString();
}

void QuestionTree::keyPressEvent(QKeyEvent* event)
{
    // A key that moves the highlight shows the node it moved to, as a click
    // would: the question on the screen is always the highlighted one.
    const int before = selectedRow();
    QTreeView::keyPressEvent(event);
    int after = selectedRow();
    // Home (or Up, PgUp…) on a tree whose current node is not highlighted,
    // as when the keyboard has just come in, stays on that node: it is
    // highlighted and shown all the same, so that the keyboard reaches the
    // first question too.
    const QModelIndex current = currentIndex();
    if (after < 0 && isMoveKey(event->key()) && current.isValid()) {
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        after = selectedRow();
    }
    if (after >= 0 && after != before)
        emit click();
}

void QuestionTree::mousePressEvent(QMouseEvent* event)
{
    // Another button would move the highlight to a node without showing its
    // question.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void QuestionTree::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton && !(event->buttons() & Qt::LeftButton)) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void QuestionTree::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
    if (viewport()->rect().contains(event->position().toPoint()))
        emit click();
}

void QuestionTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void QuestionTree::selectRow(int row)
{
    const QModelIndex index = model()->index(row, 0);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}
