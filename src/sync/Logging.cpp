#include "sync/Logging.h"

// Warnings by default: the log of a quiet morning stays empty, and a failure is in it. The
// routine (info and debug) with --verbose.
Q_LOGGING_CATEGORY(lcSync, "velunora.sync", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCard, "velunora.card", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPublication, "velunora.publication", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStoreWebDAV, "velunora.store.webdav", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStoreICloud, "velunora.store.icloud", QtWarningMsg)
Q_LOGGING_CATEGORY(lcVolumes, "velunora.volumes", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDesktop, "velunora.desktop", QtWarningMsg)

namespace velunora {

void enableVerboseLogging() {
    QLoggingCategory::setFilterRules(QStringLiteral("velunora.*=true"));
}

void quietLogging() {
    QLoggingCategory::setFilterRules(QStringLiteral("velunora.*.warning=false"));
}

} // namespace velunora
