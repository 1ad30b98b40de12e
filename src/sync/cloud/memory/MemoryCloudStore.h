#pragma once

#include "sync/cloud/CloudStore.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace velunora {

// The fake beside the real stores: keeps in memory what it was sent, answers like a real store
// (only the version fetched is replaced), and can be told to fail. For the tests and the
// screenshots; the shared part outlives the store, as a server outlives a connection.
class MemoryCloudStore final : public CloudStore {
public:
    struct Shared {
        std::mutex mutex;
        // The version stored, by the name the phone app reads it under.
        std::map<QString, QString> changeTags;
        std::map<QString, std::string> payloads;
        int failFetchWith = 0;
        int failSaveWith = 0;
        int failDeleteWith = 0;
        int saves = 0;
        int downloads = 0;
    };

    explicit MemoryCloudStore(std::shared_ptr<Shared> shared)
        : shared_(std::move(shared)) {}

    std::optional<QString> fetchChangeTag() override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->failFetchWith != 0) {
            throw CloudError(shared_->failFetchWith, QStringLiteral("R\u00e9seau indisponible."));
        }
        const auto found = shared_->changeTags.find(name);
        return found == shared_->changeTags.end() ? std::nullopt
                                                  : std::optional<QString>(found->second);
    }

    QByteArray fetchPayload() override {
        std::lock_guard lock(shared_->mutex);
        ++shared_->downloads;
        const auto found = shared_->payloads.find(name);
        if (found == shared_->payloads.end()) {
            throw CloudError(cloudcode::unknownItem, QStringLiteral("inconnu"));
        }
        return QByteArray::fromStdString(found->second);
    }

    // Like a real store: only the version that was fetched is replaced.
    QString save(const SnapshotUpload& snapshot, const QString& replacing) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->failSaveWith != 0) {
            throw CloudError(shared_->failSaveWith, QStringLiteral("Quota d\u00e9pass\u00e9."));
        }
        const auto stored = shared_->changeTags.find(name);
        if (stored == shared_->changeTags.end() ? !replacing.isEmpty()
                                                : stored->second != replacing) {
            throw CloudError(cloudcode::serverRecordChanged, QStringLiteral("modifi\u00e9"));
        }
        shared_->payloads[name] = std::string(snapshot.bytes());
        return shared_->changeTags[name] = QString::number(++shared_->saves);
    }

    void remove() override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->failDeleteWith != 0) {
            throw CloudError(shared_->failDeleteWith, QStringLiteral("Connexion perdue."));
        }
        if (shared_->changeTags.erase(name) == 0) {
            throw CloudError(cloudcode::unknownItem, QStringLiteral("inconnu"));
        }
        shared_->payloads.erase(name);
    }

    // The name the tests look the payload up by.
    static inline const QString name = QStringLiteral("current-oscar-snapshot");

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace velunora
