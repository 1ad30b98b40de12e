#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <optional>

class QTcpSocket;

namespace velunora::signin {
struct CallbackRequest;
}

namespace velunora {

// Where the browser comes back after the user signed in to iCloud: an HTTP listener on
// 127.0.0.1 at a fixed port, path "/icloud-sign-in". The service appends the web auth token as
// the query parameter "ckWebAuthToken"; this URL is the sign-in callback to declare with the
// API token.
//
// Whoever reaches the port first with a token would otherwise choose the account the nights go
// to, so the listener takes one token, from this user's browser opening the page itself, before
// its deadline, and then closes. It refuses, each with a page that says why: a connection from
// another user of this computer, a request that a page made (an image, a script, a form: the
// browser's Sec-Fetch headers or an Origin tell), anything after the token was taken or after
// the deadline, and anything that is not a short GET of the callback's address. Each request is
// read within a few seconds and a few kilobytes, or dropped.
class SignInCallback : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 defaultPort = 47219;

    explicit SignInCallback(QObject* parent = nullptr);
    ~SignInCallback() override;

    // False when the port is taken (another sign-in in progress, or another program). Stops
    // listening after `deadline`.
    bool listen(quint16 port, std::chrono::milliseconds deadline);
    QUrl callbackURL() const;
    static QUrl callbackURL(quint16 port);
    bool isListening() const { return server_.isListening(); }

    // The user that owns the peer's end of a loopback connection, from the kernel's socket
    // tables; nothing when it cannot be told.
    static std::optional<uint> peerOwner(const QHostAddress& peer, quint16 peerPort,
                                         const QHostAddress& local, quint16 localPort);

Q_SIGNALS:
    // Once: the token of the one callback accepted.
    void tokenReceived(const QString& token);

private:
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const signin::CallbackRequest& request);
    void close();

    QTcpServer server_;
    QTimer deadline_;
    bool finished_ = false;
    int open_ = 0;
};

} // namespace velunora
