#include "sync/cloud/Keychain.h"
#include "sync/cloud/cloudkit/CloudKitCloudStore.h"
#include "sync/cloud/cloudkit/CloudKitFailures.h"

#include <mutex>
#include <optional>

namespace velunora {

std::shared_ptr<WebAuthTokens> keychainWebAuthTokens(const CloudKitContainer& container) {
    class KeychainTokens final : public WebAuthTokens {
    public:
        explicit KeychainTokens(QString key)
            : key_(std::move(key)) {}

        // Read each time rather than kept: the app and the command-line tool share the token,
        // and a sign-in in either serves both.
        QString current() override {
            const std::lock_guard lock(mutex_);
            if (unsaved_) {
                return *unsaved_;
            }
            keychain::Secret secret = keychain::read(key_);
            if (secret.outcome == keychain::Outcome::notFound) {
                return {};
            }
            if (secret.outcome != keychain::Outcome::done) {
                throw CloudError(
                    cloudcode::notAuthenticated,
                    CloudKitCloudStoreTexts::tr("Le trousseau du bureau n’est pas disponible : la "
                                                "session iCloud n’a pas pu être lue."));
            }
            return std::move(secret.text);
        }
        bool replace(const QString& token) override {
            const std::lock_guard lock(mutex_);
            // When the keyring fails, this run still has the token for its next request.
            if (keychain::write(key_, token) == keychain::Outcome::done) {
                unsaved_.reset();
                return true;
            }
            unsaved_ = token;
            return false;
        }
        void forget() override {
            const std::lock_guard lock(mutex_);
            if (keychain::remove(key_) == keychain::Outcome::done) {
                unsaved_.reset();
            } else {
                unsaved_ = QString();
            }
        }

    private:
        const QString key_;
        std::mutex mutex_;
        std::optional<QString> unsaved_;
    };
    return std::make_shared<KeychainTokens>(QStringLiteral("icloud-web-auth-token:") +
                                            container.identifier + u'/' + container.environment);
}

} // namespace velunora
