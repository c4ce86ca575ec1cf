// norvena-admin: the administrator's tool for a course kept on a PostgreSQL
// server. The program itself takes no arguments and never changes a
// database's schema; setting a server up and bringing a course over are
// done here, by whoever looks after the server.

#include "admin/CourseCopy.h"
#include "admin/ServerSetup.h"
#include "data/Settings.h"
#include "data/SqlError.h"
#include "platform/Error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTextStream>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

// A line from standard input; not echoed when it is a terminal.
QString readSecret(const QString& prompt)
{
    const bool terminal = isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        err() << prompt << Qt::flush;
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    QTextStream in(stdin);
    const QString line = in.readLine();
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        err() << Qt::endl;
    }
    return line;
}

// A password of 20 letters and digits from the system's random source.
QString randomPassword()
{
    static const char kLetters[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    QString password;
    for (int i = 0; i < 20; ++i)
        password += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)]);
    return password;
}

QSqlDatabase connectAsAdministrator(const DatabaseSettings& settings, const QString& user)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
    db.setHostName(settings.host);
    db.setPort(settings.port);
    db.setDatabaseName(settings.database);
    if (!user.isEmpty())
        db.setUserName(user);
    // The administrator's password comes from PGPASSWORD or ~/.pgpass.
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!db.open())
        throw Error(QStringLiteral("cannot connect to %1: %2").arg(settings.host, engineMessage(db.lastError())));
    return db;
}

int run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sets up a course on a PostgreSQL server and copies its database between test.mdb and the server.\n\n"
        "Commands:\n"
        "  setup              create the tables, the students' group, the teacher's role, the PC role\n"
        "                     of the settings file, their rights and the grading functions; run again,\n"
        "                     it brings every role, right and function back to this state (the rows\n"
        "                     stay); the teacher's password is read from standard input (an empty\n"
        "                     line keeps the one set before)\n"
        "  add-pc ROLE        make a role of its own for one student PC (or bring it back); its\n"
        "                     password is read from standard input (an empty line: a new random\n"
        "                     one); prints the lines for that PC's settings file\n"
        "  check              tell what differs on the server from what setup makes (exit code 1)\n"
        "  to-server [FILE]   replace the server's rows with those of FILE (default test.mdb)\n"
        "  to-file FILE       write the server's rows into the new database file FILE\n\n"
        "The server, database and role names come from the course's settings file. The\n"
        "administrator's password, if one is needed, is taken from PGPASSWORD or ~/.pgpass."));
    parser.addHelpOption();
    const QCommandLineOption settingsOption(
        QStringList{QStringLiteral("s"), QStringLiteral("settings")},
        QStringLiteral("The course's settings file (default: norvena.ini in the current folder)."),
        QStringLiteral("file"), QString::fromLatin1(DatabaseSettings::kFileName));
    const QCommandLineOption userOption(QStringList{QStringLiteral("U"), QStringLiteral("user")},
                                        QStringLiteral("The administrator's role on the server (a superuser)."),
                                        QStringLiteral("role"));
    const QCommandLineOption zoneOption(
        QStringList{QStringLiteral("time-zone")},
        QStringLiteral("setup: the time zone whose day dates a result (default: the one set before, else the "
                       "server's own)."),
        QStringLiteral("zone"));
    parser.addOption(settingsOption);
    parser.addOption(userOption);
    parser.addOption(zoneOption);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("setup, add-pc, check, to-server or to-file"));
    parser.process(arguments);

    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    if (command.isEmpty() || !QStringList{"setup", "add-pc", "check", "to-server", "to-file"}.contains(command) ||
        ((command == QLatin1String("setup") || command == QLatin1String("check")) && positional.size() != 1) ||
        (command == QLatin1String("add-pc") && positional.size() != 2) ||
        (command == QLatin1String("to-server") && positional.size() > 2) ||
        (command == QLatin1String("to-file") && positional.size() != 2)) {
        err() << parser.helpText() << Qt::flush;
        return 2;
    }

    const DatabaseSettings settings = DatabaseSettings::readFile(parser.value(settingsOption));
    if (!settings.server())
        throw Error(QStringLiteral("%1 names no server (engine=postgresql)").arg(parser.value(settingsOption)));
    QSqlDatabase db = connectAsAdministrator(settings, parser.value(userOption));

    server::Roles roles;
    roles.students = settings.studentsRole;
    roles.teacher = settings.teacherRole;
    if (command == QLatin1String("setup")) {
        roles.pc = settings.role;
        roles.pcPassword = settings.password;
        roles.timeZone = parser.value(zoneOption);
        roles.teacherPassword = readSecret(QStringLiteral("Password of the teacher's role %1: ").arg(roles.teacher));
        server::setUp(db, roles);
        QTextStream(stdout) << "The course is set up in the database " << settings.database << " on " << settings.host
                            << ".\n";
    } else if (command == QLatin1String("add-pc")) {
        const QString pc = positional.value(1);
        QString password = readSecret(QStringLiteral("Password of the PC's role %1 (empty: a new one): ").arg(pc));
        if (password.isEmpty())
            password = randomPassword();
        server::addPc(db, roles, pc, password);
        QString quoted = password;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        QTextStream(stdout) << "The PC role " << pc << " is ready. Its settings file norvena.ini holds:\n\n"
                            << "[server]\nengine=postgresql\nhost=" << settings.host << "\nport=" << settings.port
                            << "\ndatabase=" << settings.database << "\nrole=" << pc << "\npassword=\"" << quoted
                            << "\"\nteacher_role=" << settings.teacherRole << "\nstudents_role="
                            << settings.studentsRole << "\n";
    } else if (command == QLatin1String("check")) {
        const QStringList differences = server::check(db, roles);
        QTextStream out(stdout);
        if (differences.isEmpty()) {
            out << "The server is as setup makes it.\n";
        } else {
            for (const QString& d : differences)
                out << d << "\n";
            out << differences.size() << " difference(s); norvena-admin setup brings the server back.\n";
            return 1;
        }
    } else if (command == QLatin1String("to-server")) {
        const QString file = positional.value(1, QStringLiteral("test.mdb"));
        const course_copy::Counts c = course_copy::toServer(file, db);
        QTextStream(stdout) << "Copied " << c.rows << " rows of " << c.tables << " tables from " << file << " to "
                            << settings.database << ".\n";
    } else {
        const QString file = positional.value(1);
        const course_copy::Counts c = course_copy::toFile(db, file);
        QTextStream(stdout) << "Copied " << c.rows << " rows of " << c.tables << " tables from " << settings.database
                            << " to " << file << ".\n";
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("norvena-admin"));
    int code = 1;
    try {
        code = run(QCoreApplication::arguments());
    } catch (const std::exception& e) {
        err() << "norvena-admin: " << QString::fromUtf8(e.what()) << Qt::endl;
        code = 1;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return code;
}
