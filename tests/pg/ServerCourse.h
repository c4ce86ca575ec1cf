#pragma once

#include "admin/ServerSetup.h"
#include "pg/PgCluster.h"

#include <QString>

#include <memory>

class PgSession;

// The database engine the tests of the table objects and of the windows run
// against: the course's file "test.mdb" (the default), or a PostgreSQL
// server of the test's own when NORVENA_TEST_ENGINE is "postgresql". CTest
// runs those suites once with each.
namespace test_engine {

bool server();
// "file" or "postgresql", for messages.
QString name();

// The test process's own server: started at its first use, stopped and
// removed when the process ends. nullptr, with *error set, when it cannot
// be started.
PgCluster* cluster(QString* error = nullptr);

} // namespace test_engine

// A course folder's database moved to a server database of its own: the
// rows of the folder's "test.mdb" are copied into a new database set up as
// for a lab, the file is removed (so nothing can use it unseen), and the
// folder gets the settings file "norvena.ini" that names the database and
// the students' role. The database is dropped when the object goes.
class ServerCourse {
public:
    // The students' group, and two PCs of the lab, each with a role of its
    // own: the course's settings file logs in as the first.
    static constexpr const char* kStudents = "norvena_students";
    static constexpr const char* kStudent = "norvena_student";
    static constexpr const char* kStudentPassword = "ученик 1";
    static constexpr const char* kOtherPc = "norvena_pc2";
    static constexpr const char* kOtherPcPassword = "ученик 2";
    static constexpr const char* kTeacher = "norvena_teacher";
    static constexpr const char* kTeacherPassword = "o'Brien \"quartz\"";

    // Who the settings file logs in as: the students' role, as in a lab, or
    // the administrator (for the tests of the data layer, which try every
    // operation on every table).
    enum class Login { Student, Administrator };

    explicit ServerCourse(const QString& folder, Login login = Login::Student);
    ~ServerCourse();
    ServerCourse(const ServerCourse&) = delete;
    ServerCourse& operator=(const ServerCourse&) = delete;

    // Empty when the course is on the server; else what went wrong.
    QString error() const { return m_error; }
    QString database() const { return m_database; }
    PgCluster& cluster() const { return *m_cluster; }
    // The administrator's connection to the course's database.
    QSqlDatabase admin() const { return m_cluster->admin(m_database); }

    // Sessions as another program would open them.
    std::unique_ptr<PgSession> administrator() const;
    std::unique_ptr<PgSession> teacher() const;
    std::unique_ptr<PgSession> student() const;
    // A session of the other PC's role.
    std::unique_ptr<PgSession> otherPc() const;
    // The roles as the course was set up with them.
    static server::Roles roles();

    // The settings file's text for the course's database and a role.
    QString settingsText(const QString& role, const QString& password) const;
    // The same, reached at another address: a TCP host and port (a
    // DelayProxy's) in place of the cluster's socket.
    QString settingsText(const QString& role, const QString& password, const QString& host, int port) const;

private:
    PgCluster* m_cluster = nullptr;
    QString m_database;
    QString m_error;
};
