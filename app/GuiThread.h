// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a piece of work on the GUI thread and waits for its result. Called
// from the worker thread while an operation asks the user something.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <type_traits>

namespace tw {

template <typename F>
auto OnGuiThread(QObject* context, F f) -> decltype(f())
{
    using R = decltype(f());
    if (QThread::currentThread() == context->thread())
        return f();
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(context, std::move(f), Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(context, std::move(f), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

} // namespace tw
