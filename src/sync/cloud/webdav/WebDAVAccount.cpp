#include "sync/cloud/Keychain.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"
#include "sync/cloud/webdav/WebDAVFailures.h"

// The account's side of the WebDAV store: where its password is kept, and which addresses it
// talks to.
namespace velunora {
namespace {

QString keychainKey(const WebDAVAccount& account) {
    return account.user + u'@' + account.baseUrl.toString(QUrl::RemoveUserInfo);
}

} // namespace

WebDAVPasswordSource keychainPasswordSource(WebDAVAccount account) {
    return [account = std::move(account)]() -> QString {
        keychain::Secret secret = keychain::read(keychainKey(account));
        if (secret.outcome != keychain::Outcome::done) {
            throw webdav::keychainFailure(secret.outcome, account.user);
        }
        return std::move(secret.text);
    };
}

void storeWebDAVPassword(const WebDAVAccount& account, const QString& password) {
    if (keychain::write(keychainKey(account), password) != keychain::Outcome::done) {
        throw CloudError(
            cloudcode::internalError,
            WebDAVCloudStoreTexts::tr("Le mot de passe WebDAV n’a pas pu être enregistré dans le "
                                      "trousseau."));
    }
}

void requireUsableWebDAVAddress(const WebDAVAccount& account) {
    const QString scheme = account.baseUrl.scheme();
    if (!account.baseUrl.isValid() || account.baseUrl.host().isEmpty() ||
        (scheme != u"https" && scheme != u"http")) {
        throw CloudError(
            cloudcode::internalError,
            WebDAVCloudStoreTexts::tr("L’adresse du serveur WebDAV n’est pas configurée ou n’est "
                                      "pas valide."));
    }
    // The password goes with every request: never in clear over a network.
    if (scheme == u"http" && !http::isLoopback(account.baseUrl)) {
        throw CloudError(
            cloudcode::internalError,
            WebDAVCloudStoreTexts::tr("L’adresse du serveur WebDAV «\u00a0%1\u00a0» "
                                      "n’est pas chiffrée : utilisez une adresse en https://, pour "
                                      "que le mot de passe et vos nuits ne circulent jamais en "
                                      "clair.")
                .arg(account.baseUrl.toString(QUrl::RemoveUserInfo)));
    }
}

} // namespace velunora
