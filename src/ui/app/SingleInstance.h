#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace velunora {

// One running app per user: two controllers would sync the same card twice. The first instance
// listens on a local socket; a later one asks it to show its panel and then leaves.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // `name` tells apart the login sessions and, in tests, the instances.
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultName();

    // True when this process is the one instance. Otherwise it has asked the running one to
    // show itself, and should exit.
    bool becomePrimaryOrActivateOther();

Q_SIGNALS:
    // Another start of the app asked us to show the panel.
    void activationRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

} // namespace velunora
