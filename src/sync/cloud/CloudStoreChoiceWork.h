#pragma once

// What the two files of the store choice share: their texts, and how they read a setting and
// run blocking work off the main thread.
#include "sync/Settings.h"

#include <QCoreApplication>
#include <QFuture>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>

namespace velunora {

// The texts of the store choice. The context repeats the struct's name, so that Qt's tools file the
// texts under it even where they cannot resolve the struct.
struct CloudStoreChoiceTexts {
    Q_DECLARE_TR_FUNCTIONS(CloudStoreChoiceTexts)
};

namespace storechoice {

inline QString setting(const Settings& defaults, QStringView key) {
    return defaults.value(key.toString()).toString().trimmed();
}

// Runs `work` on the pool and hands back its failure, if any.
template <typename Work> inline QFuture<std::exception_ptr> offMainThread(Work work) {
    return QtConcurrent::run(QThreadPool::globalInstance(), [work = std::move(work)]() mutable {
        try {
            work();
            return std::exception_ptr();
        } catch (...) {
            return std::current_exception();
        }
    });
}

} // namespace storechoice

} // namespace velunora
