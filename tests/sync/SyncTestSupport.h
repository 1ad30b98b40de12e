#pragma once

// What the controller's tests share: an in-memory cloud, a scripted confirmation and a small
// generated card.
#include "support/TestSupport.h"
#include "sync/SyncController.h"
#include "sync/cloud/memory/MemoryCloudStore.h"
#include "tools/CardGenerator.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>

namespace velunora {

// What a failed expectation shows of a status: its title and its text.
inline void PrintTo(const Status& status, std::ostream* out) {
    *out << status.title().toStdString();
    if (status.kind() == Status::Kind::failed) {
        *out << " (" << status.failureText().toStdString() << ")";
    }
}

} // namespace velunora

namespace velunora::testing {

namespace fs = std::filesystem;

// The in-memory store beside the real ones, under the name the tests know it by.
using RecordingCloudStore = MemoryCloudStore;

class ScriptedConfirmation final : public ResetConfirmation {
public:
    bool answer = true;
    int asked = 0;
    bool confirmReset() override {
        ++asked;
        return answer;
    }
};

// A two-night generated card shared by every test; it is only ever read.
inline const fs::path& demoCard() {
    static TemporaryFolder folder;
    static const fs::path card = [] {
        cardgen::CardGeneratorOptions options;
        options.nights = 2;
        options.seed = 11;
        options.firstNight = cardgen::LocalDay{2024, 3, 1};
        cardgen::generateCard(folder.path() / "card", options);
        return folder.path() / "card";
    }();
    return card;
}

} // namespace velunora::testing
