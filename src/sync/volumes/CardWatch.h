#pragma once

#include <QObject>
#include <memory>

class QTimer;

namespace velunora {

class VolumeSource;

// Tells when to look for a card again: a volume mounted (a card may have been inserted), a
// volume gone, or the periodic look that catches what no notification announced.
class CardWatch : public QObject {
    Q_OBJECT

public:
    // How often the mounted volumes are looked at, besides the mount notifications.
    static constexpr int pollingIntervalMilliseconds = 12000;

    // `volumes` may be null: then only the periodic look remains.
    explicit CardWatch(std::shared_ptr<VolumeSource> volumes, QObject* parent = nullptr);

Q_SIGNALS:
    void volumeMounted();
    // A volume left, or the periodic look is due.
    void lookAgain();

private:
    std::shared_ptr<VolumeSource> volumes_;
    QTimer* timer_ = nullptr;
};

} // namespace velunora
