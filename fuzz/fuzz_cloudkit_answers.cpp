// Any bytes an iCloud answer brings read as a records answer, an error dictionary, an upload
// URL, an upload receipt and a new web auth token, or as nothing; never a crash. A record read
// from an answer makes a modify request that is valid JSON naming that record.
#include "sync/cloud/cloudkit/CloudKitProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velunora::cloudkit;
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto results = parseRecordsAnswer(body)) {
        for (const RecordResult& result : *results) {
            const auto* stored = std::get_if<StoredRecord>(&result);
            if (!stored) {
                continue;
            }
            const QJsonDocument request =
                QJsonDocument::fromJson(modifyRequest(stored->record, {}));
            const QJsonObject record = request.object()
                                           .value(QStringLiteral("operations"))
                                           .toArray()
                                           .first()
                                           .toObject()
                                           .value(QStringLiteral("record"))
                                           .toObject();
            if (record.value(QStringLiteral("recordName")).toString() !=
                stored->record.recordName) {
                std::abort();
            }
        }
    }
    parseServiceError(body);
    parseUploadURL(body);
    parseUploadedFile(body);
    parseNewWebAuthToken(body);
    parseCallerName(body);
    return 0;
}
