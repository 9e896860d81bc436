#pragma once

#include "platform/db/PharvelError.h"

#include <QObject>
#include <concepts>
#include <exception>
#include <functional>

// The top-level handler of every user event: an error that escapes an event handler ends the
// handling of that event with a critical message box naming its description and source, and the
// program carries on. No exception may reach the Qt event loop.

// The text of the box: "<description>\n\nSource: <source>".
QString ErrorText(const PharvelError& error);

// A critical message box with ErrorText and the application title.
void ReportError(const PharvelError& error);

namespace ErrorHandlerDetail {
void ReportUnexpected(const std::exception& error);
void ReportUnknown();
} // namespace ErrorHandlerDetail

// Runs f; any PharvelError or other exception it lets escape becomes the critical message box.
template <class F> void Guarded(F&& f) noexcept
{
    try {
        std::invoke(std::forward<F>(f));
    } catch (const PharvelError& error) {
        ReportError(error);
    } catch (const std::exception& error) {
        ErrorHandlerDetail::ReportUnexpected(error);
    } catch (...) {
        ErrorHandlerDetail::ReportUnknown();
    }
}

// connect() for an event handler: the receiver's method runs under Guarded. The method may take
// the signal's leading arguments or none, as with an ordinary connection.
//   connectGuarded(cmdAdd, &QPushButton::clicked, this, &frmList::cmdAdd_Click);
template <class Sender, class Signal, class Receiver, class Method>
QMetaObject::Connection connectGuarded(const Sender* sender, Signal signal, Receiver* receiver,
                                       Method method)
{
    return QObject::connect(
        sender, signal, receiver,
        [ receiver,
          method ](auto&&... args) requires std::invocable<Method, Receiver*, decltype(args)...> {
            Guarded([&] { std::invoke(method, receiver, std::forward<decltype(args)>(args)...); });
        });
}
