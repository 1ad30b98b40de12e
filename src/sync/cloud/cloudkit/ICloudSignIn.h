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
// the user), and keeps the web auth token the browser brings back (see SignInCallback for what
// the listener refuses). Throws CloudError when the
// port is taken, the service cannot be reached, or nothing comes back within `patience`. Then
// asks the service who signed in: the name, empty when the service tells none.
QCoro::Task<QString> signInToICloud(CloudKitContainer container,
                                    std::shared_ptr<WebAuthTokens> tokens,
                                    std::function<void(const QUrl&)> openPage,
                                    quint16 port = SignInCallback::defaultPort,
                                    std::chrono::milliseconds patience = signInPatience);

// "Connecté au compte iCloud de …", or "Connecté à iCloud." without a name.
QString signedInText(const QString& accountName);

} // namespace velunora
