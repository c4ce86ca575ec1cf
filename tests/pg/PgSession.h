#pragma once

#include "pg/PgCluster.h"
#include "support/Statements.h"

#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

// A session of a test's own on a server database, as a role with its
// password: what any SQL client holding those could do. Closed when it goes.
class PgSession {
public:
    PgSession(const PgCluster& cluster, const QString& database, const QString& role, const QString& password)
    {
        QSqlDatabase db = PgCluster::connect(cluster, database, role, password, &m_error);
        m_name = db.connectionName();
        m_open = db.isOpen();
    }
    ~PgSession() { PgCluster::close(m_name); }
    PgSession(const PgSession&) = delete;
    PgSession& operator=(const PgSession&) = delete;

    bool isOpen() const { return m_open; }
    QString openError() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // Runs a statement with bound values; false with *error set when refused.
    bool exec(const QString& sql, const QVariantList& values = {}, QString* error = nullptr)
    {
        return statements::exec(db(), sql, values, error, [](const QSqlError& e) { return e.databaseText(); });
    }

    // Every row of a query, each as a list of its columns; *error set when refused.
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {}, QString* error = nullptr)
    {
        return statements::rows(db(), sql, values, error, [](const QSqlError& e) { return e.databaseText(); });
    }

    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        const auto r = rows(sql, values);
        return r.isEmpty() ? QVariant() : r.first().value(0);
    }

private:
    QString m_name;
    QString m_error;
    bool m_open = false;
};
