#pragma once

#include "support/Statements.h"

#include <QAtomicInteger>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// A connection of a test's own to a database file, beside the program's:
// it reads and writes the file the way another program would. Closed and
// removed when it goes.
class SideConnection {
public:
    explicit SideConnection(const QString& path)
    {
        static QAtomicInteger<int> counter;
        m_name = QStringLiteral("side-connection-%1").arg(counter.fetchAndAddRelaxed(1));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open())
            qFatal("cannot open %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
    }
    ~SideConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    SideConnection(const SideConnection&) = delete;
    SideConnection& operator=(const SideConnection&) = delete;

    bool exec(const QString& sql, const QVariantList& values = {}, QString* error = nullptr)
    {
        return statements::exec(db(), sql, values, error, [](const QSqlError& e) { return e.text(); });
    }

    // Every row of a query, each as a list of its columns.
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {})
    {
        return statements::rows(db(), sql, values, nullptr, [](const QSqlError& e) { return e.text(); });
    }

    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        const auto r = rows(sql, values);
        return r.isEmpty() ? QVariant() : r.first().value(0);
    }

private:
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    QString m_name;
};
