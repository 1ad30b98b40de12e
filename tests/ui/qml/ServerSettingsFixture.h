#pragma once

#include "sync/SyncController.h"

#include <QObject>
#include <QTemporaryDir>
#include <QtQml/qqmlregistration.h>
#include <map>
#include <memory>

namespace velunora {
class MemorySettings;
namespace testing {
class WebDAVTestServer;
}

// The settings window's real controller and store choice, publishing on this computer, with a
// real WebDAV server (Apache) to connect to and a keyring in memory. Apache starts on the first
// start().
class ServerSettingsFixture : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(velunora::SyncController* controller READ controller CONSTANT)
    Q_PROPERTY(velunora::CloudStoreChoice* storeChoice READ storeChoice CONSTANT)
    Q_PROPERTY(QString address READ address CONSTANT)
    Q_PROPERTY(QString user READ user CONSTANT)
    Q_PROPERTY(QString password READ password CONSTANT)

public:
    explicit ServerSettingsFixture(QObject* parent = nullptr);
    ~ServerSettingsFixture() override;

    // Whether Apache runs; false where it is not installed.
    Q_INVOKABLE bool start();
    // The password the keyring holds for the account now chosen, empty when none.
    Q_INVOKABLE QString keptPassword() const;

    SyncController* controller() const { return controller_.get(); }
    CloudStoreChoice* storeChoice() const { return controller_->storeChoice(); }
    QString address() const;
    QString user() const;
    QString password() const;

private:
    QTemporaryDir folder_;
    std::unique_ptr<testing::WebDAVTestServer> server_;
    std::shared_ptr<MemorySettings> settings_;
    std::shared_ptr<std::map<QString, QString>> keyring_;
    std::unique_ptr<SyncController> controller_;
};

} // namespace velunora
