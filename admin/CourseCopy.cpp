#include "admin/CourseCopy.h"

#include "data/Schema.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QAtomicInteger>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QElapsedTimer>
#include <QThread>
#include <QSqlRecord>
#include <QVariant>

#include <vector>

namespace course_copy {

namespace {

// The tables that are copied: all but the answer sheet.
bool copied(const schema::Table& t) { return qstrcmp(t.name, "testing") != 0; }

QString quoted(const QString& identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// A database file opened on a connection of its own, closed and removed
// when it goes.
class FileDb {
public:
    FileDb(const QString& path, bool readOnly)
    {
        static QAtomicInteger<int> counter;
        m_name = QStringLiteral("course-copy-%1").arg(counter.fetchAndAddRelaxed(1));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            throw Error(QStringLiteral("%1: %2").arg(path, engineMessage(db.lastError())));
    }
    ~FileDb()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

[[noreturn]] void badValue(const schema::Table& t, int row, const schema::Column& c, const QString& why)
{
    throw Error(QStringLiteral("Table %1, row %2, column %3: %4")
                    .arg(t.qname())
                    .arg(row)
                    .arg(QString::fromLatin1(c.name), why));
}

// A value read from the file, made what the server's column holds.
QVariant forServer(const schema::Table& t, int row, const schema::Column& c, const QVariant& v)
{
    if (v.isNull())
        return QVariant();
    switch (c.kind) {
    case schema::Kind::Key:
    case schema::Kind::Integer: {
        bool ok = false;
        const qlonglong n = v.toString().trimmed().toLongLong(&ok);
        if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
            badValue(t, row, c, QStringLiteral("'%1' is not a whole number").arg(v.toString()));
        return QVariant(n);
    }
    case schema::Kind::Date: {
        const QString text = v.toString().trimmed();
        for (const char* format : {"yyyy-MM-dd", "dd.MM.yyyy", "d.M.yyyy"}) {
            const QDate d = QDate::fromString(text.left(10), QLatin1String(format));
            if (d.isValid())
                return QVariant(d);
        }
        badValue(t, row, c, QStringLiteral("'%1' is not a valid date").arg(v.toString()));
    }
    case schema::Kind::Text: {
        const QString text = v.toString();
        if (c.size > 0 && text.size() > c.size)
            badValue(t, row, c,
                     QStringLiteral("the text is %1 characters long, the server's column holds %2")
                         .arg(text.size())
                         .arg(c.size));
        return QVariant(text);
    }
    }
    return v;
}

// A value read from the server, as the file stores it (the way the
// program's table objects write it).
QVariant forFile(const schema::Column& c, const QVariant& v)
{
    if (v.isNull())
        return QVariant();
    switch (c.kind) {
    case schema::Kind::Key:
    case schema::Kind::Integer:
        return QVariant(v.toLongLong());
    case schema::Kind::Date:
        return QVariant(v.toDate().toString(Qt::ISODate));
    case schema::Kind::Text:
        return QVariant(v.toString());
    }
    return v;
}

QStringList fileColumns(QSqlDatabase db, const QString& table)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    q.addBindValue(table);
    if (!q.exec())
        throw Error(engineMessage(q.lastError()));
    QStringList names;
    while (q.next())
        names << q.value(0).toString().toLower();
    return names;
}

void exec(QSqlQuery& q)
{
    if (!q.exec())
        throw Error(engineMessage(q.lastError()));
}

void exec(QSqlDatabase db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw Error(engineMessage(q.lastError()));
}

QString insertStatement(const QString& table, const QStringList& columns)
{
    QStringList quotedColumns;
    for (const QString& c : columns)
        quotedColumns << quoted(c);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, quotedColumns.join(QStringLiteral(", ")),
             QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
}

// Replacing the rows needs the tables to itself. A request for that lock
// queues every other statement on the tables behind it, so it is made for
// a moment at a time: a student's topic choice or grading waits at most
// that moment, never for the whole copy. When the tables stay in use for
// some seconds, the copy gives up and names who holds them.
void lockForCopy(QSqlDatabase server, const QStringList& tables)
{
    constexpr int kAttemptMs = 100;
    constexpr int kPatienceMs = 5000;
    exec(server, QStringLiteral("SET LOCAL lock_timeout = %1").arg(kAttemptMs));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        exec(server, QStringLiteral("SAVEPOINT norvena_lock"));
        QSqlQuery lock(server);
        if (lock.exec(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(tables.join(QStringLiteral(", "))))) {
            exec(server, QStringLiteral("RELEASE SAVEPOINT norvena_lock"));
            return;
        }
        const QSqlError error = lock.lastError();
        lock.finish();
        exec(server, QStringLiteral("ROLLBACK TO SAVEPOINT norvena_lock"));
        if (error.nativeErrorCode() != QLatin1String("55P03"))
            throw Error(engineMessage(error));
        if (waited.elapsed() >= kPatienceMs)
            break;
        QThread::msleep(250);
    }
    QSqlQuery holders(server);
    QStringList who;
    if (holders.exec(QStringLiteral(
            "SELECT DISTINCT a.pid, a.usename, coalesce(nullif(a.application_name, ''), '-'), a.state, "
            "coalesce(host(a.client_addr), 'local'), to_char(coalesce(a.xact_start, a.backend_start), "
            "'YYYY-MM-DD HH24:MI:SS') FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
            "WHERE l.granted AND l.pid <> pg_backend_pid() AND l.relation IN "
            "('public.temi'::regclass, 'public.test'::regclass, 'public.result'::regclass, 'public.media'::regclass) "
            "ORDER BY 1"))) {
        while (holders.next())
            who << QStringLiteral("session %1 of %2 (%3, from %4, %5 since %6)")
                       .arg(holders.value(0).toString(), holders.value(1).toString(), holders.value(2).toString(),
                            holders.value(4).toString(), holders.value(3).toString(), holders.value(5).toString());
    }
    throw Error(QStringLiteral("The server is busy: the course's tables stayed in use for %1 s, nothing was "
                               "copied. %2. Try again when it has finished, or end it "
                               "(SELECT pg_terminate_backend(pid))")
                    .arg(kPatienceMs / 1000)
                    .arg(who.isEmpty() ? QStringLiteral("Their holder has gone meanwhile")
                                       : QStringLiteral("They are held by ") + who.join(QStringLiteral("; "))));
}

bool isResult(const schema::Table& t) { return qstrcmp(t.name, "result") == 0; }

// The runs' answers of a file (an older file has none), those of its result
// rows, sent to the server a few thousand rows a statement; counted in
// counts.
void copyAnswersToServer(QSqlDatabase file, QSqlDatabase server, Counts& counts)
{
    const schema::Table& t = schema::answers();
    if (fileColumns(file, t.qname()).isEmpty())
        return;
    QStringList selected;
    for (const QString& c : t.columnNames())
        selected << QStringLiteral("a.") + quoted(c);
    QSqlQuery read(file);
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT %1 FROM \"otvety\" a WHERE a.\"result\" IN (SELECT rowid FROM \"result\") "
                                  "ORDER BY a.rowid")
                       .arg(selected.join(QStringLiteral(", ")))))
        throw Error(engineMessage(read.lastError()));
    QSqlQuery write(server);
    write.prepare(QStringLiteral("INSERT INTO public.otvety (result, id, nom, otv, verno, rasdel) "
                                 "SELECT r.result, r.id, r.nom, r.otv, r.verno, r.rasdel FROM "
                                 "jsonb_to_recordset(?::jsonb) AS r(result bigint, id integer, nom integer, "
                                 "otv varchar(1), verno varchar(1), rasdel varchar(255))"));
    constexpr int kRowsPerStatement = 5000;
    int row = 0;
    QJsonArray chunk;
    const auto send = [&] {
        if (chunk.isEmpty())
            return;
        write.addBindValue(QString::fromUtf8(QJsonDocument(chunk).toJson(QJsonDocument::Compact)));
        exec(write);
        chunk = QJsonArray();
    };
    while (read.next()) {
        ++row;
        QJsonObject o;
        for (int i = 0; i < int(t.columns.size()); ++i) {
            const QVariant v = forServer(t, row, t.columns[i], read.value(i));
            o.insert(QString::fromLatin1(t.columns[i].name),
                     v.isNull() ? QJsonValue()
                                : t.columns[i].kind == schema::Kind::Text ? QJsonValue(v.toString())
                                                                          : QJsonValue(v.toLongLong()));
        }
        chunk.append(o);
        if (chunk.size() == kRowsPerStatement)
            send();
    }
    if (read.lastError().isValid())
        throw Error(engineMessage(read.lastError()));
    send();
    counts.rows += row;
    ++counts.tables;
}

} // namespace

Counts toServer(const QString& filePath, QSqlDatabase server)
{
    if (!QFileInfo(filePath).isFile())
        throw Error(QStringLiteral("%1: no such database file").arg(filePath));
    FileDb file(filePath, true);
    Counts counts;
    if (!server.transaction())
        throw Error(engineMessage(server.lastError()));
    try {
        QStringList tables;
        for (const schema::Table& t : schema::tables()) {
            if (copied(t))
                tables << QStringLiteral("public.") + quoted(t.qname());
        }
        tables << QStringLiteral("public.") + quoted(schema::answers().qname());
        lockForCopy(server, tables);
        exec(server, QStringLiteral("TRUNCATE %1 RESTART IDENTITY").arg(tables.join(QStringLiteral(", "))));

        for (const schema::Table& t : schema::tables()) {
            if (!copied(t))
                continue;
            const QStringList present = fileColumns(file.db(), t.qname());
            if (present.isEmpty())
                throw Error(QStringLiteral("%1 has no table %2").arg(QFileInfo(filePath).fileName(), t.qname()));
            for (const QString& c : t.columnNames()) {
                if (!present.contains(c))
                    throw Error(QStringLiteral("%1: table %2 has no column %3")
                                    .arg(QFileInfo(filePath).fileName(), t.qname(), c));
            }
            // A result row keeps its key: the runs' answers name it.
            const bool keyed = isResult(t);
            QStringList selected;
            for (const QString& c : t.columnNames())
                selected << quoted(c);
            if (keyed)
                selected << QStringLiteral("rowid");
            QSqlQuery read(file.db());
            read.setForwardOnly(true);
            if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                               .arg(selected.join(QStringLiteral(", ")), quoted(t.qname()))))
                throw Error(engineMessage(read.lastError()));
            QSqlQuery write(server);
            QString insert = insertStatement(QStringLiteral("public.") + quoted(t.qname()),
                                             keyed ? t.columnNames() << QString::fromLatin1(schema::kServerKey)
                                                   : t.columnNames());
            if (keyed)
                insert.replace(QLatin1String(") VALUES ("), QLatin1String(") OVERRIDING SYSTEM VALUE VALUES ("));
            write.prepare(insert);
            int row = 0;
            while (read.next()) {
                ++row;
                for (int i = 0; i < int(t.columns.size()); ++i)
                    write.addBindValue(forServer(t, row, t.columns[i], read.value(i)));
                if (keyed)
                    write.addBindValue(read.value(int(t.columns.size())));
                exec(write);
            }
            if (read.lastError().isValid())
                throw Error(engineMessage(read.lastError()));
            counts.rows += row;
            ++counts.tables;
        }
        // New questions are numbered after the ones brought over, and new
        // results stored after the ones brought over.
        exec(server, QStringLiteral("SELECT setval(pg_get_serial_sequence('public.test', 'id'), "
                                    "coalesce(max(id), 0) + 1, false) FROM public.test"));
        exec(server, QStringLiteral("SELECT setval(pg_get_serial_sequence('public.result', 'rowid'), "
                                    "coalesce(max(rowid), 0) + 1, false) FROM public.result"));
        copyAnswersToServer(file.db(), server, counts);
        if (!server.commit())
            throw Error(engineMessage(server.lastError()));
    } catch (...) {
        server.rollback();
        throw;
    }
    return counts;
}

Counts toFile(QSqlDatabase server, const QString& filePath)
{
    if (QFileInfo::exists(filePath))
        throw Error(QStringLiteral("%1 already exists; name a file that does not").arg(filePath));
    const QString partial = filePath + QStringLiteral(".new");
    QFile::remove(partial);
    Counts counts;
    try {
        {
            FileDb file(partial, false);
            QSqlDatabase db = file.db();
            if (!db.transaction())
                throw Error(engineMessage(db.lastError()));
            for (const schema::Table& t : schema::tables())
                exec(db, schema::fileDdl(t));
            for (const QString& ddl : schema::answersFileDdl())
                exec(db, ddl);
            std::vector<schema::Table> tables(schema::tables().begin(), schema::tables().end());
            tables.push_back(schema::answers());
            for (const schema::Table& t : tables) {
                if (!copied(t))
                    continue;
                // A result row keeps its key: the runs' answers name it.
                const bool keyed = isResult(t);
                QStringList selected;
                for (const QString& c : t.columnNames())
                    selected << quoted(c);
                if (keyed)
                    selected << QString::fromLatin1(schema::kServerKey);
                QSqlQuery read(server);
                read.setForwardOnly(true);
                if (!read.exec(QStringLiteral("SELECT %1 FROM public.%2 ORDER BY %3")
                                   .arg(selected.join(QStringLiteral(", ")), quoted(t.qname()),
                                        QString::fromLatin1(schema::kServerKey))))
                    throw Error(engineMessage(read.lastError()));
                QSqlQuery write(db);
                write.prepare(insertStatement(quoted(t.qname()),
                                              keyed ? t.columnNames() << QStringLiteral("rowid") : t.columnNames()));
                while (read.next()) {
                    for (int i = 0; i < int(t.columns.size()); ++i)
                        write.addBindValue(forFile(t.columns[i], read.value(i)));
                    if (keyed)
                        write.addBindValue(read.value(int(t.columns.size())).toLongLong());
                    exec(write);
                    ++counts.rows;
                }
                if (read.lastError().isValid())
                    throw Error(engineMessage(read.lastError()));
                ++counts.tables;
            }
            if (!db.commit())
                throw Error(engineMessage(db.lastError()));
        }
        if (!QFile::rename(partial, filePath))
            throw Error(QStringLiteral("%1 cannot be written").arg(filePath));
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    return counts;
}

} // namespace course_copy
