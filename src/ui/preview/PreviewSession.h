#pragma once

// The real controller over services that stay in memory and remember what they were asked, for
// the pictures of the views and their tests. Whatever state a view shows is reached the way the
// app reaches it: settings written before the start, a card on a volume, the controller's own
// operations.
#include "sync/SyncController.h"

#include <QDateTime>
#include <QObject>
#include <QQmlParserStatus>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <memory>

namespace velunora {

class MemorySettings;

namespace preview {

struct PreviewFakes;

// The browser the iCloud sign-in page opens in.
class PreviewBrowser : public QObject {
    Q_OBJECT

Q_SIGNALS:
    // The user signed in to `accountName`'s account and the browser came back.
    void returned(const QString& accountName);
};

class PreviewSession : public QObject, public QQmlParserStatus {
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ELEMENT

    // What the session starts with, read once when it starts.
    // "local", "webdav" or "icloud"; iCloud comes signed in, WebDAV with an account.
    Q_PROPERTY(QString store MEMBER store_)
    // A card in a removable reader, mounted where a desktop mounts it.
    Q_PROPERTY(bool cardInserted MEMBER cardInserted_)
    // Whether the card's files can be read; one that cannot needs the user's permission.
    Q_PROPERTY(bool cardReadable READ cardReadable WRITE setCardReadable)
    // The same card as a folder of this computer that the user chose before, whose location the
    // settings keep; nothing can eject it.
    Q_PROPERTY(bool cardFolderChosen MEMBER cardFolderChosen_)
    // The last sync the settings remember, none when invalid.
    Q_PROPERTY(QDateTime lastSync MEMBER lastSync_)
    Q_PROPERTY(int lastSyncNights MEMBER lastSyncNights_)
    Q_PROPERTY(int lastSyncNewNights MEMBER lastSyncNewNights_)
    // The desktop refuses to change the login item.
    Q_PROPERTY(bool refusesLaunchAtLogin READ refusesLaunchAtLogin WRITE setRefusesLaunchAtLogin)
    // Whether the reset question is answered yes.
    Q_PROPERTY(bool confirmsReset READ confirmsReset WRITE setConfirmsReset)
    // The user's data folder, which holds the local export; a temporary folder when empty.
    Q_PROPERTY(QString dataFolder MEMBER dataFolder_)
    // The local store's folder; a temporary folder when empty.
    Q_PROPERTY(QString localStoreFolder MEMBER localStoreFolder_)

    Q_PROPERTY(velunora::SyncController* controller READ controller NOTIFY started)

    // What the services were asked.
    Q_PROPERTY(int folderChoices READ folderChoices NOTIFY recorded)
    // "register" or "unregister", each time the login item was asked to change.
    Q_PROPERTY(QStringList autostartRequests READ autostartRequests NOTIFY recorded)
    Q_PROPERTY(int reveals READ reveals NOTIFY recorded)
    Q_PROPERTY(int ejections READ ejections NOTIFY recorded)
    Q_PROPERTY(int resetQuestions READ resetQuestions NOTIFY recorded)
    // "address:user:password", each time a WebDAV password was handed to the keyring.
    Q_PROPERTY(QStringList keptWebDAVPasswords READ keptWebDAVPasswords NOTIFY recorded)
    // iCloud sign-in pages opened in the browser.
    Q_PROPERTY(int signInPages READ signInPages NOTIFY recorded)
    // Saves of the nights into the store.
    Q_PROPERTY(int storeSaves READ storeSaves NOTIFY recorded)

public:
    // Where the card shows, as a desktop mounts a reader's card.
    static inline const QString cardMountPoint = QStringLiteral("/media/camille/RESMED-SD/");

    explicit PreviewSession(QObject* parent = nullptr);
    ~PreviewSession() override;

    // Builds the controller from the properties set; QML does it once they are all set.
    void start();
    void classBegin() override {}
    void componentComplete() override { start(); }

    SyncController* controller() const { return controller_; }
    bool cardReadable() const;
    void setCardReadable(bool readable);
    bool refusesLaunchAtLogin() const;
    void setRefusesLaunchAtLogin(bool refuses);
    bool confirmsReset() const;
    void setConfirmsReset(bool confirms);

    // The controller shows `kindName` ("syncing", "failed", …), as its own operations would.
    Q_INVOKABLE void showStatus(const QString& kindName, const QString& failureText = {},
                                qint64 nights = 0);
    // The card comes back readable, as after the user granted access.
    Q_INVOKABLE void grantCardAccess();
    // The card is taken out of its reader, or put (back) into it.
    Q_INVOKABLE void removeCard();
    Q_INVOKABLE void insertCard();
    // What the store choice's last action found, as a connection test or a save tells it.
    Q_INVOKABLE void showStoreOutcome(const QString& text, bool failure);
    // The browser comes back from the iCloud sign-in page, signed in to that account.
    Q_INVOKABLE void returnFromSignIn(const QString& accountName);
    // `nights` nights of varied use ending last night, read from a generated card, become the
    // published history the views show.
    Q_INVOKABLE void publishNights(int nights);
    // The value the settings hold for `key`.
    Q_INVOKABLE QVariant setting(const QString& key) const;

    int signInPages() const;
    int folderChoices() const;
    QStringList autostartRequests() const;
    int reveals() const;
    int ejections() const;
    int resetQuestions() const;
    QStringList keptWebDAVPasswords() const;
    int storeSaves() const;

Q_SIGNALS:
    void started();
    void recorded();

private:
    // The volumes changed: the controller looks again, as the volume watch makes it.
    void lookAgain();

    QString store_ = QStringLiteral("local");
    bool cardInserted_ = false;
    bool cardFolderChosen_ = false;
    QDateTime lastSync_;
    int lastSyncNights_ = 0;
    int lastSyncNewNights_ = 0;
    QString dataFolder_;
    QString localStoreFolder_;

    QTemporaryDir folder_;
    std::shared_ptr<PreviewFakes> fakes_;
    SyncController* controller_ = nullptr;
};

} // namespace preview
} // namespace velunora
