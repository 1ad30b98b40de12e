#pragma once

#include "sync/cloud/RecordStore.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <string>
#include <utility>

namespace velunora::testing {

// An asset holding `bytes`, as a save hands it to the store.
inline CloudAsset assetOf(std::string bytes) {
    return CloudAsset{std::make_shared<const std::string>(std::move(bytes))};
}

// The code of the CloudError the operation throws, or 0 when it succeeds.
inline int cloudErrorCode(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const CloudError& error) {
        return error.code();
    }
    return 0;
}

namespace detail {
inline QCoro::Task<> capturing(QCoro::Task<> task, std::exception_ptr* failure) {
    try {
        co_await task;
    } catch (...) {
        *failure = std::current_exception();
    }
}
template <typename T>
QCoro::Task<> capturing(QCoro::Task<T> task, std::optional<T>* result,
                        std::exception_ptr* failure) {
    try {
        result->emplace(co_await task);
    } catch (...) {
        *failure = std::current_exception();
    }
}
} // namespace detail

// Runs the task to its end in a local event loop and rethrows its failure: QCoro 0.8's waitFor
// alone never returns from a task that throws.
inline void await(QCoro::Task<> task) {
    std::exception_ptr failure;
    QCoro::waitFor(detail::capturing(std::move(task), &failure));
    if (failure) {
        std::rethrow_exception(failure);
    }
}
template <typename T> T await(QCoro::Task<T> task) {
    std::optional<T> result;
    std::exception_ptr failure;
    QCoro::waitFor(detail::capturing(std::move(task), &result, &failure));
    if (failure) {
        std::rethrow_exception(failure);
    }
    return std::move(*result);
}

} // namespace velunora::testing
