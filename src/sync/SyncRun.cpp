#include "sync/SyncRun.h"

#include "sync/Logging.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <QtConcurrent>
#include <qcoro/qcorofuture.h>

namespace velunora {

QFuture<ImportOutcome> importCardInBackground(DetectedPAPCard card, RegistryMaker makeRegistry) {
    return QtConcurrent::run(QThreadPool::globalInstance(),
                             [card = std::move(card), makeRegistry = std::move(makeRegistry)]() {
                                 try {
                                     return ImportOutcome{std::make_shared<const OscarSnapshot>(
                                                              makeRegistry().importCard(card)),
                                                          nullptr};
                                 } catch (...) {
                                     return ImportOutcome{nullptr, std::current_exception()};
                                 }
                             });
}

QCoro::Task<PublicationResult> syncCard(DetectedPAPCard card, RegistryMaker makeRegistry,
                                        PublicationPlaces places, QPointer<QObject> requester) {
    // Named, not a temporary of the co_await expression: g++ 12 destroys such temporaries twice.
    QElapsedTimer clock;
    clock.start();
    qCDebug(lcSync).noquote() << "reading the card in"
                              << QString::fromStdString(card.rootFolder.string());
    auto importing = importCardInBackground(std::move(card), std::move(makeRegistry));
    auto reading = readPublishedHistory(places);
    ImportOutcome imported = co_await importing;
    PublishedHistory history;
    std::exception_ptr failure;
    try {
        history = co_await reading;
    } catch (...) {
        failure = std::current_exception();
    }
    qCDebug(lcSync) << "card and published history read in" << clock.elapsed() << "ms";
    if (!requester) {
        co_return PublicationResult{};
    }
    if (imported.error) {
        std::rethrow_exception(imported.error);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    auto publishing = publishImportedSnapshot(std::move(places), std::move(imported.snapshot),
                                              std::move(history));
    co_return co_await publishing;
}

} // namespace velunora
