#pragma once

#include "cardimport/DetectedPAPCard.h"
#include "cardimport/PAPCardImporter.h"
#include "records/Snapshot.h"
#include "sync/publication/SnapshotPublication.h"

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <exception>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>

namespace velunora {

// Builds the importer registry an import runs on (each import its own, on its own thread).
using RegistryMaker = std::function<PAPCardImportRegistry()>;

// What an import hands back: the card's snapshot, or the failure it met.
struct ImportOutcome {
    std::shared_ptr<const OscarSnapshot> snapshot;
    std::exception_ptr error;
};

// Reads the whole card on a thread of the global pool; never throws.
QFuture<ImportOutcome> importCardInBackground(DetectedPAPCard card, RegistryMaker makeRegistry);

// One sync of `card`: the card is read while the published history is fetched (the morning
// waits for the slower alone), then the merge is published, unless `requester` is gone by
// then (the app quits: nothing is published half-asked). Throws what failed, the card's
// failure first: it is the one the user can mend.
QCoro::Task<PublicationResult> syncCard(DetectedPAPCard card, RegistryMaker makeRegistry,
                                        PublicationPlaces places, QPointer<QObject> requester);

} // namespace velunora
