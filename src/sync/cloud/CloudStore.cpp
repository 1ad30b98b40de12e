#include "sync/cloud/CloudStore.h"

namespace velunora {

CloudError::CloudError(int code, QString localizedDescription)
    : code_(code)
    , description_(std::move(localizedDescription))
    , utf8_(description_.toStdString()) {}

} // namespace velunora
