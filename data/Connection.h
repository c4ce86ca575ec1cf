#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>

// The one connection to the course's database file. The data source is the
// bare file name from the connection text ("test.mdb"), resolved against the
// process working directory at the moment the connection opens. A missing
// file is never created: opening it fails. Several copies of the program may
// use the same file at once; a writer waits for a busy file for a few seconds
// before the engine's error is reported.
class Connection : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultConnectionString =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=test.mdb;Persist Security Info=False";

    explicit Connection(const QString& objectName, QObject* parent = nullptr);
    ~Connection() override;

    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text) { m_connectionString = text; }
    // The "Data Source" part of the connection text.
    QString dataSource() const;

    // Opens the file; throws Error with the engine's message on failure
    // (missing file, a file that is not a database, ...). Does nothing when open.
    void open();
    bool isOpen() const;
    void close();

    // For the table objects: the open database handle.
    QSqlDatabase database() const;

private:
    QString m_connectionString = QString::fromLatin1(kDefaultConnectionString);
    QString m_sqlName; // unique QSqlDatabase connection name
};
