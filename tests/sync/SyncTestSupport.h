#pragma once

// What the controller's tests share: an in-memory cloud, a scripted confirmation and a small
// generated card.
#include "support/TestSupport.h"
#include "sync/SyncController.h"
#include "sync/cloud/CloudStore.h"
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
        int downloads = 0;
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

    QByteArray fetchAsset(const QString& name, const QString&) override {
        std::lock_guard lock(shared_->mutex);
        ++shared_->downloads;
        const auto found = shared_->payloads.find(name);
        if (found == shared_->payloads.end()) {
            throw CloudError(cloudcode::unknownItem, QStringLiteral("inconnu"));
        }
        return QByteArray::fromStdString(found->second);
    }

    // Like a real store: only the version that was fetched is replaced.
    QString saveRecord(const CloudRecord& record) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->failSaveWith != 0) {
            throw CloudError(shared_->failSaveWith, QStringLiteral("Quota d\u00e9pass\u00e9."));
        }
        const auto stored = shared_->records.find(record.recordName);
        if (stored == shared_->records.end() ? !record.changeTag.isEmpty()
                                             : stored->second.changeTag != record.changeTag) {
            throw CloudError(cloudcode::serverRecordChanged, QStringLiteral("modifi\u00e9"));
        }
        const auto& asset = std::get<CloudAsset>(record.fields.at(QStringLiteral("payload")));
        shared_->payloads[record.recordName] = std::string(asset.view());
        CloudRecord saved = record;
        saved.changeTag = QString::number(++shared_->saves);
        shared_->records[record.recordName] = saved;
        return saved.changeTag;
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
