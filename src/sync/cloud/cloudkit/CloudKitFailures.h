#pragma once

#include "sync/cloud/CloudStore.h"
#include "sync/cloud/HttpExchange.h"
#include "sync/cloud/cloudkit/CloudKitCloudStore.h"
#include "sync/cloud/cloudkit/CloudKitProtocol.h"

#include <QCoreApplication>

namespace velunora {

// The texts of the iCloud store. The context repeats the struct's name, so that Qt's tools file
// the texts under it even where they cannot resolve the struct.
struct CloudKitCloudStoreTexts {
    Q_DECLARE_TR_FUNCTIONS(CloudKitCloudStoreTexts)
};

// What the iCloud store tells the user when the service answers otherwise than it should.
namespace cloudkit {

CloudError signInRequired();
CloudError recordChanged();
CloudError unreadableAnswer();
// What an error the service names in an answer (`httpStatus`) stands for.
CloudError errorOf(const ServiceError& error, int httpStatus, const CloudKitContainer& container);
// The failure that an answer other than the expected ones stands for; logged once.
CloudError failureOf(const http::Answer& answer, const CloudKitContainer& container);

} // namespace cloudkit
} // namespace velunora
