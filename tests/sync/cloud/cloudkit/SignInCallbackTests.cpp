#include "sync/cloud/cloudkit/SignInCallback.h"
#include "sync/cloud/cloudkit/SignInCallbackRequest.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velunora {
namespace {

using namespace std::chrono_literals;
using signin::Refusal;

const QByteArray navigationHeaders = "Host: 127.0.0.1:47219\r\n"
                                     "Sec-Fetch-Site: cross-site\r\n"
                                     "Sec-Fetch-Mode: navigate\r\n"
                                     "Sec-Fetch-Dest: document\r\n"
                                     "Sec-Fetch-User: ?1\r\n";

QByteArray callback(const QByteArray& token, const QByteArray& headers = navigationHeaders) {
    return "GET /icloud-sign-in?ckWebAuthToken=" + token + " HTTP/1.1\r\n" + headers + "\r\n";
}

TEST(SignInCallbackRequest, TakesATokenOnlyFromTheBrowserOpeningTheCallback) {
    struct Case {
        const char* what;
        QByteArray request;
        Refusal refusal;
    };
    const QByteArray image = "Sec-Fetch-Site: cross-site\r\nSec-Fetch-Mode: no-cors\r\n"
                             "Sec-Fetch-Dest: image\r\n";
    const Case cases[] = {
        {"the service's redirect", callback("wat%3Aab%2B%2F%3D"), Refusal::none},
        {"an older browser, or curl", callback("t", "Host: x\r\n"), Refusal::none},
        {"an <img> of a page", callback("t", image), Refusal::notNavigation},
        {"fetch() of a page", callback("t", "Sec-Fetch-Mode: cors\r\nSec-Fetch-Dest: empty\r\n"),
         Refusal::notNavigation},
        {"an iframe", callback("t", "Sec-Fetch-Mode: navigate\r\nSec-Fetch-Dest: iframe\r\n"),
         Refusal::notNavigation},
        {"an Origin", callback("t", "origin: https://pages.example\r\n"), Refusal::notNavigation},
        {"cross-site without a mode", callback("t", "Sec-Fetch-Site: cross-site\r\n"),
         Refusal::notNavigation},
        {"same-origin without a mode", callback("t", "Sec-Fetch-Site: same-origin\r\n"),
         Refusal::none},
        {"a form's POST",
         "POST /icloud-sign-in?ckWebAuthToken=t HTTP/1.1\r\nContent-Length: 0\r\n\r\n",
         Refusal::malformed},
        {"another address", "GET /?ckWebAuthToken=t HTTP/1.1\r\n\r\n", Refusal::otherPath},
        {"no token", "GET /icloud-sign-in HTTP/1.1\r\n\r\n", Refusal::noToken},
        {"an empty token", callback(""), Refusal::noToken},
        {"two tokens", callback("a&ckWebAuthToken=b"), Refusal::malformed},
        {"a control character in the token", callback("a%0Ab"), Refusal::malformed},
        {"HTTP/2 preface", "PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n", Refusal::malformed},
        {"an absolute target", "GET http://x/icloud-sign-in?ckWebAuthToken=t HTTP/1.1\r\n\r\n",
         Refusal::malformed},
        {"a bare LF", "GET /icloud-sign-in?ckWebAuthToken=t HTTP/1.1\nHost: x\r\n\r\n",
         Refusal::malformed},
        {"a folded header", callback("t", "Host: x\r\n folded\r\n"), Refusal::malformed},
        {"a header without a name", callback("t", ": x\r\n"), Refusal::malformed},
    };
    for (const Case& example : cases) {
        const auto request = signin::readCallbackRequest(example.request);
        ASSERT_TRUE(request) << example.what;
        EXPECT_EQ(request->refusal, example.refusal) << example.what;
        EXPECT_EQ(request->token.isEmpty(), example.refusal != Refusal::none) << example.what;
    }
    EXPECT_EQ(signin::readCallbackRequest(callback("wat%3Aab%2B%2F%3D"))->token,
              QStringLiteral("wat:ab+/="));

    // A head still arriving waits; one that never ends within the cap is refused.
    EXPECT_FALSE(signin::readCallbackRequest("GET /icloud-sign-in?ckWebAuthToken=t HTTP/1.1\r\n"));
    const QByteArray endless = "GET /icloud-sign-in?ckWebAuthToken=t HTTP/1.1\r\nX: " +
                               QByteArray(signin::maximumRequestHeadBytes, 'a');
    EXPECT_EQ(signin::readCallbackRequest(endless)->refusal, Refusal::malformed);
    EXPECT_EQ(signin::readCallbackRequest(endless + "\r\n\r\n")->refusal, Refusal::malformed);
}

TEST(SignInCallbackRequest, FindsTheOwnerOfThePeersEndOfTheConnection) {
    // 127.0.0.1:40000 (0x9C40) → 127.0.0.1:47219 (0xB873), and the listener's own end.
    const QByteArray table =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
        "timeout inode\n"
        "   0: 0100007F:B873 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0 0 1\n"
        "   1: 0100007F:B873 0100007F:9C40 01 00000000:00000000 00:00000000 00000000     0 0 2\n"
        "   2: 0100007F:9C40 0100007F:B873 01 00000000:00000000 00:00000000 00000000  1000 0 3\n"
        "   3: 0100007F:9C41 0100007F:B873 06 00000000:00000000 03:00000000 00000000     0 0 0\n";
    constexpr quint32 loopback = 0x7f000001;
    EXPECT_EQ(signin::ownerOfConnection(table, loopback, 40000, loopback, 47219), 1000u);
    // A connection that is closing shows no owner worth trusting.
    EXPECT_EQ(signin::ownerOfConnection(table, loopback, 40001, loopback, 47219), std::nullopt);
    EXPECT_EQ(signin::ownerOfConnection(table, loopback, 40002, loopback, 47219), std::nullopt);

    // A peer of an IPv6 socket, reaching 127.0.0.1 as ::ffff:127.0.0.1.
    const QByteArray table6 =
        "  sl  local_address                         remote_address                        st "
        "tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
        "   0: 0000000000000000FFFF00000100007F:9C40 0000000000000000FFFF00000100007F:B873 01 "
        "00000000:00000000 00:00000000 00000000 65534 0 4\n"
        "   1: 00000000000000000000000001000000:9C40 00000000000000000000000001000000:B873 01 "
        "00000000:00000000 00:00000000 00000000  1000 0 5\n";
    EXPECT_EQ(signin::ownerOfConnection(table6, loopback, 40000, loopback, 47219), 65534u);

    // Two rows for one connection that disagree: no owner.
    EXPECT_EQ(signin::ownerOfConnection(
                  table + "   4: 0100007F:9C40 0100007F:B873 01 0:0 0:0 0 1001 0 6\n", loopback,
                  40000, loopback, 47219),
              std::nullopt);
}

// What the listener answers a request, read until it closes.
QByteArray exchange(QTcpSocket& socket, const QByteArray& request) {
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    socket.write(request);
    if (socket.state() != QAbstractSocket::UnconnectedState) {
        loop.exec();
    }
    return socket.readAll();
}

QByteArray exchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return exchange(socket, request);
}

bool refused(const QByteArray& answer, const char* status, const char* text) {
    return answer.startsWith(QByteArray("HTTP/1.1 ") + status) &&
           QString::fromUtf8(answer).contains(QString::fromUtf8(text));
}

quint16 listening(SignInCallback& listener, std::chrono::milliseconds deadline) {
    for (quint16 port = 47300; port < 47400; ++port) {
        if (listener.listen(port, deadline)) {
            return port;
        }
    }
    return 0;
}

void settle() {
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(SignInCallback, RefusesWhatAPageOrAnyoneElsePlantsAndTakesTheBrowsersOneTokenOnly) {
    SignInCallback listener;
    const quint16 port = listening(listener, 20s);
    ASSERT_NE(port, 0);
    QSignalSpy tokens(&listener, &SignInCallback::tokenReceived);
    // Opened now, used once the token is taken.
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    settle();

    const char* notFromAddressBar = "barre d’adresse";
    EXPECT_TRUE(refused(exchange(port, callback("planted", "Sec-Fetch-Mode: no-cors\r\n"
                                                           "Sec-Fetch-Dest: image\r\n"
                                                           "Sec-Fetch-Site: cross-site\r\n")),
                        "403", notFromAddressBar));
    EXPECT_TRUE(refused(exchange(port, callback("planted", "Sec-Fetch-Mode: cors\r\n")), "403",
                        notFromAddressBar));
    EXPECT_TRUE(
        refused(exchange(port, callback("planted", "Origin: null\r\n")), "403", notFromAddressBar));
    EXPECT_TRUE(refused(exchange(port, "POST /icloud-sign-in?ckWebAuthToken=planted HTTP/1.1\r\n"
                                       "Content-Length: 0\r\n\r\n"),
                        "400", "mal formée"));
    EXPECT_TRUE(refused(exchange(port, "GET /icloud-sign-in?ckWebAuthToken=planted\r\n\r\n"), "400",
                        "mal formée"));
    EXPECT_TRUE(refused(
        exchange(port, "GET / HTTP/1.1\r\nX: " + QByteArray(signin::maximumRequestHeadBytes, 'x')),
        "400", "mal formée"));
    EXPECT_TRUE(
        refused(exchange(port, "GET /favicon.ico HTTP/1.1\r\n\r\n"), "404", "attend le retour"));
    settle();
    EXPECT_EQ(tokens.size(), 0);
    EXPECT_TRUE(listener.isListening());

    EXPECT_TRUE(refused(exchange(port, callback("wat%3Agenuine")), "200", "est connecté"));
    ASSERT_TRUE(!tokens.isEmpty() || tokens.wait(5000));
    EXPECT_EQ(tokens.takeFirst().at(0).toString(), QStringLiteral("wat:genuine"));

    // A connection already open is told it is too late; no new one is even accepted.
    EXPECT_TRUE(refused(exchange(second, callback("second")), "410", "Trop tard"));
    EXPECT_FALSE(listener.isListening());
    QTcpSocket third;
    third.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_FALSE(third.waitForConnected(2000));
    settle();
    EXPECT_EQ(tokens.size(), 0);
}

TEST(SignInCallback, PastItsDeadlineTheListenerTakesNoToken) {
    SignInCallback listener;
    const quint16 port = listening(listener, 200ms);
    ASSERT_NE(port, 0);
    QSignalSpy tokens(&listener, &SignInCallback::tokenReceived);
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, port);
    QElapsedTimer clock;
    clock.start();
    while (listener.isListening() && clock.elapsed() < 5000) {
        settle();
    }
    EXPECT_FALSE(listener.isListening());
    EXPECT_TRUE(refused(exchange(late, callback("late")), "410", "Trop tard"));
    settle();
    EXPECT_EQ(tokens.size(), 0);
}

// Connects as `uid` from a child process and sends the genuine callback; the answer's first
// bytes, or nothing when the child could not become that user or connect.
QByteArray callbackAs(uid_t uid, quint16 port) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        // Only system calls from here: the parent has threads.
        close(pipeEnds[0]);
        if (setresgid(uid, uid, uid) != 0 || setresuid(uid, uid, uid) != 0) {
            _exit(2);
        }
        const int connection = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            _exit(3);
        }
        static const char request[] = "GET /icloud-sign-in?ckWebAuthToken=other HTTP/1.1\r\n"
                                      "Sec-Fetch-Mode: navigate\r\n\r\n";
        if (write(connection, request, sizeof request - 1) < 0) {
            _exit(4);
        }
        char answer[1024];
        ssize_t got = 0;
        while ((got = read(connection, answer, sizeof answer)) > 0) {
            if (write(pipeEnds[1], answer, static_cast<size_t>(got)) < 0) {
                _exit(5);
            }
        }
        _exit(0);
    }
    close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        return {};
    }
    // The listener answers from this thread's event loop while the child waits.
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0 && clock.elapsed() < 10000) {
        settle();
    }
    QByteArray answer;
    char buffer[1024];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        answer.append(buffer, got);
    }
    close(pipeEnds[0]);
    return answer;
}

TEST(SignInCallback, RefusesTheCallbackOfAnotherUserOfThisComputer) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "connecting as another user needs root to switch users; this runs as "
                     << geteuid();
    }
    SignInCallback listener;
    const quint16 port = listening(listener, 20s);
    ASSERT_NE(port, 0);
    QSignalSpy tokens(&listener, &SignInCallback::tokenReceived);

    constexpr uid_t nobody = 65534;
    const QByteArray answer = callbackAs(nobody, port);
    EXPECT_TRUE(refused(answer, "403", "autre utilisateur")) << answer.toStdString();
    settle();
    EXPECT_EQ(tokens.size(), 0);

    EXPECT_TRUE(refused(exchange(port, callback("mine")), "200", "est connecté"));
    ASSERT_TRUE(!tokens.isEmpty() || tokens.wait(5000));
    EXPECT_EQ(tokens.takeFirst().at(0).toString(), QStringLiteral("mine"));
}

} // namespace
} // namespace velunora
