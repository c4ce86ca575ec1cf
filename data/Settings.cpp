#include "data/Settings.h"

#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace {

QString fileName() { return QString::fromLatin1(DatabaseSettings::kFileName); }

[[noreturn]] void fail(const QString& text) { throw Error(fileName() + QStringLiteral(": ") + text); }

// A value of the [server] section as text; absent gives the default. The INI
// reader turns an unquoted value with commas into a list, which would lose
// what stood around the commas: that is reported instead.
QString raw(const QSettings& s, const char* key, const QString& byDefault = QString())
{
    const QVariant v = s.value(QStringLiteral("server/") + QLatin1String(key));
    if (!v.isValid())
        return byDefault;
    if (v.typeId() == QMetaType::QStringList)
        fail(QStringLiteral("the value of \"%1\" holds a comma; enclose it in double quotes").arg(QLatin1String(key)));
    return v.toString();
}

QString text(const QSettings& s, const char* key, const QString& byDefault = QString())
{
    return raw(s, key, byDefault).trimmed();
}

} // namespace

DatabaseSettings DatabaseSettings::read(const QString& folder)
{
    const QString path = QDir(folder).filePath(fileName());
    if (!QFileInfo::exists(path))
        return DatabaseSettings();
    return readFile(path);
}

DatabaseSettings DatabaseSettings::readFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        fail(QStringLiteral("the settings file cannot be read"));
    const QSettings s(path, QSettings::IniFormat);
    if (s.status() == QSettings::AccessError)
        fail(QStringLiteral("the settings file cannot be read"));
    if (s.status() == QSettings::FormatError)
        fail(QStringLiteral("the settings file is damaged"));

    DatabaseSettings result;
    const QString engine = text(s, "engine").toLower();
    if (engine == QLatin1String("file"))
        return result;
    if (engine.isEmpty())
        fail(QStringLiteral("no database engine is named (engine=postgresql or engine=file in the [server] section)"));
    if (engine != QLatin1String("postgresql"))
        fail(QStringLiteral("unknown database engine \"%1\" (postgresql or file)").arg(text(s, "engine")));

    result.engine = Engine::PostgreSql;
    result.host = text(s, "host");
    result.database = text(s, "database");
    result.role = text(s, "role", result.role);
    result.password = raw(s, "password"); // blanks inside quotes are kept
    result.teacherRole = text(s, "teacher_role", result.teacherRole);
    result.studentsRole = text(s, "students_role", result.studentsRole);
    const QString port = text(s, "port");
    if (!port.isEmpty()) {
        bool ok = false;
        result.port = port.toInt(&ok);
        if (!ok || result.port < 1 || result.port > 65535)
            fail(QStringLiteral("\"%1\" is no port number").arg(port));
    }
    if (result.host.isEmpty())
        fail(QStringLiteral("no server is named (host=... in the [server] section)"));
    if (result.database.isEmpty())
        fail(QStringLiteral("no database is named (database=... in the [server] section)"));
    if (result.role.isEmpty() || result.teacherRole.isEmpty() || result.studentsRole.isEmpty())
        fail(QStringLiteral("a role name is empty"));
    return result;
}
