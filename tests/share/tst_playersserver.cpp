// The players' page server on real sockets: what it refuses, and the limits that keep a
// hostile or broken client from holding anything up.
#include "share/PlayersShare.h"
#include "share/WebSocketFrames.h"
#include "share/PageClient.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using share::websocket::Opcode;
using share::websocket::Received;


class TestPlayersServer : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void theThirtyThirdIsRefused();
    void heldConnectionsKeepNoPageOut();
    void aSilentConnectionIsDropped();
    void pagesFollowAndAreNotHeard();
    void aSocketThatStopsAnsweringIsDropped();
    void stopClosesEveryConnection();

private:
    // One request on a connection of its own, and all that came back until it closed.
    QByteArray exchange(const QByteArray &request);

    std::unique_ptr<share::PlayersShare> m_share;
    quint16 m_port = 0;
    QByteArray m_token;
};

// What a page may send, read strictly: the server refuses the rest.
void TestPlayersServer::frames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("length");
    const QByteArray ping = pageFrame(Opcode::Ping, "hi");

    QTest::newRow("text, masked") << QByteArray("\x81\x83\x01\x02\x03\x04", 6) + QByteArray("b`o", 3)
                                  << int(Received::Message) << "cbl"_ba << 9;
    QTest::newRow("a ping") << ping + "more" << int(Received::Ping) << "hi"_ba << 8;
    QTest::newRow("a pong") << pageFrame(Opcode::Pong, "") << int(Received::Pong) << ""_ba << 6;
    QTest::newRow("a close") << pageFrame(Opcode::Close, "\x03\xe8"_ba) << int(Received::Close) << "\x03\xe8"_ba << 8;
    QTest::newRow("126 bytes, the longer length") << pageFrame(Opcode::Binary, QByteArray(126, 'x'))
                                                  << int(Received::Message) << QByteArray(126, 'x') << 134;
    QTest::newRow("the header cut") << ping.left(1) << int(Received::Incomplete) << ""_ba << 0;
    QTest::newRow("the payload cut") << ping.left(7) << int(Received::Incomplete) << ""_ba << 0;
    QTest::newRow("not masked") << pageFrame(Opcode::Text, "x", false) << int(Received::Refused) << ""_ba << 0;
    QTest::newRow("a fragment") << QByteArray("\x01\x80\0\0\0\0", 6) << int(Received::Refused) << ""_ba << 0;
    QTest::newRow("a reserved bit") << QByteArray("\xc1\x80\0\0\0\0", 6) << int(Received::Refused) << ""_ba << 0;
    QTest::newRow("a reserved opcode") << QByteArray("\x83\x80\0\0\0\0", 6) << int(Received::Refused) << ""_ba << 0;
    QTest::newRow("a continuation") << QByteArray("\x80\x80\0\0\0\0", 6) << int(Received::Refused) << ""_ba << 0;
    QTest::newRow("longer than allowed") << pageFrame(Opcode::Text, QByteArray(1025, 'x')) << int(Received::Refused)
                                         << ""_ba << 0;
    QTest::newRow("a length of 2^63, said before any of it") << QByteArray("\x81\xff\x7f\xff\xff\xff\xff\xff\xff\xff", 10)
                                                             << int(Received::Refused) << ""_ba << 0;
    QTest::newRow("a long ping") << pageFrame(Opcode::Ping, QByteArray(126, 'p')) << int(Received::Refused) << ""_ba
                                 << 0;
}

void TestPlayersServer::frames()
{
    QFETCH(QByteArray, bytes);
    const Received frame = share::websocket::firstFrame(bytes, 1024);
    QTEST(int(frame.kind), "kind");
    QTEST(frame.payload, "payload");
    QTEST(int(frame.length), "length");
}

void TestPlayersServer::init()
{
    // Short time-outs, so that the limits show in a test's time.
    m_share = std::make_unique<share::PlayersShare>(nullptr, share::PlayersServer::Limits{32, 400ms, 150ms, 64 * 1024});
    QSignalSpy started(m_share.get(), &share::PlayersShare::started);
    m_share->publish(R"({"v":1,"turn":"Round 1"})");
    m_share->start();
    QVERIFY(started.wait());
    const QUrl address = started.first().first().toUrl();
    m_port = static_cast<quint16>(address.port());
    m_token = address.path().section(u'/', 1, 1).toLatin1();
    QCOMPARE(m_token.size(), 22); // 128 bits in base64
}

void TestPlayersServer::cleanup()
{
    m_share.reset();
}

QByteArray TestPlayersServer::exchange(const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_port);
    if (!socket.waitForConnected(2000))
        return "not connected";
    socket.write(request);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(2000))
        answer += socket.readAll();
    return answer + socket.readAll();
}

void TestPlayersServer::answers_data()
{
    QTest::addColumn<QByteArray>("request"); // "TOKEN" stands for the address's token
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("holds");

    QTest::newRow("the page") << "GET /TOKEN/ HTTP/1.1\r\nHost: x\r\n\r\n"_ba << "200"_ba << "<html"_ba;
    QTest::newRow("its icon") << "GET /TOKEN/icon.svg HTTP/1.1\r\n\r\n"_ba << "200"_ba << "image/svg+xml"_ba;
    QTest::newRow("the head of the page, no body") << "HEAD /TOKEN/ HTTP/1.1\r\n\r\n"_ba << "200"_ba
                                                   << "Connection: close\r\n\r\n"_ba;
    QTest::newRow("the address without its last slash") << "GET /TOKEN HTTP/1.1\r\n\r\n"_ba << "308"_ba
                                                        << "Location: /TOKEN/\r\n"_ba;
    QTest::newRow("no token") << "GET / HTTP/1.1\r\n\r\n"_ba << "403"_ba << ""_ba;
    QTest::newRow("the browser's own icon") << "GET /favicon.ico HTTP/1.1\r\n\r\n"_ba << "403"_ba << ""_ba;
    QTest::newRow("another token") << "GET /AAAAAAAAAAAAAAAAAAAAAA/ HTTP/1.1\r\n\r\n"_ba << "403"_ba << ""_ba;
    QTest::newRow("the token and more") << "GET /TOKENx/ HTTP/1.1\r\n\r\n"_ba << "403"_ba << ""_ba;
    QTest::newRow("the token as a query") << "GET /?t=TOKEN HTTP/1.1\r\n\r\n"_ba << "403"_ba << ""_ba;
    QTest::newRow("another path") << "GET /TOKEN/../etc/passwd HTTP/1.1\r\n\r\n"_ba << "404"_ba << ""_ba;
    QTest::newRow("the socket without an upgrade") << "GET /TOKEN/ws HTTP/1.1\r\n\r\n"_ba << "404"_ba << ""_ba;
    QTest::newRow("a command") << "POST /TOKEN/ HTTP/1.1\r\nContent-Length: 4\r\n\r\nnext"_ba << "405"_ba << ""_ba;
    QTest::newRow("no request") << "hello\r\n\r\n"_ba << "400"_ba << ""_ba;
    QTest::newRow("a header past the limit") << "GET /TOKEN/ HTTP/1.1\r\nX: "_ba + QByteArray(5000, 'a') + "\r\n\r\n"
                                             << "413"_ba << ""_ba;
    QTest::newRow("a head that never ends") << QByteArray(100000, 'G') << "413"_ba << ""_ba;
}

void TestPlayersServer::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, holds);
    holds.replace("TOKEN", m_token);
    const QByteArray answer = exchange(request.replace("TOKEN", m_token));
    QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.left(200).constData());
    QVERIFY2(answer.contains(holds), answer.left(400).constData());
    QVERIFY(!answer.contains("Round")); // the view goes only through the socket
}

void TestPlayersServer::theThirtyThirdIsRefused()
{
    QSignalSpy open(m_share.get(), &share::PlayersShare::clientsChanged);
    std::vector<std::unique_ptr<PageClient>> pages;
    for (int i = 0; i < 32; ++i) {
        pages.push_back(std::make_unique<PageClient>());
        QVERIFY(pages.back()->open(m_port, m_token));
    }
    PageClient oneTooMany;
    QVERIFY(!oneTooMany.open(m_port, m_token));
    QCOMPARE(m_share->refused(), 1);
    // The page itself is still served, and a place freed is taken again.
    QVERIFY(exchange("GET /" + m_token + "/ HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 200"));
    pages.pop_back();
    QTRY_VERIFY(!open.isEmpty() && open.last().first().toInt() == 31);
    PageClient next;
    QVERIFY(next.open(m_port, m_token));
}

// Connections that never finish their heads, as many as anyone likes, keep no page out:
// each newcomer takes the place of the oldest.
void TestPlayersServer::heldConnectionsKeepNoPageOut()
{
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 40; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(held.back()->waitForConnected(2000));
        held.back()->write("GET / HTTP/1.1\r\n");
    }
    PageClient page;
    QVERIFY(page.open(m_port, m_token));
    QTRY_COMPARE(page.texts(), QStringList{uR"({"v":1,"turn":"Round 1"})"_s});
}

void TestPlayersServer::aSilentConnectionIsDropped()
{
    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(slow.waitForConnected(2000));
    slow.write("GET /" + m_token + "/ HTTP/1.1\r\n"); // and never the end of the head
    QElapsedTimer waited;
    waited.start();
    QTRY_COMPARE_WITH_TIMEOUT(slow.state(), QAbstractSocket::UnconnectedState, 3000);
    QVERIFY(waited.elapsed() >= 300);
    QVERIFY(!slow.readAll().contains("200"));
}

void TestPlayersServer::pagesFollowAndAreNotHeard()
{
    PageClient page;
    QVERIFY(page.open(m_port, m_token));
    QTRY_COMPARE(page.texts(), QStringList{uR"({"v":1,"turn":"Round 1"})"_s}); // the newest view at once
    m_share->publish(R"({"v":1,"turn":"Round 2"})");
    QTRY_COMPARE(page.texts().size(), 2);
    QCOMPARE(page.texts().last(), uR"({"v":1,"turn":"Round 2"})"_s);

    // What a page sends is counted and changes nothing; its ping is answered.
    page.socket.write(pageFrame(Opcode::Text, "next turn") + pageFrame(Opcode::Ping, "?"));
    QTRY_COMPARE(m_share->bytesIgnored(), 9);
    QTRY_COMPARE(page.pongs(), 1);
    QCOMPARE(page.texts().size(), 2);
    // A frame no page sends ends the connection.
    page.socket.write(pageFrame(Opcode::Text, "x", false));
    QTRY_COMPARE(page.closedWith(), 1002); // a protocol error
    QTRY_COMPARE(page.socket.state(), QAbstractSocket::UnconnectedState);

    PageClient stranger;
    QVERIFY(!stranger.open(m_port, "AAAAAAAAAAAAAAAAAAAAAA"));
}

// A page whose phone went to sleep: it neither reads nor answers pings.
void TestPlayersServer::aSocketThatStopsAnsweringIsDropped()
{
    QSignalSpy clients(m_share.get(), &share::PlayersShare::clientsChanged);
    QTcpSocket asleep;
    asleep.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(asleep.waitForConnected(2000));
    asleep.write("GET /" + m_token + "/ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                 "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    QTRY_VERIFY(asleep.bytesAvailable() > 0);
    QVERIFY(asleep.readAll().startsWith("HTTP/1.1 101"));
    QTRY_VERIFY(!clients.isEmpty() && clients.last().first().toInt() == 1);
    asleep.setReadBufferSize(1); // from now on it takes nothing in
    for (int i = 0; i < 200 && clients.last().first().toInt() == 1; ++i) {
        m_share->publish(QByteArray(R"({"v":1,"turn":")") + QByteArray(20000, char('a' + i % 26)) + "\"}");
        QTest::qWait(5);
    }
    // It sees nothing, not even its end; the server counts it gone.
    QTRY_COMPARE_WITH_TIMEOUT(clients.last().first().toInt(), 0, 3000);
}

void TestPlayersServer::stopClosesEveryConnection()
{
    PageClient page;
    QVERIFY(page.open(m_port, m_token));
    QTcpSocket reading;
    reading.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(reading.waitForConnected(2000));
    m_share->stop();
    QVERIFY(!m_share->isSharing());
    QTRY_COMPARE(page.closedWith(), 4001); // told that sharing ended
    QTRY_COMPARE(page.socket.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(reading.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(exchange("GET / HTTP/1.1\r\n\r\n"), "not connected"_ba);
}

QTEST_GUILESS_MAIN(TestPlayersServer)
#include "tst_playersserver.moc"
