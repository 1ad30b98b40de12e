#include "sync/cloud/Keychain.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <qt6keychain/keychain.h>

namespace velunora::keychain {
namespace {

const QString service = QStringLiteral("Velunora Sync");

Outcome outcomeOf(QKeychain::Error error) {
    switch (error) {
    case QKeychain::NoError:
        return Outcome::done;
    case QKeychain::EntryNotFound:
        return Outcome::notFound;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return Outcome::accessDenied;
    default:
        return Outcome::unavailable;
    }
}

// Runs the job that `make` gives on the main thread and waits for its end.
Secret run(const std::function<QKeychain::Job*()>& make) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) {
        return {};
    }
    auto promise = std::make_shared<std::promise<Secret>>();
    std::future<Secret> result = promise->get_future();
    auto start = [make, promise](QEventLoop* loop) {
        QKeychain::Job* job = make();
        QObject::connect(
            job, &QKeychain::Job::finished, job, [promise, loop](QKeychain::Job* done) {
                Secret secret{outcomeOf(done->error()), {}};
                if (const auto* reading = qobject_cast<QKeychain::ReadPasswordJob*>(done)) {
                    secret.text = reading->textData();
                }
                promise->set_value(std::move(secret));
                if (loop) {
                    loop->quit();
                }
            });
        job->start();
    };
    if (QThread::currentThread() == application->thread()) {
        QEventLoop loop;
        start(&loop);
        loop.exec();
    } else {
        QMetaObject::invokeMethod(
            application, [start] { start(nullptr); }, Qt::QueuedConnection);
        // Long enough for the user to answer an unlock prompt of the keyring.
        if (result.wait_for(std::chrono::minutes(2)) != std::future_status::ready) {
            return {};
        }
    }
    return result.get();
}

} // namespace

Secret read(const QString& key) {
    return run([key] {
        auto* job = new QKeychain::ReadPasswordJob(service);
        job->setKey(key);
        return job;
    });
}

Outcome write(const QString& key, const QString& text) {
    return run([key, text] {
               auto* job = new QKeychain::WritePasswordJob(service);
               job->setKey(key);
               job->setTextData(text);
               return job;
           })
        .outcome;
}

Outcome remove(const QString& key) {
    const Outcome outcome = run([key] {
                                auto* job = new QKeychain::DeletePasswordJob(service);
                                job->setKey(key);
                                return job;
                            }).outcome;
    return outcome == Outcome::notFound ? Outcome::done : outcome;
}

} // namespace velunora::keychain
