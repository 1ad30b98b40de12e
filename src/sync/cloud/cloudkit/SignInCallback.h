#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrl>

namespace velunora {

// Where the browser comes back after the user signed in to iCloud: an HTTP listener on
// 127.0.0.1 at a fixed port, path "/icloud-sign-in". The service appends the web auth token as
// the query parameter "ckWebAuthToken"; this URL is the sign-in callback to declare with the
// API token. Each request is read within a few seconds and a few kilobytes, or dropped.
class SignInCallback : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 defaultPort = 47219;

    explicit SignInCallback(QObject* parent = nullptr);

    // False when the port is taken (another sign-in in progress, or another program).
    bool listen(quint16 port = defaultPort);
    QUrl callbackURL() const;
    static QUrl callbackURL(quint16 port);

Q_SIGNALS:
    // Once per browser return that carries a token.
    void tokenReceived(const QString& token);

private:
    void serve(QTcpSocket* socket);

    QTcpServer server_;
};

} // namespace velunora
