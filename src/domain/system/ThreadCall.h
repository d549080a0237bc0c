// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <optional>
#include <type_traits>
#include <utility>

// Runs f on the thread object lives in and returns its result: at once when
// called there, otherwise waiting for it. The object's thread must be
// running its event loop and must not be waiting for the caller.
template <typename F>
auto callOnThreadOf(const QObject &object, F &&f) -> std::invoke_result_t<F>
{
    using Result = std::invoke_result_t<F>;
    auto *target = const_cast<QObject *>(&object);
    if (QThread::currentThread() == object.thread()) {
        return f();
    } else if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(target, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
        std::optional<Result> result;
        QMetaObject::invokeMethod(
            target, [&] { result.emplace(f()); }, Qt::BlockingQueuedConnection);
        return std::move(*result);
    }
}
