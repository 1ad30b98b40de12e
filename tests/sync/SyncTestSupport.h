#pragma once

// What the controller's tests share: an in-memory cloud, a scripted confirmation and a small
// generated card.
#include "support/TestSupport.h"
#include "sync/CloudStore.h"
#include "sync/SyncController.h"
#include "tools/CardGenerator.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

namespace velunora::testing {

namespace fs = std::filesystem;

// An in-memory cloud that keeps what it was sent and can be told to fail.
class RecordingCloudStore final : public CloudStore {
public:
    struct Shared {
        std::mutex mutex;
        std::map<QString, CloudRecord> records;
        std::map<QString, std::string> payloads;
        int failFetchWith = 0;
        int failSaveWith = 0;
        int failDeleteWith = 0;
        int saves = 0;
    };

    explicit RecordingCloudStore(std::shared_ptr<Shared> shared)
        : shared_(std::move(shared)) {}

    CloudRecord fetchRecord(const QString& name) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->failFetchWith != 0) {
            throw CloudError(shared_->failFetchWith, QStringLiteral("R\u00e9seau indisponible."));
        }
        const auto found = shared_->records.find(name);
        if (found == shared_->records.end()) {
            throw CloudError(cloudcode::unknownItem, QStringLiteral("inconnu"));
        }
        return found->second;
    }

    void saveRecord(const CloudRecord& record) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->failSaveWith != 0) {
            throw CloudError(shared_->failSaveWith, QStringLiteral("Quota d\u00e9pass\u00e9."));
        }
        const auto& asset = std::get<CloudAsset>(record.fields.at(QStringLiteral("payload")));
        shared_->payloads[record.recordName] = readFile(asset.filePath.toStdString());
        shared_->records[record.recordName] = record;
        ++shared_->saves;
    }

    void deleteRecord(const QString& name) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->failDeleteWith != 0) {
            throw CloudError(shared_->failDeleteWith, QStringLiteral("Connexion perdue."));
        }
        if (shared_->records.erase(name) == 0) {
            throw CloudError(cloudcode::unknownItem, QStringLiteral("inconnu"));
        }
        shared_->payloads.erase(name);
    }

private:
    std::shared_ptr<Shared> shared_;
};

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
