#include "launcher/Launcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }

QString reason(const std::error_code& ec) { return QString::fromLocal8Bit(ec.message()); }

QString unquoted(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        return value.mid(1, value.size() - 2);
    return value;
}

// The demo course copied as the user's own course.
void copyDemoCourse(const QString& userCourse, const QString& demoCourse)
{
    if (!QFileInfo(demoCourse).isDir())
        throw Launcher::Failure{QStringLiteral("Учебный курс-пример не найден: нет папки «%1». "
                                               "Обратитесь к администратору.")
                                    .arg(demoCourse)};
    const QString parent = QFileInfo(userCourse).absolutePath();
    std::error_code ec;
    fs::create_directories(toPath(parent), ec);
    if (ec)
        throw Launcher::Failure{QStringLiteral("Не удалось создать папку «%1»: %2.").arg(parent, reason(ec))};

    QTemporaryDir part(userCourse + QStringLiteral(".new-XXXXXX"));
    if (!part.isValid())
        throw Launcher::Failure{
            QStringLiteral("Не удалось создать папку курса в «%1»: %2.").arg(parent, part.errorString())};
    const auto copyFailed = [&] {
        return Launcher::Failure{
            QStringLiteral("Не удалось скопировать учебный курс-пример в «%1»: %2.").arg(userCourse, reason(ec))};
    };
    fs::copy(toPath(demoCourse), toPath(part.path()), fs::copy_options::recursive, ec);
    if (ec)
        throw copyFailed();
    // The installed files may be read-only; the user's copy is the user's to write.
    for (auto it = fs::recursive_directory_iterator(toPath(part.path()), ec); !ec && it != fs::end(it);
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    if (ec)
        throw copyFailed();
    fs::rename(toPath(part.path()), toPath(userCourse), ec);
    if (ec) {
        // Another start may have made it in the meantime.
        if (QFileInfo(userCourse).isDir())
            return;
        throw Launcher::Failure{QStringLiteral("Не удалось создать папку курса «%1»: %2.").arg(userCourse, reason(ec))};
    }
    part.setAutoRemove(false);
}

} // namespace

Launcher::Settings Launcher::readSettings(const QString& path, const QString& home)
{
    Settings settings;
    QFile file(path);
    if (!file.exists())
        return settings;
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{QStringLiteral("Не удалось прочитать файл настроек «%1»: %2.").arg(path, file.errorString())};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString where = QStringLiteral("в строке %1 файла настроек «%2»").arg(i + 1).arg(path);
        if (eq < 0)
            throw Failure{QStringLiteral("Ошибка %1: ожидается «имя = значение», а стоит «%2».").arg(where, line)};
        const QString name = line.left(eq).trimmed();
        const QString value = unquoted(line.mid(eq + 1).trimmed());
        if (name != QLatin1String("course"))
            throw Failure{QStringLiteral("Ошибка %1: неизвестный параметр «%2».").arg(where, name)};
        QString course = value;
        if (course == u'~' || course.startsWith(QLatin1String("~/")))
            course = home + course.mid(1);
        if (!course.isEmpty() && !QDir::isAbsolutePath(course))
            throw Failure{
                QStringLiteral("Ошибка %1: папка курса «%2» должна быть задана полным путём.").arg(where, value)};
        settings.course = course.isEmpty() ? QString() : QDir::cleanPath(course);
    }
    return settings;
}

QString Launcher::courseFolder(const Settings& settings, const QString& settingsPath, const QString& userCourse,
                               const QString& demoCourse)
{
    if (!settings.course.isEmpty()) {
        if (!QFileInfo(settings.course).isDir())
            throw Failure{QStringLiteral("Папка курса «%1» не найдена. Её задаёт администратор в файле «%2».")
                              .arg(settings.course, settingsPath)};
        return settings.course;
    }
    const QFileInfo own(userCourse);
    if (own.isDir())
        return userCourse;
    if (own.exists())
        throw Failure{QStringLiteral("На месте папки курса «%1» лежит файл.").arg(userCourse)};
    copyDemoCourse(userCourse, demoCourse);
    return userCourse;
}
