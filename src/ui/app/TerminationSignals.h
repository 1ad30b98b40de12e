#pragma once

#include <QObject>

class QSocketNotifier;

namespace velunora {

// Turns SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C, a closed terminal) into an
// ordinary quit of the event loop, so that they end the app the way "Quitter" does.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace velunora
