#pragma once

// A course database of its own on the test's server, set up by the server
// set-up with two roles of known passwords, dropped when it goes.

#include "admin/ServerSetup.h"
#include "pg/PgCluster.h"
#include "pg/PgSession.h"
#include "platform/Error.h"

#include <QTest>

#include <memory>

class ServerFixture {
public:
    static constexpr const char* kStudent = "norvena_student";
    static constexpr const char* kStudentPassword = "ученик 1";
    static constexpr const char* kTeacher = "norvena_teacher";
    static constexpr const char* kTeacherPassword = "o'Brien \"quartz\"";

    explicit ServerFixture(PgCluster& cluster) : m_cluster(cluster), m_database(cluster.createDatabase())
    {
        server::Roles roles;
        roles.student = QString::fromLatin1(kStudent);
        roles.studentPassword = QString::fromUtf8(kStudentPassword);
        roles.teacher = QString::fromLatin1(kTeacher);
        roles.teacherPassword = QString::fromUtf8(kTeacherPassword);
        try {
            server::setUp(admin(), roles);
        } catch (const Error& e) {
            m_error = e.message();
        }
    }
    // The set-up's failure, empty when it succeeded.
    QString error() const { return m_error; }
    ~ServerFixture() { m_cluster.dropDatabase(m_database); }

    QString database() const { return m_database; }
    QSqlDatabase admin() { return m_cluster.admin(m_database); }

    std::unique_ptr<PgSession> student() const
    {
        return std::make_unique<PgSession>(m_cluster, m_database, QString::fromLatin1(kStudent),
                                           QString::fromUtf8(kStudentPassword));
    }
    std::unique_ptr<PgSession> teacher() const
    {
        return std::make_unique<PgSession>(m_cluster, m_database, QString::fromLatin1(kTeacher),
                                           QString::fromUtf8(kTeacherPassword));
    }
    std::unique_ptr<PgSession> administrator() const
    {
        return std::make_unique<PgSession>(m_cluster, m_database, QString::fromLatin1(PgCluster::kAdmin), QString());
    }

private:
    PgCluster& m_cluster;
    QString m_database;
    QString m_error;
};
