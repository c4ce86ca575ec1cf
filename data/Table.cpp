#include "data/Table.h"

#include "data/Connection.h"
#include "data/Engine.h"
#include "data/SqlError.h"
#include "data/Value.h"
#include "platform/HandlerScope.h"
#include "platform/Error.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <vector>

namespace {

// How a column's values are held in memory and converted when written.
enum class Kind { Text, Integer, Real, Date, Other };

Kind kindOf(const QString& declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.contains(QLatin1String("INT")))
        return Kind::Integer;
    if (t.contains(QLatin1String("DATE")))
        return Kind::Date;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return Kind::Text;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB")))
        return Kind::Real;
    return Kind::Other;
}

const QString& stringOf(const QVariant& v) { return *static_cast<const QString*>(v.constData()); }

QString quoted(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// A value as read from the engine, in the form the windows see it.
QVariant fromEngine(Kind kind, QVariant v)
{
    if (v.isNull())
        return QVariant();
    switch (kind) {
    case Kind::Integer:
        if (v.typeId() != QMetaType::LongLong && value::isIntegral(v.typeId()))
            return QVariant(v.toLongLong());
        return v;
    case Kind::Date:
        // Only a text that the date gives back when written again, so that
        // a held value still finds its row.
        if (v.typeId() == QMetaType::QString) {
            const QDate d = QDate::fromString(stringOf(v), Qt::ISODate);
            if (d.isValid() && d.toString(Qt::ISODate) == stringOf(v))
                return QVariant(d);
        }
        return v;
    default:
        return v;
    }
}

// A value as it is bound to a statement.
QVariant toEngine(const QVariant& v)
{
    if (v.isNull())
        return QVariant();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return QVariant(v.toDate().toString(Qt::ISODate));
    case QMetaType::QDateTime:
        return QVariant(v.toDateTime().toString(Qt::ISODate));
    case QMetaType::Bool:
        return QVariant(qlonglong(v.toBool() ? 1 : 0));
    case QMetaType::QString:
        // The engine's driver binds a null string as NULL; a text is never absent.
        if (v.toString().isNull())
            return QVariant(QStringLiteral(""));
        return v;
    default:
        return v;
    }
}

QDate dateFromText(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* format : {"dd.MM.yyyy", "d.M.yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(t, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return QDate();
}

// A value written into a field, converted to the field's kind; throws the
// conversion error when the value cannot stand in the field.
QVariant toFieldKind(Kind kind, const QVariant& v)
{
    if (v.isNull())
        return QVariant();
    const int type = v.typeId();
    switch (kind) {
    case Kind::Text:
        return QVariant(value::toText(v));
    case Kind::Integer: {
        if (value::isIntegral(type))
            return QVariant(v.toLongLong());
        const QString text = value::toText(v).trimmed();
        if (text.isEmpty())
            return QVariant();
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        if (!ok)
            throw Error(QStringLiteral("'%1' is not a valid integer value").arg(value::toText(v)));
        return QVariant(n);
    }
    case Kind::Real: {
        if (value::isIntegral(type) || type == QMetaType::Double || type == QMetaType::Float)
            return QVariant(v.toDouble());
        const QString text = value::toText(v).trimmed();
        if (text.isEmpty())
            return QVariant();
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (!ok)
            throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(value::toText(v)));
        return QVariant(d);
    }
    case Kind::Date: {
        if (type == QMetaType::QDate)
            return v;
        if (type == QMetaType::QDateTime)
            return QVariant(v.toDateTime().date());
        const QString text = value::toText(v);
        if (text.trimmed().isEmpty())
            return QVariant();
        const QDate d = dateFromText(text);
        if (!d.isValid())
            throw Error(QStringLiteral("'%1' is not a valid date").arg(text));
        return QVariant(d);
    }
    case Kind::Other:
        return v;
    }
    return v;
}

// The filter text the program uses:  field='text'  with every quote inside
// the text doubled, or  field=number,  blanks allowed around the parts. Read
// by hand, so that a text of any length is understood. False for any other
// form.
bool parseFilterText(const QString& text, QString* field, QVariant* value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    const auto isLetter = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };

    skipBlanks();
    const qsizetype nameStart = i;
    if (i == n || !isLetter(text[i]))
        return false;
    while (i < n && (isLetter(text[i]) || isDigit(text[i])))
        ++i;
    *field = text.mid(nameStart, i - nameStart);
    skipBlanks();
    if (i == n || text[i] != u'=')
        return false;
    ++i;
    skipBlanks();
    if (i < n && text[i] == u'\'') {
        QString literal;
        literal.reserve(n - i);
        for (++i;; ++i) {
            if (i == n)
                return false; // no closing quote
            if (text[i] != u'\'') {
                literal += text[i];
            } else if (i + 1 < n && text[i + 1] == u'\'') {
                literal += u'\'';
                ++i;
            } else {
                ++i;
                break;
            }
        }
        *value = QVariant(literal);
    } else {
        const qsizetype numberStart = i;
        if (i < n && text[i] == u'-')
            ++i;
        const qsizetype digitsStart = i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (i == digitsStart)
            return false;
        bool ok = false;
        const qlonglong number = QStringView(text).mid(numberStart, i - numberStart).toLongLong(&ok);
        if (!ok)
            return false;
        *value = QVariant(number);
    }
    skipBlanks();
    return i == n;
}

// A text for an error message: a very long one is cut short.
QString excerpt(const QString& text)
{
    constexpr qsizetype kShown = 200;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("…");
}

struct Row {
    qint64 rowid = 0;
    QVector<QVariant> values;
};

// The snapshot's rows, in one block of memory for quick walks. Removing the
// first row moves no other row: the test window empties its answer sheet
// from the first row on, one row at a time. The places of rows removed at
// the front are given back once they are as many as the rows held, so that
// emptying a table moves each row at most once.
class Rows {
public:
    size_t size() const { return m_rows.size() - m_first; }
    bool empty() const { return size() == 0; }
    Row& operator[](size_t i) { return m_rows[m_first + i]; }
    const Row& operator[](size_t i) const { return m_rows[m_first + i]; }
    auto begin() const { return m_rows.begin() + qsizetype(m_first); }
    auto end() const { return m_rows.end(); }

    void reserve(size_t n) { m_rows.reserve(m_first + n); }
    void push_back(Row row) { m_rows.push_back(std::move(row)); }
    void insert(size_t at, Row row) { m_rows.insert(m_rows.begin() + qsizetype(m_first + at), std::move(row)); }
    void erase(size_t at)
    {
        if (at > 0) {
            m_rows.erase(m_rows.begin() + qsizetype(m_first + at));
            return;
        }
        m_rows[m_first++] = Row();
        if (2 * m_first >= m_rows.size()) {
            m_rows.erase(m_rows.begin(), m_rows.begin() + qsizetype(m_first));
            m_first = 0;
        }
    }
    void clear()
    {
        m_rows.clear();
        m_first = 0;
    }

private:
    std::vector<Row> m_rows;
    size_t m_first = 0; // rows removed at the front, not yet given back
};

// The condition that finds a held row only while the database still holds
// it as it was read: its key and every value read. A row that another
// program removed or changed, or a new row that took over its key, fails it.
QString sameRow(const QStringList& fields, const Engine* engine)
{
    QString where = QStringLiteral("rowid = ?");
    for (const QString& f : fields)
        where += QStringLiteral(" AND ") + quoted(f) + u' ' + engine->sameValue() + QStringLiteral(" ?");
    return where;
}

void bindSameRow(QSqlQuery& q, const Row& row)
{
    q.addBindValue(row.rowid);
    for (const QVariant& v : row.values)
        q.addBindValue(toEngine(v));
}

} // namespace

struct Table::Queued {
    qint64 rowid;
    int hint; // where the row stood in the snapshot
    QVector<QVariant> before;
    QVector<QVariant> after;
    QVector<bool> written;
};

struct Table::Impl {
    bool active = false;
    State state = State::Inactive;

    QStringList fields;
    QVector<Kind> kinds;
    QVector<int> sizes;             // declared sizes, 0 when none
    QHash<QString, int> fieldIndex; // by lower-case name

    Rows rows;                   // the snapshot, in stored order
    std::vector<int> visible;    // indexes into rows, in order
    std::vector<int> visiblePos; // per row: its position in visible, or -1
    int cur = -1;                // position in visible

    QString filterText;
    bool filtered = false;
    int filterField = -1; // -1: every row passes
    QVariant filterValue;

    // The pending change.
    QVector<QVariant> pending;
    QVector<bool> written;
    bool anyWritten = false;
    int insertPos = -1; // where a pending new row is shown
    int savedCur = -1;  // the current row before insert began

    // The texts of the statements, made once: UPDATE and INSERT by the
    // written fields they send.
    QHash<QVector<bool>, QString> updateText;
    QHash<QVector<bool>, QString> insertText;
    QString readBackText;
    QString deleteText;
    QStringList types; // as the engine declares the columns

    // A walk's edited rows held back (Table::Batch), in the order posted.
    std::vector<Queued> queue;
    int batching = 0;
    bool openFailed = false; // open() was called and failed
    QHash<QVector<bool>, QString> batchText;
    bool readBack = true; // a posted row is read back from the file
    int keyAlias = -1;    // the field that is the row's own number, or -1

    // Equality look-up for integer fields: value -> first row holding it.
    // Built on the first locate by that field, dropped when rows change.
    std::vector<std::unique_ptr<QHash<qlonglong, int>>> intIndex;

    void dropIndexes()
    {
        for (auto& index : intIndex)
            index.reset();
    }

    void rebuildVisiblePos()
    {
        visiblePos.assign(rows.size(), -1);
        for (int i = 0; i < int(visible.size()); ++i)
            visiblePos[visible[i]] = i;
    }

    bool passes(const Row& row) const
    {
        if (filterField < 0)
            return true;
        const QVariant& v = row.values[filterField];
        if (v.typeId() == QMetaType::QString && filterValue.typeId() == QMetaType::QString)
            return stringOf(v) == stringOf(filterValue);
        return value::equal(v, filterValue);
    }

    void applyFilter()
    {
        visible.clear();
        visible.reserve(rows.size());
        for (int i = 0; i < int(rows.size()); ++i) {
            if (!filtered || passes(rows[i]))
                visible.push_back(i);
        }
        rebuildVisiblePos();
        cur = visible.empty() ? -1 : 0;
    }

    // Taking back the changes of a transaction that did not reach the file
    // (Connection::onRollback). They are taken back newest first, so each
    // finds the rows as they stood right after its change.

    int rowOf(qint64 rowid, int hint) const
    {
        if (hint >= 0 && hint < int(rows.size()) && rows[hint].rowid == rowid)
            return hint;
        for (int r = 0; r < int(rows.size()); ++r) {
            if (rows[r].rowid == rowid)
                return r;
        }
        return -1;
    }

    int currentRow() const { return cur >= 0 && cur < int(visible.size()) ? visible[cur] : -1; }

    // After rows came or went: the row `keep` stays current when visible.
    void rowsMoved(int keep)
    {
        rebuildVisiblePos();
        dropIndexes();
        const int n = int(visible.size());
        if (keep >= 0 && visiblePos[keep] >= 0)
            cur = visiblePos[keep];
        else
            cur = n == 0 ? -1 : std::clamp(cur, 0, n - 1);
    }

    void takeBackInsert(qint64 rowid, int hint)
    {
        const int r = rowOf(rowid, hint);
        if (r < 0)
            return;
        int keep = currentRow();
        if (state == State::Edit && keep == r) {
            pending.clear();
            written.clear();
            anyWritten = false;
            state = State::Browse;
        }
        rows.erase(r);
        std::vector<int> kept;
        kept.reserve(visible.size());
        for (int i : visible) {
            if (i != r)
                kept.push_back(i > r ? i - 1 : i);
        }
        visible = std::move(kept);
        keep = keep == r ? -1 : (keep > r ? keep - 1 : keep);
        rowsMoved(keep);
    }

    void takeBackUpdate(qint64 rowid, int hint, const QVector<QVariant>& before)
    {
        const int r = rowOf(rowid, hint);
        if (r < 0)
            return;
        rows[r].values = before;
        dropIndexes();
    }

    void takeBackDelete(int index, const Row& row)
    {
        int keep = currentRow();
        const int r = std::clamp(index, 0, int(rows.size()));
        rows.insert(r, row);
        for (int& i : visible) {
            if (i >= r)
                ++i;
        }
        if (keep >= r)
            ++keep;
        if (!filtered || passes(rows[r]))
            visible.insert(std::lower_bound(visible.begin(), visible.end(), r), r);
        rowsMoved(keep);
    }
};

Table::Table(const QString& objectName, Connection* connection, const QString& tableName, QObject* parent)
    : QObject(parent), m_tableName(tableName), m_connection(connection), d(std::make_unique<Impl>())
{
    setObjectName(objectName);
}

Table::~Table()
{
    // Writes still held back go nowhere now.
    for (Connection* c : {m_connection.data(), m_store.data()})
        if (c)
            c->undefer(this);
}

// ---- helpers ---------------------------------------------------------------

namespace {

[[noreturn]] void raise(const QObject* object, const QString& text)
{
    throw Error(object->objectName() + QStringLiteral(": ") + text);
}

void requireActive(const QObject* object, bool active)
{
    if (!active)
        raise(object, QStringLiteral("Cannot perform this operation on a closed dataset"));
}

} // namespace

void Table::openAtNextUse()
{
    if (!d->active)
        d->openFailed = true;
}

void Table::requireOpen()
{
    if (!d->active && d->openFailed && m_connection->server())
        open();
    requireActive(this, d->active);
}

// ---- open and close ----------------------------------------------------------

void Table::open()
{
    if (d->active)
        return;
    // Until it opens, a failed attempt is made again by the next operation
    // that needs the object (on a server; see requireOpen).
    d->openFailed = true;
    m_store = m_private ? m_connection->privateStore() : m_connection.data();
    if (!store()->isOpen())
        store()->open();
    store()->flush();
    QSqlDatabase db = store()->database();
    const Engine* engine = store()->engine();
    if (m_private && m_store == m_connection)
        engine->makePrivate(db, m_tableName);

    QStringList fields;
    QStringList types;
    QVector<Kind> kinds;
    QVector<int> sizes;
    // A posted row is read back when the database may store other values than
    // those sent: a column with a default, one whose values the engine may
    // convert, a trigger. Otherwise it stands as written, with its key.
    bool readBack = engine->hasTriggers(db, m_tableName);
    int keyColumns = 0;
    int keyAlias = -1;
    for (const Engine::Column& column : engine->columns(db, m_tableName)) {
        fields << column.name;
        types << column.type;
        kinds << kindOf(column.type);
        static const QRegularExpression size(QStringLiteral(R"(\(\s*([0-9]+))"));
        sizes << size.match(column.type).captured(1).toInt();
        readBack = readBack || column.hasDefault || kinds.back() == Kind::Other;
        if (column.key) {
            ++keyColumns;
            if (column.type.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                keyAlias = int(fields.size()) - 1; // the key is the row's own number
        }
    }
    if (keyColumns != 1)
        keyAlias = -1;

    QString columns = QStringLiteral("rowid");
    for (const QString& f : std::as_const(fields))
        columns += QStringLiteral(", ") + quoted(f);

    Rows rows;
    {
        // A missing table has no columns; the select then words the failure.
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(columns, quoted(m_tableName)))) {
            const QSqlError error = q.lastError();
            q.finish();
            // A link lost since the connection opened: the table is read
            // over a new one.
            if (store()->recoverLost())
                return open();
            throw Error(engineMessage(error));
        }
        if (fields.isEmpty()) {
            q.finish();
            throw Error(QStringLiteral("no such table: %1").arg(m_tableName));
        }
        const int n = int(fields.size());
        while (q.next()) {
            Row row;
            row.rowid = q.value(0).toLongLong();
            row.values.resize(n);
            for (int i = 0; i < n; ++i)
                row.values[i] = fromEngine(kinds[i], q.value(i + 1));
            rows.push_back(std::move(row));
        }
        const QSqlError error = q.lastError();
        q.finish();
        if (error.isValid())
            throw Error(engineMessage(error));
    }

    d->fields = fields;
    d->types = types;
    d->queue.clear();
    d->batchText.clear();
    d->readBack = readBack;
    d->keyAlias = keyAlias;
    d->updateText.clear();
    d->insertText.clear();
    d->readBackText.clear();
    d->deleteText.clear();
    d->kinds = kinds;
    d->sizes = sizes;
    d->fieldIndex.clear();
    for (int i = 0; i < int(fields.size()); ++i)
        d->fieldIndex.insert(fields[i].toLower(), i);
    d->rows = std::move(rows);
    d->intIndex.clear();
    d->intIndex.resize(fields.size());
    d->filterField = -1;
    d->filterValue = QVariant();
    if (d->filtered)
        parseFilterInto(d->filterText);
    d->applyFilter();
    d->active = true;
    d->openFailed = false;
    d->state = State::Browse;
    d->anyWritten = false;
    d->insertPos = -1;

    emit stateChanged();
    emit dataChanged();
    emit currentChanged();
}

void Table::close()
{
    if (!d->active)
        return;
    d->queue.clear();
    d->openFailed = false;
    d->active = false;
    d->state = State::Inactive;
    d->rows.clear();
    d->visible.clear();
    d->visiblePos.clear();
    d->cur = -1;
    d->pending.clear();
    d->written.clear();
    d->anyWritten = false;
    d->insertPos = -1;
    d->intIndex.clear();
    emit stateChanged();
    emit dataChanged();
    emit currentChanged();
}

bool Table::active() const { return d->active; }

Table::State Table::state() const { return d->state; }

// ---- position ----------------------------------------------------------------

int Table::recordCount() const
{
    requireActive(this, d->active);
    return int(d->visible.size());
}

void Table::setCurrent(int position)
{
    if (position == d->cur)
        return;
    d->cur = position;
    emit currentChanged();
}

int Table::finishForMove()
{
    // A new row that is discarded leaves the move to start from the place
    // where it was shown; that place is returned (-1 otherwise).
    if (d->state == State::Insert && !d->anyWritten) {
        const int at = d->insertPos;
        cancel();
        return at;
    }
    finishPendingChange();
    return -1;
}

void Table::first()
{
    requireOpen();
    finishPendingChange();
    setCurrent(d->visible.empty() ? -1 : 0);
}

void Table::next()
{
    requireOpen();
    const int discardedAt = finishForMove();
    const int n = int(d->visible.size());
    if (n == 0)
        return;
    const int target = discardedAt >= 0 ? discardedAt : d->cur + 1;
    setCurrent(std::clamp(target, 0, n - 1));
}

void Table::prior()
{
    requireOpen();
    const int discardedAt = finishForMove();
    const int n = int(d->visible.size());
    if (n == 0)
        return;
    const int target = (discardedAt >= 0 ? discardedAt : d->cur) - 1;
    setCurrent(std::clamp(target, 0, n - 1));
}

void Table::moveTo(int position)
{
    requireOpen();
    finishPendingChange();
    const int n = int(d->visible.size());
    setCurrent(n == 0 ? -1 : std::clamp(position, 0, n - 1));
}

void Table::last()
{
    requireOpen();
    finishPendingChange();
    setCurrent(int(d->visible.size()) - 1);
}

int Table::currentIndex() const
{
    if (!d->active)
        return -1;
    if (d->state == State::Insert)
        return d->insertPos;
    return d->cur;
}

bool Table::bof() const { return currentIndex() <= 0; }

bool Table::eof() const
{
    if (!d->active)
        return true;
    const int shown = int(d->visible.size()) + (d->state == State::Insert ? 1 : 0);
    return currentIndex() >= shown - 1;
}

// ---- fields ------------------------------------------------------------------

QStringList Table::fieldNames() const { return d->fields; }

int Table::fieldIndexOf(const QString& field) const
{
    const auto it = d->fieldIndex.constFind(field.toLower());
    if (it == d->fieldIndex.constEnd())
        raise(this, QStringLiteral("Field '%1' not found").arg(field));
    return it.value();
}

QVariant Table::value(const QString& field) const
{
    requireActive(this, d->active);
    const int i = fieldIndexOf(field);
    if (d->state == State::Edit || d->state == State::Insert)
        return std::as_const(d->pending)[i];
    if (d->cur < 0)
        return QVariant();
    return std::as_const(d->rows[d->visible[d->cur]].values)[i];
}

QVariant Table::valueAt(int position, const QString& field) const
{
    requireActive(this, d->active);
    const int i = fieldIndexOf(field);
    if (position < 0 || position >= int(d->visible.size()))
        return QVariant();
    if (d->state == State::Edit && position == d->cur)
        return std::as_const(d->pending)[i];
    return std::as_const(d->rows[d->visible[position]].values)[i];
}

qint64 Table::rowKey() const
{
    if (!d->active || d->cur < 0 || d->state == State::Edit || d->state == State::Insert)
        return 0;
    return d->rows[d->visible[d->cur]].rowid;
}

int Table::fieldSize(const QString& field) const
{
    const auto it = d->fieldIndex.constFind(field.toLower());
    if (it == d->fieldIndex.constEnd())
        raise(this, QStringLiteral("Field '%1' not found").arg(field));
    return d->sizes[it.value()];
}

QString Table::text(const QString& field) const { return value::toText(value(field)); }

void Table::setValue(const QString& field, const QVariant& v)
{
    requireOpen();
    const int i = fieldIndexOf(field);
    if (d->state != State::Edit && d->state != State::Insert)
        raise(this, QStringLiteral("Dataset not in edit or insert mode"));
    d->pending[i] = toFieldKind(d->kinds[i], v);
    d->written[i] = true;
    d->anyWritten = true;
    emit dataChanged();
}

bool Table::modified() const { return (d->state == State::Edit || d->state == State::Insert) && d->anyWritten; }

// ---- pending changes -----------------------------------------------------------

void Table::finishPendingChange()
{
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    if (d->anyWritten)
        post();
    else
        cancel();
}

void Table::beginInsert(int shownAt, int restoreTo)
{
    d->savedCur = restoreTo;
    d->insertPos = shownAt;
    d->pending = QVector<QVariant>(d->fields.size());
    d->written = QVector<bool>(d->fields.size(), false);
    d->anyWritten = false;
    d->state = State::Insert;
    emit stateChanged();
    emit dataChanged();
    emit currentChanged();
}

void Table::edit()
{
    requireOpen();
    if (d->state == State::Edit || d->state == State::Insert)
        return;
    if (d->visible.empty()) {
        insert();
        return;
    }
    d->pending = d->rows[d->visible[d->cur]].values;
    d->written = QVector<bool>(d->fields.size(), false);
    d->anyWritten = false;
    d->state = State::Edit;
    emit stateChanged();
}

void Table::insert()
{
    requireOpen();
    finishPendingChange();
    beginInsert(std::max(d->cur, 0), d->cur);
}

void Table::append()
{
    requireOpen();
    finishPendingChange();
    const int n = int(d->visible.size());
    beginInsert(n, n - 1);
}

void Table::post()
{
    requireOpen();
    if (d->state != State::Edit && d->state != State::Insert)
        raise(this, QStringLiteral("Dataset not in edit or insert mode"));

    const int n = int(d->fields.size());

    if (d->state == State::Edit) {
        if (d->anyWritten) {
            Row& row = d->rows[d->visible[d->cur]];
            const bool holdBack = d->batching > 0 && HandlerScope::active() && store()->engine() &&
                                  store()->engine()->statementSavepoints();
            if (holdBack) {
                // Sent with the rest of the walk (flushDeferred).
                store()->beginWrite();
                d->queue.push_back({row.rowid, d->visible[d->cur], row.values, d->pending, d->written});
                store()->defer(this);
            } else {
                sendUpdate(row.rowid, row.values, d->pending, d->written);
            }
            store()->onRollback(this, [this, rowid = row.rowid, hint = d->visible[d->cur], before = row.values] {
                d->takeBackUpdate(rowid, hint, before);
                emit dataChanged();
            });
            // The pending row is the row's values with the written fields set.
            row.values = std::move(d->pending);
            for (int i = 0; i < n; ++i) {
                if (d->written[i])
                    d->intIndex[i].reset();
            }
        }
        d->pending.clear();
        d->written.clear();
        d->anyWritten = false;
        d->state = State::Browse;
        emit stateChanged();
        emit dataChanged();
        return;
    }

    // A new row: only the written fields are sent, the database supplies the
    // rest and the key.
    QString& insert = d->insertText[d->written];
    if (insert.isEmpty()) {
        QString names;
        QString marks;
        for (int i = 0; i < n; ++i) {
            if (!d->written[i])
                continue;
            if (!names.isEmpty()) {
                names += QStringLiteral(", ");
                marks += QStringLiteral(", ");
            }
            names += quoted(d->fields[i]);
            marks += QLatin1Char('?');
        }
        insert = names.isEmpty()
                     ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_tableName))
                     : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quoted(m_tableName), names, marks);
        // A server hands the stored row back with its key: no read-back.
        if (store()->engine()->insertReturnsKey()) {
            insert += QStringLiteral(" RETURNING rowid");
            for (const QString& f : std::as_const(d->fields))
                insert += QStringLiteral(", ") + quoted(f);
        }
    }
    Row row;
    QVector<QVariant> returned;
    {
        QSqlQuery& q = store()->prepareWrite(insert);
        for (int i = 0; i < n; ++i) {
            if (d->written[i])
                q.addBindValue(toEngine(d->pending[i]));
        }
        store()->write(q);
        if (store()->engine()->insertReturnsKey()) {
            if (q.next()) {
                row.rowid = q.value(0).toLongLong();
                returned.resize(n);
                for (int i = 0; i < n; ++i)
                    returned[i] = fromEngine(d->kinds[i], q.value(i + 1));
            }
        } else if (q.numRowsAffected() == 1) {
            // The key of the connection's last inserted row is this row's
            // only when the statement stored one: a row a rule of the table
            // drops (ON CONFLICT IGNORE) leaves the key of an earlier row.
            row.rowid = q.lastInsertId().toLongLong();
        }
        q.finish();
    }
    // Read the stored row back for its key and defaults; should that fail,
    // the row is in the file all the same and is shown as it was written.
    row.values = d->pending;
    if (!returned.isEmpty()) {
        row.values = std::move(returned);
    } else if (!d->readBack) {
        if (d->keyAlias >= 0 && !d->written[d->keyAlias])
            row.values[d->keyAlias] = QVariant(qlonglong(row.rowid));
    } else {
        if (d->readBackText.isEmpty()) {
            QString columns;
            for (const QString& f : std::as_const(d->fields)) {
                if (!columns.isEmpty())
                    columns += QStringLiteral(", ");
                columns += quoted(f);
            }
            d->readBackText = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(columns, quoted(m_tableName));
        }
        try {
            QSqlQuery& q = store()->prepared(d->readBackText);
            q.addBindValue(row.rowid);
            if (q.exec() && q.next()) {
                for (int i = 0; i < n; ++i)
                    row.values[i] = fromEngine(d->kinds[i], q.value(i));
            }
            q.finish();
        } catch (const Error&) {
        }
    }

    const int index = int(d->rows.size());
    store()->onRollback(this, [this, rowid = row.rowid, index] {
        const State state = d->state;
        d->takeBackInsert(rowid, index);
        if (d->state != state)
            emit stateChanged();
        emit dataChanged();
        emit currentChanged();
    });
    for (int i = 0; i < n; ++i) {
        QHash<qlonglong, int>* idx = d->intIndex[i].get();
        const QVariant& v = row.values[i];
        if (idx && value::isIntegral(v.typeId()) && !idx->contains(v.toLongLong()))
            idx->insert(v.toLongLong(), index);
    }
    d->rows.push_back(std::move(row));
    d->visiblePos.push_back(int(d->visible.size()));
    d->visible.push_back(index);
    d->cur = int(d->visible.size()) - 1;
    d->pending.clear();
    d->written.clear();
    d->anyWritten = false;
    d->insertPos = -1;
    d->state = State::Browse;
    emit stateChanged();
    emit dataChanged();
    emit currentChanged();
}

void Table::sendUpdate(qint64 rowid, const QVector<QVariant>& before, const QVector<QVariant>& values,
                       const QVector<bool>& written)
{
    const int n = int(d->fields.size());
    // The statement's text is made once for each set of written fields.
    QString& update = d->updateText[written];
    if (update.isEmpty()) {
        QString sets;
        for (int i = 0; i < n; ++i) {
            if (!written[i])
                continue;
            if (!sets.isEmpty())
                sets += QStringLiteral(", ");
            sets += quoted(d->fields[i]) + QStringLiteral(" = ?");
        }
        update = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                     .arg(quoted(m_tableName), sets, sameRow(d->fields, store()->engine()));
    }
    QSqlQuery& q = store()->prepareWrite(update);
    for (int i = 0; i < n; ++i) {
        if (written[i])
            q.addBindValue(toEngine(values[i]));
    }
    q.addBindValue(rowid);
    for (const QVariant& v : before)
        q.addBindValue(toEngine(v));
    store()->write(q);
    const int affected = q.numRowsAffected();
    q.finish();
    if (affected == 0)
        raise(this, QStringLiteral("The row to be updated is no longer in the database"));
}

namespace {

QJsonValue jsonOf(const QVariant& v)
{
    const QVariant e = toEngine(v);
    if (e.isNull())
        return QJsonValue(QJsonValue::Null);
    if (value::isIntegral(e.typeId()))
        return QJsonValue(e.toLongLong());
    if (e.typeId() == QMetaType::Double || e.typeId() == QMetaType::Float)
        return QJsonValue(e.toDouble());
    return QJsonValue(e.toString());
}

} // namespace

// One statement for the rows [from, to) of the queue, which share their
// written fields and are distinct rows: every row is found only as it was
// read, as by its own UPDATE. True when every row was written; otherwise the
// statement is taken back and nothing of it stays.
bool Table::sendGroup(const std::vector<Queued>& queue, size_t from, size_t to)
{
    const QVector<bool>& written = queue[from].written;
    const int n = int(d->fields.size());
    QString& text = d->batchText[written];
    if (text.isEmpty()) {
        QString sets;
        QString columns = QStringLiteral("\"r\" bigint");
        QString where = QStringLiteral("t.rowid = u.\"r\"");
        for (int i = 0; i < n; ++i) {
            const QString type = d->types.value(i);
            if (written[i]) {
                if (!sets.isEmpty())
                    sets += QStringLiteral(", ");
                sets += QStringLiteral("%1 = u.\"n%2\"").arg(quoted(d->fields[i])).arg(i);
                columns += QStringLiteral(", \"n%1\" %2").arg(i).arg(type);
            }
            columns += QStringLiteral(", \"o%1\" %2").arg(i).arg(type);
            where += QStringLiteral(" AND t.%1 %2 u.\"o%3\"")
                         .arg(quoted(d->fields[i]), store()->engine()->sameValue())
                         .arg(i);
        }
        text = QStringLiteral("UPDATE %1 AS t SET %2 FROM jsonb_to_recordset(?::jsonb) AS u(%3) WHERE %4")
                   .arg(quoted(m_tableName), sets, columns, where);
    }
    QJsonArray rows;
    for (size_t k = from; k < to; ++k) {
        const Queued& e = queue[k];
        QJsonObject row;
        row.insert(QStringLiteral("r"), QJsonValue(qint64(e.rowid)));
        for (int i = 0; i < n; ++i) {
            if (written[i])
                row.insert(QStringLiteral("n%1").arg(i), jsonOf(e.after.value(i)));
            row.insert(QStringLiteral("o%1").arg(i), jsonOf(e.before.value(i)));
        }
        rows.append(row);
    }
    QSqlQuery& q = store()->prepareWrite(text);
    q.addBindValue(QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)));
    try {
        store()->write(q, true);
    } catch (const Error&) {
        // A link that is gone takes the whole action with it; a refusal is
        // found again row by row.
        if (!store()->isOpen())
            throw;
        return false;
    }
    const int affected = q.numRowsAffected();
    q.finish();
    if (affected == int(to - from))
        return true;
    store()->undoLastWrite();
    return false;
}

void Table::flushDeferred()
{
    std::vector<Queued> queue;
    queue.swap(d->queue);
    size_t i = 0;
    while (i < queue.size()) {
        size_t j = i;
        QSet<qint64> rows;
        while (j < queue.size() && queue[j].written == queue[i].written && !rows.contains(queue[j].rowid)) {
            rows.insert(queue[j].rowid);
            ++j;
        }
        if (j - i == 1 || !sendGroup(queue, i, j)) {
            for (size_t k = i; k < j; ++k) {
                try {
                    sendUpdate(queue[k].rowid, queue[k].before, queue[k].after, queue[k].written);
                } catch (...) {
                    if (store()->isOpen())
                        restoreFrom(queue, k);
                    throw;
                }
            }
        }
        i = j;
    }
}

// The row at `failed` was refused: it and every row after it in the queue
// get back their values as they are in the database, and the refused row
// stays pending and current, as after its own refused post.
void Table::restoreFrom(const std::vector<Queued>& queue, size_t failed)
{
    for (size_t k = queue.size(); k-- > failed;)
        d->takeBackUpdate(queue[k].rowid, queue[k].hint, queue[k].before);
    const Queued& e = queue[failed];
    const int r = d->rowOf(e.rowid, e.hint);
    if (r >= 0 && d->visiblePos[r] >= 0 && d->state == State::Browse) {
        d->cur = d->visiblePos[r];
        d->pending = e.after;
        d->written = e.written;
        d->anyWritten = true;
        d->state = State::Edit;
        emit stateChanged();
    }
    emit dataChanged();
    emit currentChanged();
}

void Table::dropDeferred() { d->queue.clear(); }

void Table::flushQueue()
{
    if (!d->queue.empty())
        store()->flush();
}

Table::Batch::Batch(Table* table) : m_table(table) { ++m_table->d->batching; }

Table::Batch::~Batch()
{
    if (m_open)
        --m_table->d->batching;
}

void Table::Batch::finish()
{
    if (!m_open)
        return;
    m_open = false;
    --m_table->d->batching;
    m_table->flushQueue();
}

void Table::cancel()
{
    requireOpen();
    if (d->state == State::Browse)
        return;
    const bool wasInsert = d->state == State::Insert;
    d->pending.clear();
    d->written.clear();
    d->anyWritten = false;
    d->state = State::Browse;
    if (wasInsert) {
        d->insertPos = -1;
        const int n = int(d->visible.size());
        d->cur = n == 0 ? -1 : std::clamp(d->savedCur, 0, n - 1);
    }
    emit stateChanged();
    emit dataChanged();
    if (wasInsert)
        emit currentChanged();
}

void Table::remove()
{
    requireOpen();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    if (d->visible.empty())
        raise(this, QStringLiteral("Cannot perform this operation on an empty dataset"));

    const int index = d->visible[d->cur];
    {
        if (d->deleteText.isEmpty())
            d->deleteText = QStringLiteral("DELETE FROM %1 WHERE %2")
                                .arg(quoted(m_tableName), sameRow(d->fields, store()->engine()));
        QSqlQuery& q = store()->prepareWrite(d->deleteText);
        bindSameRow(q, d->rows[index]);
        store()->write(q);
        const int affected = q.numRowsAffected();
        q.finish();
        if (affected == 0)
            raise(this, QStringLiteral("The row to be updated is no longer in the database"));
    }
    store()->onRollback(this, [this, index, row = d->rows[index]] {
        d->takeBackDelete(index, row);
        emit dataChanged();
        emit currentChanged();
    });

    const bool wasEditing = d->state == State::Edit;
    d->pending.clear();
    d->written.clear();
    d->anyWritten = false;
    d->state = State::Browse;

    d->rows.erase(index);
    if (!d->filtered) {
        // Every row visible, in order: the last position goes.
        d->visible.pop_back();
        d->visiblePos.pop_back();
    } else {
        std::vector<int> visible;
        visible.reserve(d->visible.size());
        for (int r : d->visible) {
            if (r != index)
                visible.push_back(r > index ? r - 1 : r);
        }
        d->visible = std::move(visible);
        d->rebuildVisiblePos();
    }
    d->dropIndexes();
    const int n = int(d->visible.size());
    d->cur = n == 0 ? -1 : std::min(d->cur, n - 1);

    if (wasEditing)
        emit stateChanged();
    emit dataChanged();
    emit currentChanged();
}

// ---- filtering -------------------------------------------------------------------

void Table::parseFilterInto(const QString& text)
{
    if (text.trimmed().isEmpty()) {
        d->filterField = -1;
        d->filterValue = QVariant();
        return;
    }
    QString name;
    QVariant value;
    if (!parseFilterText(text, &name, &value))
        raise(this, QStringLiteral("Filter text not understood: %1").arg(excerpt(text)));
    const int field = fieldIndexOf(name);
    d->filterValue = value;
    d->filterField = field;
}

bool Table::filtered() const { return d->filtered; }

void Table::setFiltered(bool on)
{
    if (on == d->filtered)
        return;
    if (!d->active) {
        // Kept for the next open.
        d->filtered = on;
        return;
    }
    finishPendingChange();
    flushQueue();
    if (on)
        parseFilterInto(d->filterText);
    d->filtered = on;
    d->applyFilter();
    emit dataChanged();
    emit currentChanged();
}

QString Table::filter() const { return d->filterText; }

void Table::setFilter(const QString& text)
{
    if (text == d->filterText)
        return;
    if (!d->active || !d->filtered) {
        d->filterText = text;
        return;
    }
    finishPendingChange();
    flushQueue();
    parseFilterInto(text);
    d->filterText = text;
    d->applyFilter();
    emit dataChanged();
    emit currentChanged();
}

// ---- locate ------------------------------------------------------------------------

int Table::findRow(const QString& field, const QVariant& key, LocateOptions options)
{
    const auto found = d->fieldIndex.constFind(field.toLower());
    if (found == d->fieldIndex.constEnd())
        return -1;
    const int f = found.value();
    const Kind kind = d->kinds[f];
    const int count = int(d->rows.size());

    if (key.isNull()) {
        for (int r = 0; r < count; ++r) {
            if (d->rows[r].values[f].isNull())
                return r;
        }
        return -1;
    }

    if (kind == Kind::Integer) {
        // Equality of numbers, whatever the options; a text key is read as
        // a number.
        qlonglong k = 0;
        if (value::isIntegral(key.typeId())) {
            k = key.toLongLong();
        } else {
            bool ok = false;
            k = value::toText(key).trimmed().toLongLong(&ok);
            if (!ok)
                return -1;
        }
        auto& index = d->intIndex[f];
        if (!index) {
            index = std::make_unique<QHash<qlonglong, int>>();
            index->reserve(count);
            // Walked backwards, so that the first stored row of each value wins.
            for (int r = count - 1; r >= 0; --r) {
                const QVariant& v = d->rows[r].values[f];
                if (value::isIntegral(v.typeId()))
                    index->insert(v.toLongLong(), r);
            }
        }
        return index->value(k, -1);
    }

    if (kind == Kind::Text || key.typeId() == QMetaType::QString) {
        const Qt::CaseSensitivity cs = options.testFlag(CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const QString k = value::toText(key);
        const bool partial =
            kind == Kind::Text && options.testFlag(PartialKey) && key.typeId() == QMetaType::QString && !k.isEmpty();
        int best = -1;
        QString bestText;
        for (int r = 0; r < count; ++r) {
            const QVariant& v = d->rows[r].values[f];
            if (v.isNull())
                continue;
            const QString text = v.typeId() == QMetaType::QString ? stringOf(v) : value::toText(v);
            const bool match = partial ? text.startsWith(k, cs) : text.compare(k, cs) == 0;
            if (!match)
                continue;
            if (!partial)
                return r; // every match sorts alike: the first stored one
            if (best < 0 || text.compare(bestText, cs) < 0) {
                best = r;
                bestText = text;
            }
        }
        return best;
    }

    for (int r = 0; r < count; ++r) {
        if (value::equal(d->rows[r].values[f], key))
            return r;
    }
    return -1;
}

bool Table::locate(const QString& field, const QVariant& key, LocateOptions options)
{
    requireOpen();
    finishPendingChange();
    int row = -1;
    try {
        row = findRow(field, key, options);
    } catch (const Error&) {
        return false;
    }
    if (row < 0 || d->visiblePos[row] < 0)
        return false;
    setCurrent(d->visiblePos[row]);
    return true;
}

// ---- refresh -----------------------------------------------------------------------

void Table::refresh()
{
    requireOpen();
    finishPendingChange();

    const int n = int(d->fields.size());
    QHash<qint64, QVector<QVariant>> stored;
    stored.reserve(qsizetype(d->rows.size()));
    {
        QString columns = QStringLiteral("rowid");
        for (const QString& f : std::as_const(d->fields))
            columns += QStringLiteral(", ") + quoted(f);
        store()->flush();
        QSqlQuery q(store()->database());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(columns, quoted(m_tableName)))) {
            const QSqlError error = q.lastError();
            q.finish();
            if (!store()->recoverLost())
                throw Error(engineMessage(error));
            q = QSqlQuery(store()->database());
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(columns, quoted(m_tableName))))
                throw Error(engineMessage(q.lastError()));
        }
        while (q.next()) {
            QVector<QVariant> values(n);
            for (int i = 0; i < n; ++i)
                values[i] = fromEngine(d->kinds[i], q.value(i + 1));
            stored.insert(q.value(0).toLongLong(), std::move(values));
        }
        const QSqlError error = q.lastError();
        q.finish();
        if (error.isValid())
            throw Error(engineMessage(error));
    }

    // Held rows take their stored values; rows deleted meanwhile by another
    // program leave the snapshot. Rows added by others are not taken in.
    const int currentRow = d->cur >= 0 ? d->visible[d->cur] : -1;
    std::vector<int> newIndex(d->rows.size(), -1);
    Rows kept;
    kept.reserve(d->rows.size());
    for (int r = 0; r < int(d->rows.size()); ++r) {
        auto it = stored.find(d->rows[r].rowid);
        if (it == stored.end())
            continue;
        newIndex[r] = int(kept.size());
        d->rows[r].values = std::move(it.value());
        kept.push_back(std::move(d->rows[r]));
    }
    int position = d->cur;
    std::vector<int> visible;
    visible.reserve(d->visible.size());
    for (int i = 0; i < int(d->visible.size()); ++i) {
        const int r = d->visible[i];
        if (r == currentRow && newIndex[r] >= 0)
            position = int(visible.size());
        if (newIndex[r] >= 0)
            visible.push_back(newIndex[r]);
    }
    d->rows = std::move(kept);
    d->visible = std::move(visible);
    d->rebuildVisiblePos();
    d->dropIndexes();
    const int count = int(d->visible.size());
    d->cur = count == 0 ? -1 : std::clamp(position, 0, count - 1);
    emit dataChanged();
    emit currentChanged();
}

int Table::pendingInsertIndex() const { return d->active && d->state == State::Insert ? d->insertPos : -1; }

int Table::displayWidth(const QString& field) const
{
    const int i = fieldIndexOf(field);
    switch (d->kinds[i]) {
    case Kind::Date:
        return 10;
    case Kind::Integer:
        return d->sizes[i] > 0 ? d->sizes[i] : 11;
    case Kind::Real:
        return 15;
    default:
        return d->sizes[i];
    }
}
