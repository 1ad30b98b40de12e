#pragma once

#include "sync/cloud/cloudkit/CloudKitCloudStore.h"
#include "sync/cloud/cloudkit/SignInCallback.h"

#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>

namespace velunora {

// How long the browser has to come back once the sign-in page is open.
inline constexpr std::chrono::minutes signInPatience{10};

// Signs the user in to iCloud: listens for the browser's return on this computer (`port`), asks
// the service for its sign-in page, hands it to `openPage` (the browser, or a line printed for
// the user), and keeps the web auth token the browser brings back. Throws CloudError when the
// port is taken, the service cannot be reached, or nothing comes back within `patience`.
QCoro::Task<> signInToICloud(CloudKitContainer container, std::shared_ptr<WebAuthTokens> tokens,
                             std::function<void(const QUrl&)> openPage,
                             quint16 port = SignInCallback::defaultPort,
                             std::chrono::milliseconds patience = signInPatience);

} // namespace velunora
