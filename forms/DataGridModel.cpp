#include "forms/DataGridModel.h"

#include "data/Table.h"
#include "data/Value.h"
#include "platform/Error.h"
#include "platform/ErrorReport.h"

#include <QScopedValueRollback>

#include <utility>

DataGridModel::DataGridModel(Table* table, QList<DataGridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_columns(std::move(columns))
{
    if (m_table) {
        // Values change only with dataChanged; a move or the start of an
        // edit leaves them as they were.
        connect(m_table, &Table::dataChanged, this, [this] { follow(true); });
        connect(m_table, &Table::currentChanged, this, [this] { follow(false); });
        connect(m_table, &Table::stateChanged, this, [this] { follow(false); });
        connect(m_table, &QObject::destroyed, this, [this] { follow(false); });
    }
    reset();
}

// ---- the shape -------------------------------------------------------------------

int DataGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int DataGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

int DataGridModel::positionOf(int row) const
{
    if (row < 0 || row >= m_rows || m_blank || row == m_pending || row == m_removed)
        return -1;
    int position = row;
    if (m_pending >= 0 && row > m_pending)
        --position;
    if (m_removed >= 0 && row > m_removed)
        --position;
    return position;
}

int DataGridModel::currentRow() const
{
    if (!m_active)
        return -1;
    if (m_pending >= 0)
        return m_pending;
    if (m_blank)
        return 0;
    return m_table->currentIndex();
}

// ---- values ----------------------------------------------------------------------

QString DataGridModel::textAt(int row, const QString& field) const
{
    QVariant v;
    if (row == m_pending) {
        // Between the end of the pending row and the moment the views hear
        // of it, the row has no values of its own.
        if (m_table->state() == Table::State::Insert)
            v = m_table->value(field);
    } else {
        const int position = positionOf(row);
        if (position >= 0)
            v = m_table->valueAt(position, field);
    }
    return v.isNull() ? QString() : value::toText(v);
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= int(m_columns.size()))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (!m_active || !m_table || !m_table->active() || m_blank)
        return QString();
    try {
        return textAt(index.row(), m_columns[index.column()].field);
    } catch (const std::exception&) {
        // A column whose field the table lacks shows nothing; the views
        // cannot take an error here.
        return QString();
    }
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < int(m_columns.size()))
        return m_columns[section].title;
    return {};
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_active)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() >= int(m_columns.size()))
        return false;
    bool written = false;
    ErrorReport::run([&] {
        writeCell(index.column(), value.toString());
        written = true;
    });
    return written;
}

void DataGridModel::writeCell(int column, const QString& text)
{
    if (!m_table)
        return;
    m_table->edit();
    m_table->setValue(m_columns.at(column).field, text);
}

int DataGridModel::displayWidth(int column) const
{
    if (!m_table || !m_table->active())
        return 0;
    const QString& field = m_columns.at(column).field;
    for (const QString& name : m_table->fieldNames()) {
        if (name.compare(field, Qt::CaseInsensitive) == 0)
            return m_table->displayWidth(field);
    }
    return 0;
}

// ---- following the table ---------------------------------------------------------

void DataGridModel::follow(bool valuesChanged)
{
    if (m_following)
        return;
    {
        const QScopedValueRollback<bool> following(m_following, true);
        const bool active = m_table && m_table->active();
        if (active != m_active) {
            reset();
        } else if (active) {
            const int records = m_table->recordCount();
            const int pending = m_table->pendingInsertIndex();
            const int grown = records - m_records;
            if (grown == 0 && pending == m_pending) {
                if (valuesChanged)
                    rowsChanged(0, m_rows - 1);
            } else if (grown == 0) {
                // A new row began or ended (or both: one ended, another began).
                if (m_pending >= 0)
                    dropPendingRow();
                if (pending >= 0)
                    addPendingRow(pending);
            } else if (grown == 1 && m_pending >= 0 && pending < 0) {
                pendingRowPosted();
            } else if (grown == -1 && m_pending < 0 && pending < 0 && m_current >= 0 && m_current <= records) {
                // Only the current row is ever deleted.
                recordRemoved(m_current);
            } else {
                reset();
            }
        }
        m_current = m_active && m_pending < 0 ? m_table->currentIndex() : -1;
    }
    emit followed();
}

void DataGridModel::reset()
{
    beginResetModel();
    m_active = m_table && m_table->active();
    m_records = m_active ? m_table->recordCount() : 0;
    m_pending = m_active ? m_table->pendingInsertIndex() : -1;
    m_blank = m_active && m_records == 0 && m_pending < 0;
    m_rows = m_active ? std::max(m_records + (m_pending >= 0 ? 1 : 0), 1) : 0;
    m_removed = -1;
    m_current = m_active && m_pending < 0 ? m_table->currentIndex() : -1;
    endResetModel();
}

void DataGridModel::rowsChanged(int first, int last)
{
    if (first > last || m_columns.isEmpty())
        return;
    emit dataChanged(index(first, 0), index(last, int(m_columns.size()) - 1), {Qt::DisplayRole, Qt::EditRole});
}

void DataGridModel::addPendingRow(int row)
{
    if (m_blank) {
        // The blank row of the empty table becomes the new row.
        m_blank = false;
        m_pending = 0;
        rowsChanged(0, 0);
        return;
    }
    beginInsertRows(QModelIndex(), row, row);
    m_pending = row;
    ++m_rows;
    endInsertRows();
}

void DataGridModel::dropPendingRow()
{
    if (m_records == 0) {
        // The empty table's new row becomes its blank row again.
        m_pending = -1;
        m_blank = true;
        rowsChanged(0, 0);
        return;
    }
    const int row = m_pending;
    beginRemoveRows(QModelIndex(), row, row);
    m_pending = -1;
    --m_rows;
    endRemoveRows();
}

void DataGridModel::pendingRowPosted()
{
    // The posted row stands after every other row, at position m_records.
    const int row = m_pending;
    const int end = m_records;
    if (row == end) {
        m_pending = -1;
        ++m_records;
        rowsChanged(row, row);
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_pending = -1;
    --m_rows;
    endRemoveRows();
    beginInsertRows(QModelIndex(), end, end);
    ++m_records;
    ++m_rows;
    endInsertRows();
}

void DataGridModel::recordRemoved(int position)
{
    if (m_records == 1) {
        // The last row goes: the blank row of the empty table takes its place.
        m_records = 0;
        m_blank = true;
        rowsChanged(0, 0);
        return;
    }
    m_removed = position;
    beginRemoveRows(QModelIndex(), position, position);
    m_removed = -1;
    --m_records;
    --m_rows;
    endRemoveRows();
}
