#pragma once

#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QtQml/qqmlregistration.h>

namespace velunora {

// A web server on this computer that refuses every request and remembers, for each, the folder
// it was sent to and the account it carried: what a WebDAV connection test would be run on,
// without a server elsewhere.
class RecordingWebServer : public QObject {
    Q_OBJECT
    QML_ELEMENT
    // "http://127.0.0.1:PORT": the server's address, to type in front of a folder.
    Q_PROPERTY(QString address READ address CONSTANT)
    // "ADDRESS/FOLDER:USER:PASSWORD" for each request, from its Basic credentials.
    Q_PROPERTY(QStringList requests READ requests NOTIFY requestsChanged)

public:
    explicit RecordingWebServer(QObject* parent = nullptr);

    QString address() const;
    QStringList requests() const { return requests_; }

Q_SIGNALS:
    void requestsChanged();

private:
    void record(const QByteArray& headers);

    QTcpServer server_;
    QStringList requests_;
};

} // namespace velunora
