#pragma once

#include "sync/cloud/CloudStore.h"
#include "sync/cloud/cloudkit/CloudKitCloudStore.h"
#include "sync/cloud/cloudkit/ICloudSignIn.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <exception>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>

namespace velunora {

class CloudSnapshotService;
class FolderChooser;
class Settings;

// Where the nights are published, as the settings window shows and changes it: the store, the
// WebDAV account, the local store's folder, the iCloud sign-in. Lives on the main thread; a
// change takes effect for the next publication, once the operations already queued are done.
class CloudStoreChoice : public QObject {
    Q_OBJECT
    // "icloud", "webdav" or "local".
    Q_PROPERTY(QString kind READ kind NOTIFY changed)
    // Whether this build or the settings name an iCloud container, without which iCloud is not
    // offered.
    Q_PROPERTY(bool iCloudOffered READ iCloudOffered CONSTANT)
    Q_PROPERTY(bool signedInToICloud READ signedInToICloud NOTIFY changed)
    // Whose iCloud the nights go to, as the service named the account at sign-in; empty when it
    // named none, or when signed out.
    Q_PROPERTY(QString iCloudAccountName READ iCloudAccountName NOTIFY changed)
    Q_PROPERTY(QString webDAVAddress READ webDAVAddress NOTIFY changed)
    Q_PROPERTY(QString webDAVUser READ webDAVUser NOTIFY changed)
    // The local store's folder, its default when none is set.
    Q_PROPERTY(QString localFolder READ localFolder NOTIFY changed)
    // What the last action found, in a sentence for the user; empty before any.
    Q_PROPERTY(QString outcome READ outcome NOTIFY outcomeChanged)
    Q_PROPERTY(bool outcomeIsFailure READ outcomeIsFailure NOTIFY outcomeChanged)
    // A connection test, a save or a sign-in under way.
    Q_PROPERTY(bool working READ working NOTIFY workingChanged)

public:
    struct Services {
        std::shared_ptr<Settings> settings;
        std::shared_ptr<CloudSnapshotService> cloud;
        std::shared_ptr<FolderChooser> folderChooser;
        // The store the settings describe.
        std::function<std::unique_ptr<CloudStore>(const Settings&)> makeStore;
        // Keeps a WebDAV password where the store reads it (the keyring); throws CloudError.
        std::function<void(const WebDAVAccount&, const QString&)> keepWebDAVPassword;
        // The sign-in to iCloud kept for a container.
        std::function<std::shared_ptr<WebAuthTokens>(const CloudKitContainer&)> iCloudTokens;
        // Shows the iCloud sign-in page (the browser).
        std::function<void(const QUrl&)> openPage;
        // Signs in through the service's page shown with `openPage`, keeps the token in `tokens`
        // and gives the account's name; replaced only where no service can be reached.
        std::function<QCoro::Task<QString>(CloudKitContainer, std::shared_ptr<WebAuthTokens>,
                                           std::function<void(const QUrl&)>)>
            iCloudSignIn = [](CloudKitContainer container, std::shared_ptr<WebAuthTokens> tokens,
                              std::function<void(const QUrl&)> showPage) {
                return velunora::signInToICloud(std::move(container), std::move(tokens),
                                                std::move(showPage));
            };

        // The keyring, the browser, the store the settings describe.
        static Services standard(std::shared_ptr<Settings> settings,
                                 std::shared_ptr<CloudSnapshotService> cloud,
                                 std::shared_ptr<FolderChooser> folderChooser);
    };

    // The settings key set when the store changed and cleared by the first publication into the
    // new one, which keeps the local export's nights as well as the new store's.
    static inline const QString storeChangedKey = QStringLiteral("published-store-changed");
    // The name of the iCloud account signed in; a name, not a secret, so in the settings file.
    static inline const QString iCloudAccountNameKey = QStringLiteral("icloud-account-name");

    explicit CloudStoreChoice(Services services, QObject* parent = nullptr);

    QString kind() const;
    bool iCloudOffered() const;
    bool signedInToICloud() const { return signedInToICloud_; }
    QString iCloudAccountName() const;
    QString webDAVAddress() const;
    QString webDAVUser() const;
    QString localFolder() const;
    const QString& outcome() const { return outcome_; }
    bool outcomeIsFailure() const { return outcomeIsFailure_; }
    bool working() const { return working_; }

    // Reads again what the keyring holds (whether iCloud is signed in), for a window that opens.
    Q_INVOKABLE void refresh();
    // Publishes into `folder` on this computer (the default folder when empty).
    Q_INVOKABLE void useLocalStore(const QString& folder);
    // Lets the user pick the local store's folder, then publishes there.
    Q_INVOKABLE void chooseLocalFolder();
    // Publishes to a WebDAV server; an empty password keeps the one in the keyring.
    Q_INVOKABLE void useWebDAVStore(const QString& address, const QString& user,
                                    const QString& password);
    // Tells in plain words whether the server answers and accepts the account, and what it holds.
    Q_INVOKABLE void testWebDAVConnection(const QString& address, const QString& user,
                                          const QString& password);
    Q_INVOKABLE void useICloudStore();
    Q_INVOKABLE void signInToICloud();
    Q_INVOKABLE void signOutOfICloud();

    // The awaitable forms of the operations above, for callers that need the end.
    QCoro::Task<> applyWebDAVStore(QString address, QString user, QString password);
    QCoro::Task<> runConnectionTest(QString address, QString user, QString password);
    QCoro::Task<> runICloudSignIn();
    QCoro::Task<> runRefresh();

    // Shows what an action found; the actions above call it, and the pictures of the settings
    // window, which run none, show one with it.
    void setOutcome(const QString& text, bool failure);

Q_SIGNALS:
    void changed();
    void outcomeChanged();
    void workingChanged();
    // The store changed, or iCloud was signed in: a detected card may sync now.
    void publicationChanged();

private:
    // Writes the choice, hands the new store to the service and keeps the history.
    QCoro::Task<> switchStore(std::function<void(Settings&)> write, QString done);
    void setWorking(bool working);
    // Ends an action that ran off the main thread; false when it failed, its failure shown.
    bool endAction(const std::exception_ptr& failure);
    // The address as the user typed it, checked; empty with the outcome set when unusable.
    QUrl checkedWebDAVAddress(const QString& address);

    Services services_;
    bool signedInToICloud_ = false;
    QString outcome_;
    bool outcomeIsFailure_ = false;
    bool working_ = false;
};

} // namespace velunora
