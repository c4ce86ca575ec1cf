#pragma once

#include "data/Connection.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

// A table object: a complete in-memory snapshot of one database table, read
// when it opens, through which every read and write of the windows goes.
// Rows are held in the database's stored order. Changes are written to the
// database file row by row, when a row is posted or deleted.
//
// Errors are thrown as Error. Messages about the object itself begin with its
// objectName, a colon and a blank ("tblTest: Cannot perform this operation on
// a closed dataset"); the engine's own messages (refused post or delete, a
// missing file) are passed on as the engine words them.
class Table : public QObject, private Connection::Deferred {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum LocateOption { NoOptions = 0, CaseInsensitive = 1, PartialKey = 2 };
    Q_DECLARE_FLAGS(LocateOptions, LocateOption)

    Table(const QString& objectName, Connection* connection, const QString& tableName, QObject* parent = nullptr);
    ~Table() override;

    QString tableName() const { return m_tableName; }
    Connection* connection() const { return m_connection; }

    // Set before the object opens: it then works on a copy of its table
    // private to its connection (data/PrivateTable.h), made from the rows of
    // the file's table when the object first opens on that connection. What
    // other copies of the program do to the file's table never reaches it.
    void setPrivateToConnection(bool on) { m_private = on; }
    bool privateToConnection() const { return m_private; }

    // Opens the object when closed: opens the connection first when it is not
    // open, then reads the whole table; the first row becomes current.
    // Nothing happens when open.
    void open();
    void close();
    // On a course server: the object is opened by the next operation that
    // needs it, as after an open that failed (see requireOpen).
    void openAtNextUse();
    bool active() const;
    State state() const;

    // The number of visible rows; a pending inserted row is not counted.
    int recordCount() const;
    // Moves; each finishes a pending change first.
    void first();
    void next();  // on the last row nothing moves
    void prior(); // on the first row nothing moves
    void last();
    // Position among the visible rows: 0-based, -1 while there is none.
    int currentIndex() const;
    bool bof() const; // standing at the beginning (also when empty)
    bool eof() const; // standing at the end (also when empty)

    // The field list of the table, in the table's column order.
    QStringList fieldNames() const;
    // The value of the field in the current row (in the pending row while
    // editing or inserting); absent when there is no row. Unknown field:
    // Error("<name>: Field '<field>' not found").
    QVariant value(const QString& field) const;
    // value(field) as text; an absent value throws the conversion error.
    QString text(const QString& field) const;
    // Sets the field of the pending row and marks the row as changed; only
    // while editing or inserting ("Dataset not in edit or insert mode").
    void setValue(const QString& field, const QVariant& v);
    // Whether a field of the pending row was written since edit or insert began.
    bool modified() const;

    // Starts editing the current row; nothing when already editing or
    // inserting; acts as insert when no row is visible.
    void edit();
    // Finishes a pending change, then starts a new pending row with no field
    // set, shown just before the row that was current.
    void insert();
    // As insert, but the pending row is shown after the last row.
    void append();
    // Writes the pending row to the database at once. Only written fields are
    // sent; a new row's other fields get the database's defaults and its key
    // is assigned by the database. A posted new row stands after every row
    // already held and stays current. A refused post throws the engine's
    // message and leaves the row pending. An edited row that another program
    // removed or changed since it was read (found by its key and every value
    // read) is not written: "<name>: The row to be updated is no longer in
    // the database", and the row stays pending.
    void post();
    // Drops the pending change.
    void cancel();
    // While inserting: discards the pending row. Otherwise removes the
    // current row from the database at once; the following row becomes
    // current, or the new last row. With no visible row:
    // "<name>: Cannot perform this operation on an empty dataset". A row
    // that another program removed or changed since it was read is not
    // removed: "<name>: The row to be updated is no longer in the database",
    // and nothing changes.
    void remove();

    // Filtering: see the rules in the implementation. The filter text has the
    // form  field='text'  (single quotes inside the text doubled); an empty
    // text lets every row through.
    bool filtered() const;
    void setFiltered(bool on);
    QString filter() const;
    void setFilter(const QString& text);

    // Searches all rows, those hidden by the filter included, in ascending
    // order of the field, for the first match; the row becomes current when
    // the filter lets it through. Returns whether a row was found.
    bool locate(const QString& field, const QVariant& key, LocateOptions options);

    // Finishes a pending change and reads the held rows' current values again;
    // the current row and the filter stay.
    void refresh();

    // A walk that posts a change to many rows (the editor's renumbering).
    // On a course server, inside a handler, the edited rows it posts are
    // held back and go together, as one statement for each set of written
    // fields, when the walk is finished, before any other statement and
    // before the commit: the walk costs a few round trips, not some per row.
    // Every post keeps its meaning: the snapshot has the row at once, a row
    // another copy changed is never taken for the snapshot's, and a refusal
    // is reported at its own step: the rows before it stay written, the
    // refused row stays pending and current, and the rows after it are as
    // they were (their statements are taken back and sent again one by one
    // to find the step). On the file every post is written at once.
    class Batch {
    public:
        explicit Batch(Table* table);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Ends the walk and sends what it held back.
        void finish();

    private:
        Table* m_table;
        bool m_open = true;
    };

    // Whether the pending or the current row is the pending inserted one, and
    // where it is shown among the visible rows (for a data-aware grid).
    int pendingInsertIndex() const;

    // For a data-aware grid, which shows every visible row without moving:
    // the value of a field in the visible row at position (0-based, the
    // pending inserted row not counted; the row being edited gives its
    // pending values); absent outside 0 .. recordCount()-1.
    QVariant valueAt(int position, const QString& field) const;
    // Finishes a pending change, then makes the visible row at position
    // current (0-based, the pending inserted row not counted; clamped to the
    // visible rows).
    void moveTo(int position);
    // The size declared for the field's column, such as 50 for VARCHAR(50);
    // 0 when the column declares none.
    int fieldSize(const QString& field) const;
    // The database's key of the current row (the file's rowid, the server's
    // hidden key); 0 while there is none or while a row is pending.
    qint64 rowKey() const;

    // For a data-aware grid: the number of characters a value of the field
    // takes when shown: the declared size of a text column, 10 for a date
    // (dd.MM.yyyy), 11 for a whole number (the digits of a 32-bit number and
    // its sign), 15 for a fraction; 0 when the column declares nothing (a
    // text without a size).
    int displayWidth(const QString& field) const;

signals:
    // The rows, the current row or the state changed; a data-aware view
    // re-reads what it shows.
    void dataChanged();
    void currentChanged();
    void stateChanged();

private:
    struct Impl;
    struct Queued;
    // The connection that holds the table: the configured one, or for a
    // private table the store that keeps it (Connection::privateStore).
    Connection* store() const { return m_store ? m_store.data() : m_connection.data(); }
    // On a course server a table object that could not open (the server
    // was not up yet) opens at the next operation that needs it; on the
    // file, or after close(), the operation fails as before.
    void requireOpen();
    void sendUpdate(qint64 rowid, const QVector<QVariant>& before, const QVector<QVariant>& values,
                    const QVector<bool>& written);
    bool sendGroup(const std::vector<Queued>& queue, size_t from, size_t to);
    void restoreFrom(const std::vector<Queued>& queue, size_t failed);
    void flushQueue();
    void flushDeferred() override;
    void dropDeferred() override;
    int fieldIndexOf(const QString& field) const;
    void setCurrent(int position);
    void finishPendingChange();
    int finishForMove();
    void beginInsert(int shownAt, int restoreTo);
    void parseFilterInto(const QString& text);
    int findRow(const QString& field, const QVariant& key, LocateOptions options);

    QString m_tableName;
    QPointer<Connection> m_connection;
    QPointer<Connection> m_store;
    bool m_private = false;
    std::unique_ptr<Impl> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Table::LocateOptions)
