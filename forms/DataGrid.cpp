#include "forms/DataGrid.h"

#include "data/Table.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// Width of the indicator column.
constexpr int kIndicatorWidth = 12;

// The indicator's marks, drawn around the centre of the section.
void drawMark(QPainter* painter, const QRect& rect, DataGrid::Mark mark, const QColor& color)
{
    if (mark == DataGrid::Mark::None)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(color);
    painter->setBrush(color);
    const int x = rect.left() + rect.width() / 2;
    const int y = rect.top() + rect.height() / 2;
    switch (mark) {
    case DataGrid::Mark::Current: {
        // A small arrow pointing at the row.
        const QPoint arrow[] = {{x - 2, y - 4}, {x + 2, y}, {x - 2, y + 4}};
        painter->drawPolygon(arrow, 3);
        break;
    }
    case DataGrid::Mark::Editing:
        // A text cursor: an upright stroke with serifs.
        painter->drawLine(x, y - 4, x, y + 4);
        painter->drawLine(x - 2, y - 5, x - 1, y - 5);
        painter->drawLine(x + 1, y - 5, x + 2, y - 5);
        painter->drawLine(x - 2, y + 5, x - 1, y + 5);
        painter->drawLine(x + 1, y + 5, x + 2, y + 5);
        break;
    case DataGrid::Mark::Inserting:
        // An asterisk.
        painter->drawLine(x, y - 4, x, y + 4);
        painter->drawLine(x - 3, y - 2, x + 3, y + 2);
        painter->drawLine(x - 3, y + 2, x + 3, y - 2);
        break;
    case DataGrid::Mark::None:
        break;
    }
    painter->restore();
}

// A key that only changes what the next key means (Shift, Ctrl, Alt, the
// locks, the dead keys and Compose of accented letters): pressed alone it is
// no action of the grid's.
bool isModifierKey(int key)
{
    if (key >= Qt::Key_Dead_Grave && key <= Qt::Key_Dead_Longsolidusoverlay)
        return true;
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch: // the group shift of some keyboard layouts
    case Qt::Key_Multi_key:
        return true;
    default:
        return false;
    }
}

} // namespace

// The cell editor: a line edit. What the user types starts editing the row
// (the edit mark appears); only a text the user changed is written into the
// row when the cell closes, and a text the field refuses keeps the cell open.
class DataGridDelegate : public QStyledItemDelegate {
public:
    explicit DataGridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        QObject::connect(editor, &QLineEdit::textEdited, m_grid, &DataGrid::cellTyped);
        m_grid->m_editor = editor;
        m_grid->m_editorIndex = index;
        m_grid->m_refused = false;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* edit = static_cast<QLineEdit*>(editor);
        if (edit->isModified())
            return; // what the user typed stays
        const QString text = index.data(Qt::EditRole).toString();
        // At most as many characters as the field takes, never fewer than it holds.
        const int width = m_grid->m_model ? m_grid->m_model->displayWidth(index.column()) : 0;
        edit->setMaxLength(width > 0 ? std::max(width, int(text.size())) : 32767);
        edit->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* edit = static_cast<QLineEdit*>(editor);
        if (!edit->isModified())
            return;
        if (model->setData(index, edit->text(), Qt::EditRole))
            edit->setModified(false);
        else
            m_grid->m_refused = true;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (m_grid->m_editor == editor) {
            m_grid->m_editor = nullptr;
            m_grid->m_editorIndex = QPersistentModelIndex();
        }
        QStyledItemDelegate::destroyEditor(editor, index);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        // The cell stays open when the focus leaves it: for another window,
        // a message box, or the grid itself when a click moves to another
        // cell. The grid puts the text into the row when it leaves the cell
        // (DataGrid::updateRecord), once.
        if (event->type() == QEvent::FocusOut)
            return false;
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    DataGrid* m_grid;
};

// The indicator column: the grid's row header, marking the current row. A
// click on it moves to its row.
class DataGridIndicator : public QHeaderView {
public:
    explicit DataGridIndicator(DataGrid* grid) : QHeaderView(Qt::Vertical, grid), m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
    }

    QSize sizeHint() const override { return {kIndicatorWidth, m_grid->rowHeight()}; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        // The section's face; it leaves the painter clipped to its (empty) text room.
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        drawMark(painter, rect, m_grid->markAt(logicalIndex), palette().color(QPalette::ButtonText));
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const int row = logicalIndexAt(event->position().toPoint());
        if (row >= 0)
            m_grid->goToRow(row);
    }
    void mouseMoveEvent(QMouseEvent*) override {}
    void mouseReleaseEvent(QMouseEvent*) override {}
    void mouseDoubleClickEvent(QMouseEvent*) override {}

private:
    DataGrid* m_grid;
};

// ---- the grid ------------------------------------------------------------------------

DataGrid::DataGrid(QWidget* parent) : QTableView(parent)
{
    setVerticalHeader(new DataGridIndicator(this));
    setItemDelegate(new DataGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);

    QHeaderView* titles = horizontalHeader();
    titles->setSectionsMovable(true);
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    connect(qApp, &QApplication::focusChanged, this, &DataGrid::onFocusChanged);
    sizeRows();
}

DataGrid::~DataGrid() = default;

void DataGrid::bind(Table* table, const QList<DataGridColumn>& columns)
{
    DataGridModel* old = m_model;
    m_model = new DataGridModel(table, columns, this);
    setModel(m_model);
    delete old;
    connect(m_model, &DataGridModel::followed, this, &DataGrid::followTable);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataGrid::sizeColumns);
    sizeColumns();
    followTable();
}

Table* DataGrid::table() const { return m_model ? m_model->table() : nullptr; }

QLineEdit* DataGrid::cellEditor() const { return m_editor.data(); }

DataGrid::Mark DataGrid::markAt(int row) const
{
    if (!m_model || row < 0 || row != m_model->currentRow() || m_model->isBlankRow(row))
        return Mark::None;
    switch (table()->state()) {
    case Table::State::Edit:
        return Mark::Editing;
    case Table::State::Insert:
        return Mark::Inserting;
    default:
        return Mark::Current;
    }
}

// ---- sizes ---------------------------------------------------------------------------

void DataGrid::sizeRows()
{
    m_rowHeight = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(m_rowHeight);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    horizontalHeader()->setFixedHeight(m_rowHeight + 2);
}

void DataGrid::sizeColumns()
{
    if (!m_model)
        return;
    const QFontMetrics cells(font());
    // The room a cell leaves around its text, and a line.
    const int cellMargin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    const int digit = cells.horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int values = digit * m_model->displayWidth(c) + cellMargin;
        const int title = horizontalHeader()->sectionSizeHint(c);
        setColumnWidth(c, std::max(values, title));
    }
}

void DataGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        sizeRows();
        sizeColumns();
    }
}

// ---- the current row -----------------------------------------------------------------

void DataGrid::followTable()
{
    if (!m_model)
        return;
    const int row = m_model->currentRow();
    if (m_editor && m_editorIndex.isValid() && m_editorIndex.row() != row) {
        // The table moved away from the open cell: its text goes.
        m_refused = false;
        QTableView::closeEditor(m_editor, QAbstractItemDelegate::RevertModelCache);
    }
    QModelIndex target;
    if (row >= 0) {
        const QModelIndex current = currentIndex();
        const int column = current.isValid() ? current.column() : std::max(horizontalHeader()->logicalIndex(0), 0);
        target = m_model->index(row, column);
    }
    if (target != currentIndex()) {
        const QScopedValueRollback<bool> following(m_following, true);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    }
    verticalHeader()->viewport()->update();
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    m_refused = false;
    // Puts the text of a cell left open into the row and closes the cell.
    QTableView::currentChanged(current, previous);
    if (m_following || !m_model || m_model->following())
        return;
    if (current.isValid() && !m_refused && current.row() != m_model->currentRow()) {
        const int row = current.row();
        ErrorReport::run([&] { moveToRow(row); });
    }
    // Where the table stands now: the row moved to, or, when the move or the
    // cell's text was refused, the row left.
    followTable();
}

void DataGrid::goToRow(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex current = currentIndex();
    const int column = current.isValid() ? current.column() : std::max(horizontalHeader()->logicalIndex(0), 0);
    setCurrentIndex(m_model->index(row, column));
}

void DataGrid::moveToRow(int row)
{
    // A changed row left is posted; an untouched new row left is discarded.
    const int position = m_model->positionOf(row);
    if (position >= 0)
        table()->moveTo(position);
}

// ---- cell editing --------------------------------------------------------------------

void DataGrid::cellTyped()
{
    ErrorReport::run([this] {
        Table* t = table();
        if (t && t->active())
            t->edit();
    });
}

void DataGrid::commitData(QWidget* editor)
{
    m_refused = false;
    QTableView::commitData(editor);
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (hint == QAbstractItemDelegate::RevertModelCache) {
        m_refused = false;
    } else if (m_refused && editor == m_editor) {
        // The field refused the text: the cell stays open with it.
        editor->setFocus();
        return;
    }
    QTableView::closeEditor(editor, hint);
}

void DataGrid::updateRecord()
{
    QLineEdit* editor = m_editor;
    if (!editor)
        return;
    if (editor->isModified()) {
        m_model->writeCell(m_editorIndex.column(), editor->text());
        editor->setModified(false);
    }
    m_refused = false;
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

// ---- keys ----------------------------------------------------------------------------

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    // Shift before a capital, Ctrl before Ctrl+A, Caps Lock: the open cell
    // (which passed the key on) stays open with its text, and a closed one
    // stays closed.
    if (isModifierKey(key)) {
        event->ignore();
        return;
    }
    const bool cellKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab ||
                         key == Qt::Key_Backtab;
    if (m_editor && m_editor->hasFocus() && !cellKey) {
        // A key the open cell does not take (Up, Down, PgUp, PgDn): the
        // cell's text goes into the row first; a refused text keeps the cell
        // open and ends the key. (Enter, Esc and Tab close the cell their
        // own way.)
        bool closed = false;
        ErrorReport::run([&] {
            updateRecord();
            closed = true;
        });
        if (!closed) {
            event->accept();
            return;
        }
    }
    if (m_model) {
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        void (DataGrid::*handler)() = nullptr;
        switch (event->key()) {
        case Qt::Key_Escape:
            if (modifiers == Qt::NoModifier)
                handler = &DataGrid::cancelRow;
            break;
        case Qt::Key_Insert:
            if (modifiers == Qt::NoModifier)
                handler = &DataGrid::insertRow;
            break;
        case Qt::Key_Delete:
            if (modifiers == Qt::ControlModifier)
                handler = &DataGrid::deleteRow;
            break;
        case Qt::Key_Down:
            if (modifiers == Qt::NoModifier && currentIndex().isValid() &&
                currentIndex().row() == m_model->rowCount() - 1)
                handler = &DataGrid::appendRow;
            break;
        default:
            break;
        }
        if (handler) {
            ErrorReport::run([&] { (this->*handler)(); });
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex target = QTableView::moveCursor(action, modifiers);
    // Ctrl+Home and Ctrl+End move to the first and the last row and stay in
    // the column.
    const QModelIndex current = currentIndex();
    if ((action == MoveHome || action == MoveEnd) && (modifiers & Qt::ControlModifier) && target.isValid() &&
        current.isValid())
        return target.siblingAtColumn(current.column());
    return target;
}

void DataGrid::cancelRow()
{
    Table* t = table();
    if (t && t->active() && t->state() != Table::State::Browse)
        t->cancel();
}

void DataGrid::insertRow()
{
    Table* t = table();
    if (!t || !t->active())
        return;
    updateRecord();
    t->insert();
}

void DataGrid::appendRow()
{
    Table* t = table();
    if (!t || !t->active())
        return;
    updateRecord();
    // A new row at the end that is still untouched stays the only one.
    if (t->state() == Table::State::Insert && !t->modified())
        return;
    t->append();
}

void DataGrid::deleteRow()
{
    Table* t = table();
    if (!t || !t->active() || t->recordCount() == 0)
        return;
    if (!Platform::messages().confirm(window(), QStringLiteral("Delete record?")))
        return;
    t->remove();
}

// ---- the focus leaving the grid --------------------------------------------------------

bool DataGrid::contains(const QWidget* widget) const { return widget && (widget == this || isAncestorOf(widget)); }

void DataGrid::onFocusChanged(QWidget* old, QWidget* now)
{
    // Only a move to another control of the same window leaves the grid;
    // another window or a message box taking the focus does not.
    if (!contains(old) || !now || contains(now) || now->window() != window())
        return;
    ErrorReport::run([this] { focusLeftGrid(); });
}

void DataGrid::focusLeftGrid()
{
    updateRecord();
    Table* t = table();
    if (t && t->active() && t->state() == Table::State::Insert && !t->modified())
        t->cancel();
}
