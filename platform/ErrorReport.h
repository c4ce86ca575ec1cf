#pragma once

#include "platform/HandlerScope.h"

#include <QObject>
#include <QString>

#include <exception>
#include <utility>

class QWidget;

// The application's default error report: every error that escapes a handler
// ends that handler and is shown here, in a box with the error's text, the
// application title as caption, an error icon and one "OK". The windows stay
// open. Every report is also written to the program's log (stderr).
namespace ErrorReport {

// A full stop is appended when the text's last character has a code greater
// than that of "." (a text ending in a letter or digit gets one; one ending
// in ".", "!" or ")" does not).
QString withFullStop(const QString& text);

// The text of any exception the program may meet.
QString textOf(const std::exception& e);

// Shows the default error report for the text. The work the running handler
// holds open is settled before the box is shown; a failure to settle it is
// reported in a second box.
void show(const QString& text);

// Settles the work the handler held open (HandlerScope) and reports a failure.
void finish();

// Runs a handler; an error escaping it is reported and the handler ends there.
// What the handler wrote is settled when the outermost handler ends, whether
// normally or by an error (before the error's box is shown).
template <class F> void run(F&& handler)
{
    HandlerScope::Running running;
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        show(textOf(e));
        return;
    }
    if (running.outermost())
        finish();
}

} // namespace ErrorReport

// Connects a signal to a handler of a window: the handler runs through the
// default error report. Handlers take no arguments; they read what they need
// from their controls, as every handler of the program does.
template <class Sender, class Signal, class Receiver>
QMetaObject::Connection on(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)())
{
    return QObject::connect(sender, signal, receiver, [receiver, handler] {
        ErrorReport::run([&] { (receiver->*handler)(); });
    });
}
