// norvena-start: starts Норвена in its course folder (see Launcher.h). The
// desktop menu entry runs it; it takes no arguments either.

#include "launcher/Launcher.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// The settings file; NORVENA_CONFIG names another one (for trying a setting
// out, and for tests of an installed tree that is not at its place).
QString settingsPath() { return qEnvironmentVariable("NORVENA_CONFIG", QStringLiteral(NORVENA_SETTINGS_FILE)); }

int fail(int& argc, char** argv, const QString& text)
{
    std::fprintf(stderr, "norvena-start: %s\n", qPrintable(text));
    std::fflush(stderr);
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Норвена"), text, QMessageBox::Ok);
    box.exec();
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // The program and the demo course are found from this file's own folder.
    const QString here = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString program = here + QStringLiteral("/" NORVENA_PROGRAM);
    const QString demoCourse = QDir::cleanPath(here + QStringLiteral("/" NORVENA_INSTALLED_DATA_DIR "/course"));
    const QString userCourse =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/norvena/course");

    QString folder;
    try {
        const QString path = settingsPath();
        folder = Launcher::courseFolder(Launcher::readSettings(path, QDir::homePath()), path, userCourse, demoCourse);
    } catch (const Launcher::Failure& failure) {
        return fail(argc, argv, failure.text);
    }
    const auto systemReason = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    if (::chdir(QFile::encodeName(folder).constData()) != 0)
        return fail(argc, argv,
                    QStringLiteral("Не удалось перейти в папку курса «%1»: %2.").arg(folder, systemReason()));
    const QByteArray file = QFile::encodeName(program);
    char* const args[] = {const_cast<char*>(file.constData()), nullptr};
    ::execv(file.constData(), args);
    return fail(argc, argv, QStringLiteral("Не удалось запустить «%1»: %2.").arg(program, systemReason()));
}
