// The players' page server on real sockets: what it refuses, and the limits that keep a
// hostile or broken client from holding anything up.
#include "share/PlayersShare.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QWebSocket>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestPlayersServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void theThirtyThirdIsRefused();
    void aSilentConnectionIsDropped();
    void pagesFollowAndAreNotHeard();
    void aSocketThatStopsAnsweringIsDropped();
    void stopClosesEveryConnection();

private:
    // One request on a connection of its own, and all that came back until it closed.
    QByteArray exchange(const QByteArray &request);
    QUrl socketAddress() const;

    std::unique_ptr<share::PlayersShare> m_share;
    quint16 m_port = 0;
    QByteArray m_token;
};

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

QUrl TestPlayersServer::socketAddress() const
{
    return QUrl(u"ws://127.0.0.1:%1/%2/ws"_s.arg(m_port).arg(QString::fromLatin1(m_token)));
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
    const QByteArray answer = exchange(request.replace("TOKEN", m_token));
    QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.left(200).constData());
    QVERIFY2(answer.contains(holds), answer.left(400).constData());
    QVERIFY(!answer.contains("Round")); // the view goes only through the socket
}

void TestPlayersServer::theThirtyThirdIsRefused()
{
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 32; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(held.back()->waitForConnected(2000));
    }
    QVERIFY(exchange("GET /" + m_token + "/ HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 503"));
    QCOMPARE(m_share->refused(), 1);
    // Those held say nothing and are dropped; then a page is served again.
    for (auto &socket : held)
        QTRY_COMPARE(socket->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(exchange("GET /" + m_token + "/ HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 200"));
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
    QWebSocket page;
    QStringList heard;
    connect(&page, &QWebSocket::textMessageReceived, this, [&](const QString &text) { heard << text; });
    page.open(socketAddress());
    QTRY_COMPARE(heard, QStringList{uR"({"v":1,"turn":"Round 1"})"_s}); // the newest view at once
    m_share->publish(R"({"v":1,"turn":"Round 2"})");
    QTRY_COMPARE(heard.size(), 2);
    QCOMPARE(heard.last(), uR"({"v":1,"turn":"Round 2"})"_s);

    // What a page sends is counted and changes nothing.
    page.sendTextMessage(u"next turn"_s);
    QTRY_COMPARE(m_share->bytesIgnored(), 9);
    QCOMPARE(heard.size(), 2);
    // A frame past what a page ever sends ends the connection.
    page.sendBinaryMessage(QByteArray(4096, 'x'));
    QTRY_COMPARE(page.state(), QAbstractSocket::UnconnectedState);

    QWebSocket stranger;
    QUrl elsewhere = socketAddress();
    elsewhere.setPath(u"/AAAAAAAAAAAAAAAAAAAAAA/ws"_s);
    stranger.open(elsewhere);
    QTRY_COMPARE(stranger.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!stranger.isValid());
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
    QTRY_COMPARE(clients.last().first().toInt(), 1);
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
    QWebSocket page;
    page.open(socketAddress());
    QTRY_COMPARE(page.state(), QAbstractSocket::ConnectedState);
    QTcpSocket reading;
    reading.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(reading.waitForConnected(2000));
    m_share->stop();
    QVERIFY(!m_share->isSharing());
    QTRY_COMPARE(page.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(reading.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(exchange("GET / HTTP/1.1\r\n\r\n"), "not connected"_ba);
}

QTEST_GUILESS_MAIN(TestPlayersServer)
#include "tst_playersserver.moc"
