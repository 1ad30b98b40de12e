#include "sync/cloud/cloudkit/SignInCallback.h"

#include "sync/cloud/cloudkit/SignInCallbackRequest.h"

#include <QCoreApplication>
#include <QFile>
#include <QTcpSocket>
#include <algorithm>
#include <memory>
#include <unistd.h>

namespace velunora {

// The texts of this file. The context repeats the struct's name, so that Qt's tools file
// the texts under it even where they cannot resolve the struct.
struct SignInCallbackTexts {
    Q_DECLARE_TR_FUNCTIONS(SignInCallbackTexts)
};

namespace {

constexpr int requestTimeoutMilliseconds = 5'000;
// Connections being read at once; more are someone knocking, not the browser coming back.
constexpr int maximumOpenConnections = 16;

QByteArray page(int status, const QByteArray& reason, const QString& text) {
    // The page's language is the one its text was translated to, for the browser's reader.
    const QByteArray language = SignInCallbackTexts::tr("fr", "language tag of the page").toUtf8();
    const QByteArray body = "<!DOCTYPE html><html lang=\"" + language +
                            "\"><head><meta charset=\"utf-8\"><title>Velunora Sync</title></head>"
                            "<body><p>" +
                            text.toHtmlEscaped().toUtf8() + "</p></body></html>";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) +
           "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

QByteArray refusalPage(signin::Refusal refusal) {
    switch (refusal) {
    case signin::Refusal::notNavigation:
        return page(403, "Forbidden",
                    SignInCallbackTexts::tr("Refusé\u00a0: cette demande ne vient pas de la barre "
                                            "d’adresse du navigateur, mais d’une page web."));
    case signin::Refusal::otherPath:
    case signin::Refusal::noToken:
        return page(404, "Not Found",
                    SignInCallbackTexts::tr("Cette adresse attend le retour de la connexion à "
                                            "iCloud."));
    case signin::Refusal::malformed:
    case signin::Refusal::none:
        break;
    }
    return page(400, "Bad Request",
                SignInCallbackTexts::tr("Refusé\u00a0: cette demande est mal formée."));
}

QByteArray otherUserPage() {
    return page(
        403, "Forbidden",
        SignInCallbackTexts::tr("Refusé\u00a0: cette demande vient d’un autre utilisateur de "
                                "cet ordinateur."));
}

QByteArray tooLatePage() {
    return page(
        410, "Gone",
        SignInCallbackTexts::tr("Trop tard\u00a0: cette connexion à iCloud est déjà terminée "
                                "ou a expiré. Relancez-la depuis Velunora Sync."));
}

} // namespace

SignInCallback::SignInCallback(QObject* parent)
    : QObject(parent) {
    server_.setMaxPendingConnections(maximumOpenConnections);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            serve(socket);
        }
    });
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &SignInCallback::close);
}

SignInCallback::~SignInCallback() {
    // Before the members go: a socket's end counts down in this listener.
    qDeleteAll(server_.findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly));
}

bool SignInCallback::listen(quint16 port, std::chrono::milliseconds deadline) {
    if (finished_ || !server_.listen(QHostAddress::LocalHost, port)) {
        return false;
    }
    deadline_.start(deadline);
    return true;
}

QUrl SignInCallback::callbackURL() const {
    return callbackURL(server_.serverPort());
}

QUrl SignInCallback::callbackURL(quint16 port) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port);
    url.setPath(signin::callbackPath);
    return url;
}

std::optional<uint> SignInCallback::peerOwner(const QHostAddress& peer, quint16 peerPort,
                                              const QHostAddress& local, quint16 localPort) {
    bool peerIsIPv4 = false;
    bool localIsIPv4 = false;
    const quint32 peerAddress = peer.toIPv4Address(&peerIsIPv4);
    const quint32 localAddress = local.toIPv4Address(&localIsIPv4);
    if (!peerIsIPv4 || !localIsIPv4) {
        return std::nullopt;
    }
    // The peer's socket may be IPv4, or IPv6 reaching 127.0.0.1 as a mapped address.
    std::optional<uint> owner;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const auto found = signin::ownerOfConnection(file.readAll(), peerAddress, peerPort,
                                                     localAddress, localPort);
        if (found && owner && *found != *owner) {
            return std::nullopt;
        }
        if (found) {
            owner = found;
        }
    }
    return owner;
}

void SignInCallback::close() {
    finished_ = true;
    deadline_.stop();
    server_.close();
}

void SignInCallback::serve(QTcpSocket* socket) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    if (finished_ || open_ >= maximumOpenConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++open_;
    connect(socket, &QObject::destroyed, this, [this] { --open_; });
    QTimer::singleShot(requestTimeoutMilliseconds, socket, [socket] { socket->abort(); });
    // Qt's buffer is what the kernel hands over, a little at a time; all of it is read, so that
    // closing never resets a connection before the browser has read its page, but only the head
    // is kept.
    socket->setReadBufferSize(signin::maximumRequestHeadBytes);
    auto received = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received, answered] {
        const QByteArray chunk = socket->readAll();
        if (*answered) {
            return;
        }
        received->append(chunk.first(
            std::min(chunk.size(), signin::maximumRequestHeadBytes - received->size())));
        const auto request = signin::readCallbackRequest(*received);
        if (request) {
            *answered = true;
            answer(socket, *request);
        }
    });
}

void SignInCallback::answer(QTcpSocket* socket, const signin::CallbackRequest& request) {
    QString token;
    if (finished_) {
        socket->write(tooLatePage());
    } else if (peerOwner(socket->peerAddress(), socket->peerPort(), socket->localAddress(),
                         socket->localPort()) != std::optional<uint>(geteuid())) {
        socket->write(otherUserPage());
    } else if (request.refusal != signin::Refusal::none) {
        socket->write(refusalPage(request.refusal));
    } else {
        token = request.token;
        socket->write(
            page(200, "OK",
                 SignInCallbackTexts::tr("Velunora Sync est connecté à iCloud. Vous pouvez "
                                         "fermer cette page.")));
    }
    socket->disconnectFromHost();
    if (!token.isEmpty()) {
        // One token, and no other from now on.
        close();
        // From the event loop, not from inside the socket's handler: whoever waits may well
        // end this listener, and the socket with it, as soon as the token is there.
        QMetaObject::invokeMethod(
            this, [this, token] { Q_EMIT tokenReceived(token); }, Qt::QueuedConnection);
    }
}

} // namespace velunora
