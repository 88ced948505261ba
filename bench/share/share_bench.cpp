// What hostile or broken clients of the players' page cost the table: while 1,000
// connection attempts, 31 pages that never read and a flood of bad requests come in, the
// window's thread runs Next Turn with the players' view made and handed to the server, and
// a well-behaved page measures how long each view takes to reach it.
// Usage: share_bench [turns]   (default 200, one every 20 ms)
#include "../BenchChecks.h"
#include "document/CombatDocument.h"
#include "document/PlayersView.h"
#include "share/PlayersShare.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QTcpSocket>
#include <QThread>
#include <QWebSocket>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QElapsedTimer clock_;
QMutex sentLock;
QHash<QString, qint64> sentAt; // turn line -> when the window's thread handed it over

QByteArray handshake(const QByteArray &token)
{
    return "GET /" + token + "/ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

// The attackers, each blocking in a thread of its own.
void neverReading(quint16 port, const QByteArray &token, int count, const std::atomic<bool> &done)
{
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < count; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        if (socket->waitForConnected(2000)) {
            socket->write(handshake(token));
            socket->waitForBytesWritten(1000);
            socket->setReadBufferSize(1);
            held.push_back(std::move(socket));
        }
    }
    while (!done)
        QThread::msleep(10); // held, unread, until the run ends
}

void attempts(quint16 port, int count, std::atomic<int> &answered)
{
    for (int i = 0; i < count; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(2000)) {
            socket.abort(); // connects and goes at once, as a port scan does
            ++answered;
        }
    }
}

void badRequests(quint16 port, int count, std::atomic<int> &answered)
{
    const QByteArray garbage[] = {"GET / HTTP/1.1\r\n\r\n", "POST /x/ HTTP/1.1\r\n\r\n",
                                  "GET /" + QByteArray(5000, 'A') + " HTTP/1.1\r\n\r\n", "\r\n\r\n\r\n"};
    for (int i = 0; i < count; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(2000))
            continue;
        socket.write(garbage[i % 4]);
        if (!socket.waitForReadyRead(2000))
            continue;
        const QByteArray answer = socket.readAll();
        if (answer.startsWith("HTTP/1.1 4") || answer.startsWith("HTTP/1.1 503"))
            ++answered;
    }
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int turns = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    clock_.start();

    CombatDocument doc;
    for (int r = 0; r < roster::RowCount; ++r) {
        mustBeDone(doc.setFieldText(r, roster::Field::Name, QStringLiteral("Goblin %1").arg(r + 1)));
        mustBeDone(doc.setFieldText(r, roster::Field::HitPoints, QStringLiteral("12/20")));
        mustBeDone(doc.setFieldText(r, roster::Field::Initiative, QString::number(r)));
        mustBeDone(doc.setFieldText(r, roster::Field::Note, QStringLiteral("[Stunned: 3]")));
        doc.closeMerge();
    }
    mustBeDone(doc.calculateOrder());

    share::PlayersShare shared;
    QUrl address;
    QObject::connect(&shared, &share::PlayersShare::started, &shared, [&](const QUrl &url) { address = url; });
    shared.start();
    while (address.isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const quint16 port = quint16(address.port());
    const QByteArray token = address.path().section(u'/', 1, 1).toLatin1();

    // The well-behaved page, in a thread of its own as a phone is.
    std::vector<double> delays;
    QMutex delaysLock;
    QThread pageThread;
    QWebSocket page;
    page.moveToThread(&pageThread);
    QObject::connect(&page, &QWebSocket::textMessageReceived, &page, [&](const QString &text) {
        const qint64 now = clock_.nsecsElapsed();
        const QString turn = QJsonDocument::fromJson(text.toUtf8()).object().value(QStringLiteral("turn")).toString();
        QMutexLocker sent(&sentLock);
        if (const auto at = sentAt.constFind(turn); at != sentAt.cend()) {
            QMutexLocker locker(&delaysLock);
            delays.push_back(double(now - *at) / 1e6);
        }
    });
    pageThread.start();
    QMetaObject::invokeMethod(&page, [&] {
        page.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/%2/ws").arg(port).arg(QString::fromLatin1(token))));
    });
    QThread::msleep(300);

    // The attack.
    std::atomic<bool> done{false};
    std::atomic<int> attemptsMade{0}, badAnswered{0};
    QThread *sleepers = QThread::create([&] { neverReading(port, token, 31, done); });
    QThread *scanner = QThread::create([&] { attempts(port, 1000, attemptsMade); });
    QThread *flooder = QThread::create([&] { badRequests(port, 1000, badAnswered); });
    for (QThread *attacker : {sleepers, scanner, flooder})
        attacker->start();

    std::vector<double> nextTurn;
    for (int i = 0; i < turns; ++i) {
        QElapsedTimer timer;
        timer.start();
        mustBeDone(doc.nextTurn());
        const players::View view = players::playersView(doc, players::HealthWords::Everyone);
        {
            QMutexLocker sent(&sentLock);
            sentAt.insert(view.turn, clock_.nsecsElapsed());
        }
        shared.publish(players::toJson(view));
        nextTurn.push_back(double(timer.nsecsElapsed()) / 1e6);
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 20)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QThread::msleep(500);
    done = true;
    for (QThread *attacker : {sleepers, scanner, flooder}) {
        attacker->wait();
        delete attacker;
    }

    QMutexLocker locker(&delaysLock);
    std::printf("Next Turn with the view handed over, %d turns: median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms\n",
                turns, percentile(nextTurn, 0.5), percentile(nextTurn, 0.99), percentile(nextTurn, 1.0));
    std::printf("the well-behaved page got %zu of %d views: median %.2f ms after the change, slowest %.2f ms\n",
                delays.size(), turns, percentile(delays, 0.5), percentile(delays, 1.0));
    std::printf("1000 connection attempts (%d connected), 1000 bad requests (%d refused, 4xx or 503), 31 pages that never read; %d connections refused as over the limit, %lld bytes ignored\n",
                attemptsMade.load(), badAnswered.load(), shared.refused(), static_cast<long long>(shared.bytesIgnored()));
    QMetaObject::invokeMethod(&page, [&] { page.abort(); }, Qt::BlockingQueuedConnection);
    pageThread.quit();
    pageThread.wait();
    return percentile(nextTurn, 1.0) < 10 && delays.size() + 2 >= size_t(turns) ? 0 : 1;
}
