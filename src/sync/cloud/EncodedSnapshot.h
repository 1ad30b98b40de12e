#pragma once

#include "records/Date.h"
#include "records/Snapshot.h"
#include "records/SnapshotJSON.h"

#include <cstdint>
#include <string>

namespace velunora {

// A snapshot's JSON document with the two facts the cloud record shows beside it. Encoded once
// per sync, off the main thread, so that the cloud and the local export publish the same bytes.
struct EncodedSnapshot {
    std::string json;
    Date generatedAt;
    std::int64_t nightCount = 0;

    // Throws SnapshotEncodingError.
    static EncodedSnapshot of(const OscarSnapshot& snapshot) {
        return {makeSnapshotEncoder().encode(snapshot), snapshot.generatedAt,
                static_cast<std::int64_t>(snapshot.nights.size())};
    }
};

} // namespace velunora
