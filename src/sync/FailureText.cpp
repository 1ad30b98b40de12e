#include "sync/FailureText.h"

#include "cardimport/PAPCardImportError.h"
#include "platform/Localization.h"
#include "platform/PlatformError.h"
#include "records/SnapshotJSON.h"
#include "sync/cloud/CloudStore.h"

#include <QCoreApplication>
#include <filesystem>
#include <new>
#include <string>

namespace velunora {

QString describeFailure(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const PAPCardImportError& failure) {
        return QString::fromStdString(failure.errorDescription());
    } catch (const PlatformError& failure) {
        return QString::fromStdString(failure.errorDescription());
    } catch (const CloudError& failure) {
        return failure.localizedDescription();
    } catch (const SnapshotEncodingError& failure) {
        // Written in French by the encoder, naming the value and its night.
        return QString::fromStdString(failure.what());
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("SyncController",
                                           "La mémoire disponible ne suffit pas.");
    } catch (const std::filesystem::filesystem_error& failure) {
        return QString::fromStdString(
            PlatformError::fileUnreadable(failure.path1(), failure.code().value())
                .errorDescription());
    } catch (...) {
        // Anything else speaks the library's English: the user gets our words instead.
        return QCoreApplication::translate("SyncController", "Une erreur inconnue est survenue.");
    }
}

void installQtLocalization() {
    installLocalizer([](const char* context, std::string_view frenchText) {
        const std::string key(frenchText);
        return QCoreApplication::translate(context, key.c_str()).toStdString();
    });
}

} // namespace velunora
