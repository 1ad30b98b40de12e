#pragma once

#include "sync/cloud/CloudStore.h"

#include <QCoreApplication>
#include <QString>
#include <filesystem>

namespace velunora {

// The texts of the folder store. The context repeats the struct's name, so that Qt's tools file
// the texts under it even where they cannot resolve the struct.
struct LocalCloudStoreTexts {
    Q_DECLARE_TR_FUNCTIONS(LocalCloudStoreTexts)
};

// What the folder store tells the user, each naming the store's folder.
namespace localstore {

std::filesystem::path toPath(const QString& text);
QString toText(const std::filesystem::path& path);

// A full disk says so; `error` is the errno of the write, 0 when unknown.
CloudError unwritable(const std::filesystem::path& root, int error = 0);
CloudError damaged(const std::filesystem::path& root);
CloudError busy(const std::filesystem::path& root);
CloudError unknownRecord(const std::filesystem::path& root);
CloudError recordChanged();
CloudError invalidName(const QString& name);

} // namespace localstore
} // namespace velunora
