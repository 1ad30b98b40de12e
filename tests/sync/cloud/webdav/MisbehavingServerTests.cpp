// A WebDAV store facing a server that trickles, stalls, never ends, sends too much, redirects or
// speaks nonsense: every operation ends within its deadline with a French text that says so.
#include "sync/cloud/CloudTestSupport.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

namespace velunora {
namespace {

using namespace std::chrono_literals;

// Answers every request on 127.0.0.1 with `behave`, once the request has arrived whole, on a
// thread of its own, as a server elsewhere would: the store's waiting never paces it.
class ScriptedServer {
public:
    // Runs on the server's thread; timers it makes should be children of the socket.
    using Behaviour = std::function<void(QTcpSocket&)>;

    explicit ScriptedServer(Behaviour behave) {
        std::promise<quint16> listening;
        std::future<quint16> port = listening.get_future();
        thread_.reset(QThread::create([behave = std::move(behave), &listening] {
            QTcpServer server;
            QByteArray request;
            bool answered = false;
            QObject::connect(&server, &QTcpServer::newConnection, [&] {
                while (QTcpSocket* socket = server.nextPendingConnection()) {
                    QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                        request += socket->readAll();
                        const auto headerEnd = request.indexOf("\r\n\r\n");
                        if (headerEnd < 0 || answered) {
                            return;
                        }
                        if (request.size() - headerEnd - 4 >=
                            contentLength(request.left(headerEnd))) {
                            answered = true;
                            behave(*socket);
                        }
                    });
                }
            });
            server.listen(QHostAddress::LocalHost);
            listening.set_value(server.serverPort());
            QEventLoop loop;
            loop.exec();
        }));
        thread_->start();
        port_ = port.get();
        EXPECT_NE(port_, 0);
    }
    ~ScriptedServer() {
        thread_->quit();
        thread_->wait();
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/dav/").arg(port_)); }

private:
    static qint64 contentLength(const QByteArray& headers) {
        for (const QByteArray& line : headers.split('\n')) {
            if (line.toLower().startsWith("content-length:")) {
                return line.mid(15).trimmed().toLongLong();
            }
        }
        return 0;
    }

    std::unique_ptr<QThread> thread_;
    quint16 port_ = 0;
};

struct Outcome {
    int code = 0;
    QString text;
    qint64 milliseconds = 0;
};

// Generous beside what the server does (it sends every 200 ms, or nothing at all), so that a
// loaded machine does not turn one failure into another.
const WebDAVCloudStore::Timing quick{3s, 1s, 4s, 1024 * 1024};

Outcome fetchFrom(const ScriptedServer& server,
                  WebDAVCloudStore::Timing timing = WebDAVCloudStore::Timing{10s, 1s, 20s}) {
    WebDAVCloudStore store(
        {server.url(), QStringLiteral("nuit")}, [] { return QStringLiteral("x"); }, timing);
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
    ScriptedServer trickling([](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Length: 100000\r\n\r\n<");
        auto* trickle = new QTimer(&socket);
        QObject::connect(trickle, &QTimer::timeout, &socket, [&socket] { socket.write(" "); });
        trickle->start(200);
    });
    Outcome outcome = fetchFrom(trickling, quick);
    EXPECT_EQ(outcome.code, cloudcode::networkFailure);
    EXPECT_EQ(outcome.text,
              QStringLiteral(
                  "Le serveur WebDAV «\u00a0127.0.0.1\u00a0» n’a pas terminé sa réponse en 4 s."));
    EXPECT_LT(outcome.milliseconds, 8000);

    ScriptedServer stalling([](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Length: 500\r\n\r\n<d:multistatus");
    });
    outcome = fetchFrom(stalling, quick);
    EXPECT_EQ(outcome.code, cloudcode::networkFailure);
    EXPECT_EQ(
        outcome.text,
        QStringLiteral("Le serveur WebDAV «\u00a0127.0.0.1\u00a0» ne répond plus depuis 3 s."))
        << "not an HTTP code: the answer never came whole";
    EXPECT_LT(outcome.milliseconds, 8000);
}

TEST(MisbehavingServer, ASaveToAServerThatStallsEndsLikewise) {
    ScriptedServer stalling([](QTcpSocket&) {});
    WebDAVCloudStore store(
        {stalling.url(), QStringLiteral("nuit")}, [] { return QStringLiteral("x"); },
        WebDAVCloudStore::Timing{1s, 1s, 2s, 1024 * 1024});
    QElapsedTimer clock;
    clock.start();
    try {
        store.saveRecord(
            {QStringLiteral("OscarSnapshot"),
             QStringLiteral("current-oscar-snapshot"),
             {},
             {{QStringLiteral("payload"), testing::assetOf(std::string(512 * 1024, ' '))}}});
        ADD_FAILURE() << "a server that never answers took the save";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::networkFailure);
        EXPECT_TRUE(error.localizedDescription().startsWith(
            QStringLiteral("Le serveur WebDAV \u00ab\u00a0127.0.0.1\u00a0\u00bb")))
            << error.localizedDescription().toStdString();
    }
    EXPECT_LT(clock.elapsed(), 8000);
}

TEST(MisbehavingServer, AnEndlessOrHugeAnswerIsCutOff) {
    ScriptedServer endless([](QTcpSocket& socket) {
        // No length: the body ends when the connection does, which this one never does.
        socket.write("HTTP/1.1 207 Multi-Status\r\nConnection: close\r\n\r\n");
        auto* pump = new QTimer(&socket);
        QObject::connect(pump, &QTimer::timeout, &socket, [&socket] {
            if (socket.bytesToWrite() < 1024 * 1024) {
                socket.write(QByteArray(64 * 1024, 'x'));
            }
        });
        pump->start(0);
    });
    const QString tooLarge = QStringLiteral(
        "Le serveur WebDAV «\u00a0127.0.0.1\u00a0» a envoyé une réponse trop volumineuse.");
    Outcome outcome = fetchFrom(endless);
    EXPECT_EQ(outcome.text, tooLarge) << outcome.text.toStdString();

    ScriptedServer huge([](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Length: 1073741824\r\n\r\n<");
    });
    outcome = fetchFrom(huge);
    EXPECT_EQ(outcome.text, tooLarge) << outcome.text.toStdString();
    EXPECT_LT(outcome.milliseconds, 5000);
}

// The highest resident size of this process while `work` runs, sampled every few milliseconds:
// what an answer held in memory before being cut off would show.
qint64 residentBytesNow() {
    std::ifstream statm("/proc/self/statm");
    qint64 size = 0;
    qint64 resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

template <typename Work> qint64 peakResidentBytesDuring(Work&& work) {
    std::atomic<bool> done = false;
    std::atomic<qint64> peak = residentBytesNow();
    std::thread sampler([&] {
        while (!done) {
            peak = std::max<qint64>(peak, residentBytesNow());
            std::this_thread::sleep_for(2ms);
        }
    });
    work();
    done = true;
    sampler.join();
    return std::max<qint64>(peak, residentBytesNow());
}

// Writes 64 KB as one chunk of a chunked body whenever less than a megabyte waits to go out,
// for ever: the server a loop in a proxy or a broken script makes.
void pumpChunks(QTcpSocket& socket, const QByteArray& head) {
    socket.write(head);
    auto* pump = new QTimer(&socket);
    QObject::connect(pump, &QTimer::timeout, &socket, [&socket] {
        if (socket.bytesToWrite() < 1024 * 1024) {
            socket.write(QByteArray::number(64 * 1024, 16) + "\r\n" + QByteArray(64 * 1024, ' ') +
                         "\r\n");
        }
    });
    pump->start(0);
}

// However the body is framed, what the store holds of it stays within the bound of the request
// (a few megabytes for a property answer), and the failure says the answer was too large.
TEST(MisbehavingServer, AnAnswerIsBoundedHoweverItIsFramed) {
    const QString tooLarge = QStringLiteral(
        "Le serveur WebDAV «\u00a0127.0.0.1\u00a0» a envoyé une réponse trop volumineuse.");
    const qint64 allowance = qint64{64} << 20;

    struct Case {
        const char* what;
        ScriptedServer::Behaviour behave;
    };
    const Case cases[] = {
        {"an endless chunked multistatus",
         [](QTcpSocket& socket) {
             pumpChunks(socket, "HTTP/1.1 207 Multi-Status\r\nTransfer-Encoding: chunked\r\n\r\n");
         }},
        {"an endless chunked refusal of the password",
         [](QTcpSocket& socket) {
             pumpChunks(socket, "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic "
                                "realm=\"dav\"\r\nTransfer-Encoding: chunked\r\n\r\n");
         }},
        {"an endless chunked error page",
         [](QTcpSocket& socket) {
             pumpChunks(socket, "HTTP/1.1 500 Internal Server Error\r\nTransfer-Encoding: "
                                "chunked\r\n\r\n");
         }},
        {"a chunked body that ends one byte past the bound",
         [](QTcpSocket& socket) {
             QByteArray body = "HTTP/1.1 207 Multi-Status\r\nTransfer-Encoding: chunked\r\n\r\n";
             const qint64 bound = qint64{4} << 20;
             for (qint64 sent = 0; sent < bound + 1;) {
                 const qint64 size = std::min<qint64>(bound + 1 - sent, 1000 * 1000);
                 body += QByteArray::number(size, 16) + "\r\n" + QByteArray(size, ' ') + "\r\n";
                 sent += size;
             }
             socket.write(body + "0\r\n\r\n");
         }},
        {"an endless chunked body said to be compressed",
         [](QTcpSocket& socket) {
             pumpChunks(socket, "HTTP/1.1 207 Multi-Status\r\nContent-Encoding: gzip\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n");
         }},
    };
    for (const Case& scenario : cases) {
        SCOPED_TRACE(scenario.what);
        ScriptedServer server(scenario.behave);
        const qint64 before = residentBytesNow();
        Outcome outcome;
        const qint64 peak = peakResidentBytesDuring([&] { outcome = fetchFrom(server); });
        EXPECT_EQ(outcome.code, cloudcode::internalError) << outcome.text.toStdString();
        EXPECT_EQ(outcome.text, tooLarge) << outcome.text.toStdString();
        EXPECT_LT(peak - before, allowance) << "the answer was held in memory";
        EXPECT_LT(outcome.milliseconds, 10000);
    }
}

// A server that compresses although the store asked for none: what it sends is the body as it
// came, counted as it came, never inflated into memory.
TEST(MisbehavingServer, ACompressedBodyIsNeverInflated) {
    // 64 MB of spaces in a deflate stream of some 64 KB.
    const QByteArray bomb = qCompress(QByteArray(64 << 20, ' '), 9).mid(4);
    ScriptedServer compressing([&bomb](QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Encoding: deflate\r\nContent-Length: " +
                     QByteArray::number(bomb.size()) + "\r\n\r\n" + bomb);
    });
    const qint64 before = residentBytesNow();
    Outcome outcome;
    const qint64 peak = peakResidentBytesDuring([&] { outcome = fetchFrom(compressing); });
    EXPECT_EQ(outcome.code, cloudcode::internalError);
    EXPECT_EQ(outcome.text, QStringLiteral("Le serveur WebDAV «\u00a0127.0.0.1\u00a0» a envoyé "
                                           "une réponse illisible."));
    EXPECT_LT(peak - before, qint64{32} << 20) << "the body was inflated";
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
