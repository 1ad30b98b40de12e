#include "sync/volumes/CardWatch.h"

#include "sync/volumes/VolumeSource.h"

#include <QTimer>

namespace velunora {

CardWatch::CardWatch(std::shared_ptr<VolumeSource> volumes, QObject* parent)
    : QObject(parent)
    , volumes_(std::move(volumes)) {
    if (volumes_) {
        connect(volumes_.get(), &VolumeSource::volumeMounted, this, &CardWatch::volumeMounted);
        connect(volumes_.get(), &VolumeSource::volumeUnmounted, this, &CardWatch::lookAgain);
    }
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("cardPollingTimer"));
    timer_->setInterval(pollingIntervalMilliseconds);
    // A tick a little late costs nothing; a coarse timer lets the system batch wake-ups.
    timer_->setTimerType(Qt::CoarseTimer);
    connect(timer_, &QTimer::timeout, this, &CardWatch::lookAgain);
    timer_->start();
}

} // namespace velunora
