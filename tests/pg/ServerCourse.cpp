#include "pg/ServerCourse.h"

#include "admin/CourseCopy.h"
#include "admin/ServerSetup.h"
#include "data/Settings.h"
#include "pg/PgSession.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace test_engine {

bool server()
{
    return qEnvironmentVariable("NORVENA_TEST_ENGINE").compare(QLatin1String("postgresql"), Qt::CaseInsensitive) == 0;
}

QString name() { return server() ? QStringLiteral("postgresql") : QStringLiteral("file"); }

PgCluster* cluster(QString* error)
{
    // Made at the first use and destroyed with the process's other statics,
    // which stops the server and removes its folder. The database layer's
    // own register of connections is made first, so that it is still there
    // when the cluster closes its connections.
    (void)QSqlDatabase::connectionNames();
    static std::unique_ptr<PgCluster> instance;
    static QString failure;
    if (!instance && failure.isEmpty()) {
        auto made = std::make_unique<PgCluster>();
        if (made->start(&failure))
            instance = std::move(made);
    }
    if (!instance && error)
        *error = failure;
    return instance.get();
}

} // namespace test_engine

namespace {

server::Roles testRoles()
{
    server::Roles roles;
    roles.students = QString::fromLatin1(ServerCourse::kStudents);
    roles.pc = QString::fromLatin1(ServerCourse::kStudent);
    roles.pcPassword = QString::fromUtf8(ServerCourse::kStudentPassword);
    roles.teacher = QString::fromLatin1(ServerCourse::kTeacher);
    roles.teacherPassword = QString::fromUtf8(ServerCourse::kTeacherPassword);
    return roles;
}

} // namespace

ServerCourse::ServerCourse(const QString& folder, Login login)
{
    m_cluster = test_engine::cluster(&m_error);
    if (!m_cluster)
        return;
    m_database = m_cluster->createDatabase();
    if (m_database.isEmpty()) {
        m_error = QStringLiteral("no database could be made on the test server");
        return;
    }
    const QString file = QDir(folder).filePath(QStringLiteral("test.mdb"));
    try {
        server::setUp(m_cluster->admin(m_database), testRoles());
        server::addPc(m_cluster->admin(m_database), testRoles(), QString::fromLatin1(kOtherPc),
                      QString::fromUtf8(kOtherPcPassword));
        if (QFileInfo::exists(file))
            course_copy::toServer(file, m_cluster->admin(m_database));
    } catch (const Error& e) {
        m_error = e.message();
        return;
    }
    QFile::remove(file);
    QFile ini(QDir(folder).filePath(QString::fromLatin1(DatabaseSettings::kFileName)));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = ini.errorString();
        return;
    }
    ini.write((login == Login::Student
                   ? settingsText(QString::fromLatin1(kStudent), QString::fromUtf8(kStudentPassword))
                   : settingsText(QString::fromLatin1(PgCluster::kAdmin), QString()))
                  .toUtf8());
}

ServerCourse::~ServerCourse()
{
    if (m_cluster && !m_database.isEmpty())
        m_cluster->dropDatabase(m_database);
}

QString ServerCourse::settingsText(const QString& role, const QString& password) const
{
    return settingsText(role, password, m_cluster->socketDir(), PgCluster::kPort);
}

QString ServerCourse::settingsText(const QString& role, const QString& password, const QString& host, int port) const
{
    QString quotedPassword = password;
    quotedPassword.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QStringLiteral("[server]\nengine=postgresql\nhost=%1\nport=%2\ndatabase=%3\nrole=%4\npassword=\"%5\"\n"
                          "teacher_role=%6\nstudents_role=%7\n")
        .arg(host)
        .arg(port)
        .arg(m_database, role, quotedPassword, QString::fromLatin1(kTeacher), QString::fromLatin1(kStudents));
}

std::unique_ptr<PgSession> ServerCourse::administrator() const
{
    return std::make_unique<PgSession>(*m_cluster, m_database, QString::fromLatin1(PgCluster::kAdmin), QString());
}

std::unique_ptr<PgSession> ServerCourse::teacher() const
{
    return std::make_unique<PgSession>(*m_cluster, m_database, QString::fromLatin1(kTeacher),
                                       QString::fromUtf8(kTeacherPassword));
}

server::Roles ServerCourse::roles() { return testRoles(); }

std::unique_ptr<PgSession> ServerCourse::otherPc() const
{
    return std::make_unique<PgSession>(*m_cluster, m_database, QString::fromLatin1(kOtherPc),
                                       QString::fromUtf8(kOtherPcPassword));
}

std::unique_ptr<PgSession> ServerCourse::student() const
{
    return std::make_unique<PgSession>(*m_cluster, m_database, QString::fromLatin1(kStudent),
                                       QString::fromUtf8(kStudentPassword));
}
