#include "sync/cloud/cloudkit/ICloudSignIn.h"

#include <QCoreApplication>
#include <QtConcurrent>
#include <exception>
#include <qcoro/qcorofuture.h>
#include <qcoro/qcorosignal.h>
#include <utility>

namespace velunora {

// The texts of this file. The context repeats the struct's name, so that Qt's tools file
// the texts under it even where they cannot resolve the struct.
struct ICloudSignInTexts {
    Q_DECLARE_TR_FUNCTIONS(ICloudSignInTexts)
};

namespace {

struct SignInPage {
    QUrl url;
    std::exception_ptr failure;
};

} // namespace

QString signedInText(const QString& accountName) {
    if (accountName.isEmpty()) {
        return ICloudSignInTexts::tr("Connecté à iCloud.");
    }
    return ICloudSignInTexts::tr("Connecté au compte iCloud de %1.").arg(accountName);
}

QCoro::Task<QString> signInToICloud(CloudKitContainer container,
                                    std::shared_ptr<WebAuthTokens> tokens,
                                    std::function<void(const QUrl&)> openPage, quint16 port,
                                    std::chrono::milliseconds patience) {
    SignInCallback callback;
    if (!callback.listen(port, patience)) {
        throw CloudError(
            cloudcode::internalError,
            ICloudSignInTexts::tr("Le port %1 de cet ordinateur est déjà occupé : une autre "
                                  "connexion à iCloud est peut-être en cours.")
                .arg(port));
    }
    // The service's sign-in page comes from a request that blocks: off this thread. The future
    // is a named local, not a temporary of the co_await: GCC 12 destroys such temporaries twice.
    QFuture<SignInPage> asking = QtConcurrent::run([container, tokens] {
        SignInPage result;
        try {
            result.url = CloudKitCloudStore(container, tokens).requestSignInURL();
        } catch (...) {
            result.failure = std::current_exception();
        }
        return result;
    });
    const SignInPage page = co_await asking;
    if (page.failure) {
        std::rethrow_exception(page.failure);
    }
    auto returned = qCoro(&callback, &SignInCallback::tokenReceived, patience);
    openPage(page.url);
    const std::optional<QString> token = co_await returned;
    if (!token) {
        throw CloudError(
            cloudcode::notAuthenticated,
            ICloudSignInTexts::tr("La connexion à iCloud n’a pas abouti : la page de connexion "
                                  "n’a rien renvoyé en %1 minutes.")
                .arg(std::chrono::duration_cast<std::chrono::minutes>(patience).count()));
    }
    if (!tokens->replace(*token)) {
        throw CloudError(
            cloudcode::notAuthenticated,
            ICloudSignInTexts::tr("La connexion à iCloud a réussi, mais le trousseau du bureau "
                                  "(Secret Service) n’a pas pu la garder : ouvrez ou "
                                  "déverrouillez un trousseau (GNOME Keyring, KWallet…), puis "
                                  "connectez-vous à nouveau."));
    }
    // The name is for the user to check that the account is theirs; without it the sign-in
    // stands all the same.
    QFuture<QString> naming = QtConcurrent::run([container, tokens] {
        try {
            return CloudKitCloudStore(container, tokens).requestAccountName();
        } catch (const CloudError&) {
            return QString();
        }
    });
    QString name = co_await naming;
    co_return name;
}

} // namespace velunora
