#pragma once

#include <QString>
#include <exception>

// The one kind of error that handlers raise and the default error report
// shows. Handlers never catch it: it ends the handler at the failing step and
// reaches the user through ErrorReport (see platform/ErrorReport.h).
class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// An input/output error of the file system, carrying the classic run-time
// error code ("File not found" is code 2, "Disk full" code 101, ...).
class InOutError : public Error {
public:
    explicit InOutError(int code) : Error(textFor(code)), m_code(code) {}

    int code() const noexcept { return m_code; }

    static QString textFor(int code)
    {
        switch (code) {
        case 2: return QStringLiteral("File not found");
        case 3: return QStringLiteral("Invalid filename");
        case 4: return QStringLiteral("Too many open files");
        case 5: return QStringLiteral("File access denied");
        case 100: return QStringLiteral("Read beyond end of file");
        case 101: return QStringLiteral("Disk full");
        case 106: return QStringLiteral("Invalid numeric input");
        default: return QStringLiteral("I/O error %1").arg(code);
        }
    }

private:
    int m_code;
};
