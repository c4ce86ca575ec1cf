#include "platform/ErrorReport.h"

#include "platform/Error.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QLoggingCategory>

#include <new>

Q_LOGGING_CATEGORY(lcErrors, "norvena.errors")

QString ErrorReport::withFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

QString ErrorReport::textOf(const std::exception& e)
{
    if (const auto* error = dynamic_cast<const Error*>(&e))
        return error->message();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Out of memory");
    return QString::fromLocal8Bit(e.what());
}

namespace {

void box(const QString& text)
{
    const QString shown = ErrorReport::withFullStop(text);
    qCWarning(lcErrors).noquote() << "error report:" << shown;
    Platform::messages().error(QApplication::activeWindow(), Platform::applicationTitle(), shown);
}

// Settles the running handler's work; the text of a failure, empty when none.
QString settled()
{
    try {
        HandlerScope::settle();
    } catch (const std::exception& e) {
        return ErrorReport::textOf(e);
    }
    return QString();
}

} // namespace

void ErrorReport::show(const QString& text)
{
    const QString failure = settled();
    box(text);
    if (!failure.isEmpty())
        box(failure);
}

void ErrorReport::finish()
{
    const QString failure = settled();
    if (!failure.isEmpty())
        box(failure);
}
