#pragma once

#include "sync/cloud/RecordStore.h"

#include <QString>
#include <chrono>
#include <filesystem>

namespace velunora {

// The embedded store: no account, no server. Each record is a folder named after the record,
// under the root, holding "record.json" (type, change tag, fields, each asset field naming its
// file) and one file per asset field: the field's name with ".json" ("payload.json"). The root
// may sit in a folder that a sync client (Syncthing, Nextcloud) carries to the phone, so a save
// replaces the record folder in one step: a reader sees the old record or the new one, never a
// mix. Saves and deletes hold a lock file beside the record, so two processes sharing the root
// never interleave. Folders we create are for the owner only (0700), every file is 0600.
class LocalCloudStore final : public RecordStore {
public:
    explicit LocalCloudStore(std::filesystem::path root);

    // $XDG_DATA_HOME/velunora-sync/cloud
    static std::filesystem::path defaultRoot();

    const std::filesystem::path& root() const noexcept { return root_; }
    std::filesystem::path recordFolder(const QString& recordName) const;
    // The stored file of an asset field, or an empty path when the record has none.
    std::filesystem::path assetFile(const QString& recordName, const QString& fieldName) const;

    // How long a save or a delete waits for another process to release the record.
    void setLockTimeout(std::chrono::milliseconds timeout) noexcept { lockTimeout_ = timeout; }

    CloudRecord fetchRecord(const QString& recordName) override;
    QByteArray fetchAsset(const QString& recordName, const QString& fieldName) override;
    QString saveRecord(const CloudRecord& record) override;
    void deleteRecord(const QString& recordName) override;

private:
    std::filesystem::path root_;
    std::chrono::milliseconds lockTimeout_{std::chrono::seconds(10)};
};

} // namespace velunora
