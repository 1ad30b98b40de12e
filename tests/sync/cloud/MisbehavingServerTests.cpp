// A WebDAV store facing a server that trickles, stalls, never ends, sends too much, redirects or
// speaks nonsense: every operation ends within its deadline with a French text that says so.
#include "CloudTestSupport.h"
#include "sync/cloud/WebDAVCloudStore.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace velunora {
namespace {

using namespace std::chrono_literals;

// Answers every request on 127.0.0.1 with `behave`, once the request has arrived whole. Lives on
// the test's thread: the store's own event loop, turning while it waits, serves it.
class ScriptedServer {
public:
    using Behaviour = std::function<void(QTcpSocket&)>;

    explicit ScriptedServer(Behaviour behave)
        : behave_(std::move(behave)) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    const auto headerEnd = request_.indexOf("\r\n\r\n");
                    if (headerEnd < 0 || answered_) {
                        return;
                    }
                    const auto length = contentLength(request_.left(headerEnd));
                    if (request_.size() - headerEnd - 4 >= length) {
                        answered_ = true;
                        behave_(*socket);
                    }
                });
            }
        });
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
    }

    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/dav/").arg(server_.serverPort()));
    }

private:
    static qint64 contentLength(const QByteArray& headers) {
        for (const QByteArray& line : headers.split('\n')) {
            if (line.toLower().startsWith("content-length:")) {
                return line.mid(15).trimmed().toLongLong();
            }
        }
        return 0;
    }

    QTcpServer server_;
    Behaviour behave_;
    QByteArray request_;
    bool answered_ = false;
};

struct Outcome {
    int code = 0;
    QString text;
    qint64 milliseconds = 0;
};

Outcome fetchFrom(const ScriptedServer& server) {
    WebDAVCloudStore store(
        {server.url(), QStringLiteral("nuit")}, [] { return QStringLiteral("x"); },
        WebDAVCloudStore::Timing{1s, 1s, 2s, 1024 * 1024});
    QElapsedTimer clock;
    clock.start();
    Outcome outcome;
    try {
        store.fetchRecord(QStringLiteral("current-oscar-snapshot"));
    } catch (const CloudError& error) {
        outcome = {error.code(), error.localizedDescription()};
    }
    outcome.milliseconds = clock.elapsed();
    return outcome;
}

TEST(MisbehavingServer, ATrickleOrAStallEndsWithinTheDeadline) {
    auto trickle = std::make_shared<QTimer>();
    ScriptedServer trickling([trickle](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Length: 100000\r\n\r\n<");
        QObject::connect(trickle.get(), &QTimer::timeout, &socket,
                         [&socket] { socket.write(" "); });
        trickle->start(300);
    });
    Outcome outcome = fetchFrom(trickling);
    EXPECT_EQ(outcome.code, cloudcode::networkFailure);
    EXPECT_EQ(outcome.text,
              QStringLiteral(
                  "Le serveur WebDAV «\u00a0127.0.0.1\u00a0» n’a pas terminé sa réponse en 2 s."));
    EXPECT_LT(outcome.milliseconds, 5000);
    trickle->stop();

    ScriptedServer stalling([](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Length: 500\r\n\r\n<d:multistatus");
    });
    outcome = fetchFrom(stalling);
    EXPECT_EQ(outcome.code, cloudcode::networkFailure);
    EXPECT_EQ(
        outcome.text,
        QStringLiteral("Le serveur WebDAV «\u00a0127.0.0.1\u00a0» ne répond plus depuis 1 s."))
        << "not an HTTP code: the answer never came whole";
    EXPECT_LT(outcome.milliseconds, 5000);
}

TEST(MisbehavingServer, AnEndlessOrHugeAnswerIsCutOff) {
    auto pump = std::make_shared<QTimer>();
    ScriptedServer endless([pump](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nTransfer-Encoding: chunked\r\n\r\n");
        QObject::connect(pump.get(), &QTimer::timeout, &socket, [&socket] {
            const QByteArray chunk(256 * 1024, 'x');
            socket.write(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
        });
        pump->start(0);
    });
    const QString tooLarge = QStringLiteral(
        "Le serveur WebDAV «\u00a0127.0.0.1\u00a0» a envoyé une réponse trop volumineuse.");
    Outcome outcome = fetchFrom(endless);
    EXPECT_EQ(outcome.text, tooLarge);
    pump->stop();

    ScriptedServer huge([](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Length: 1073741824\r\n\r\n<");
    });
    outcome = fetchFrom(huge);
    EXPECT_EQ(outcome.text, tooLarge) << "refused on its announced length";
    EXPECT_LT(outcome.milliseconds, 1000);
}

TEST(MisbehavingServer, ARedirectOrNonsenseIsNamed) {
    ScriptedServer redirecting([](QTcpSocket& socket) {
        socket.write("HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere.example/\r\n"
                     "Content-Length: 0\r\n\r\n");
    });
    EXPECT_EQ(
        fetchFrom(redirecting).text,
        QStringLiteral("Le serveur WebDAV «\u00a0127.0.0.1\u00a0» renvoie vers une autre adresse "
                       "(code HTTP 301). Indiquez l’adresse exacte du dossier dans les "
                       "réglages."));

    ScriptedServer nonsense([](QTcpSocket& socket) {
        socket.write(
            "HTTP/1.1 207 Multi-Status\r\nContent-Length: 24\r\n\r\n<d:multistatus><<<</oops");
    });
    EXPECT_EQ(fetchFrom(nonsense).text,
              QStringLiteral(
                  "Le serveur WebDAV «\u00a0127.0.0.1\u00a0» a envoyé une réponse illisible."));
}

TEST(MisbehavingServer, APlainHttpAddressElsewhereIsRefusedBeforeAnyPassword) {
    bool passwordRead = false;
    WebDAVCloudStore store(
        {QUrl(QStringLiteral("http://nas.example/dav/")), QStringLiteral("nuit")}, [&passwordRead] {
            passwordRead = true;
            return QStringLiteral("secret");
        });
    try {
        store.fetchRecord(QStringLiteral("current-oscar-snapshot"));
        ADD_FAILURE() << "a plain http address was used";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  QStringLiteral(
                      "L’adresse du serveur WebDAV «\u00a0http://nas.example/dav/\u00a0» n’est "
                      "pas chiffrée : utilisez une adresse en https://, pour que le mot "
                      "de passe et vos nuits ne circulent jamais en clair."));
    }
    EXPECT_FALSE(passwordRead);
}

} // namespace
} // namespace velunora
