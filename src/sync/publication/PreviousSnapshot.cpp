#include "sync/publication/PreviousSnapshot.h"

#include "records/SnapshotJSON.h"

namespace velunora {
namespace {

std::optional<OscarSnapshot> decoded(std::string_view json) {
    try {
        return decodeSnapshot(json);
    } catch (const SnapshotDecodingError&) {
        return std::nullopt;
    }
}

} // namespace

PreviousSnapshot choosePreviousSnapshot(const PublishedSnapshot& published,
                                        const LocalExport& localExport,
                                        const std::string& knownExport) {
    if (published.payloadIsKnown) {
        std::string identity;
        const auto bytes = LocalExport::readSnapshotFile(localExport.snapshotFile(), &identity);
        if (bytes && !knownExport.empty() && identity == knownExport) {
            if (auto snapshot = decoded(*bytes)) {
                return {std::move(snapshot), PreviousSnapshot::Source::store, false};
            }
        }
        return {std::nullopt, PreviousSnapshot::Source::none, true};
    }
    if (published.payload) {
        if (auto snapshot = decoded(*published.payload)) {
            return {std::move(snapshot), PreviousSnapshot::Source::store, false};
        }
    }
    // Nothing readable in the store: what this computer published last is the best history
    // there is (a store emptied by a reset has no export left beside it either).
    auto exported = localExport.loadPreviousSnapshot();
    const auto source =
        exported ? PreviousSnapshot::Source::localExport : PreviousSnapshot::Source::none;
    return {std::move(exported), source, false};
}

} // namespace velunora
