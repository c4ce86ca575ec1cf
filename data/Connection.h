#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <memory>

class Engine;

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

    // Opens the database; throws Error with the engine's message on failure
    // (missing file, a file that is not a database, a server that does not
    // answer, ...). Does nothing when open. The database is the file of the
    // data source, unless the folder it lies in (the course root) holds a
    // settings file naming a server (data/Settings.h); the settings file is
    // read at every open, and one that cannot be used is reported as the
    // failure.
    void open();
    bool isOpen() const;
    void close();

    // For the table objects: the open database handle.
    QSqlDatabase database() const;
    // What differs between the engines, for the table objects; the engine
    // the connection last opened with (nullptr before the first open).
    Engine* engine() const { return m_engine.get(); }
    bool server() const;
    // Whether the last open chose the course's file (its settings were read
    // and name no server); false before the first open.
    bool fileChosen() const { return m_fileChosen; }

    // On a server: logs in as the role with the password from the next open
    // on (an empty role: the students' role of the settings file). The file
    // has no roles.
    void setLogin(const QString& role, const QString& password);
    // On a server, the teacher's role that the settings file names; empty
    // for the file.
    QString teacherRole() const;

private:
    QString m_connectionString = QString::fromLatin1(kDefaultConnectionString);
    QString m_sqlName; // unique QSqlDatabase connection name
    std::unique_ptr<Engine> m_engine;
    bool m_fileChosen = false;
    QString m_loginRole;
    QString m_loginPassword;
};
