#include "share/PlayersServer.h"

#include "share/ShareRequest.h"
#include "share/WebSocketFrames.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace share {

namespace {

// Nothing a page sends is longer: a pong's echo, a close frame.
constexpr qsizetype MaxIncomingPayload = 1024;

// The close status a page reads as "the game master stopped sharing: this address is over".
constexpr quint16 SharingEnded = 4001;

// A page with more than this still to take is not keeping up: it gets no pong (they would
// pile up) and no goodbye (it would never read it, and its connection would linger).
constexpr qint64 SmallBacklog = 16 * 1024;

// A close frame with its status code: 1000 normal, 1002 a protocol error.
QByteArray closeFrame(quint16 code)
{
    QByteArray status(2, Qt::Uninitialized);
    status[0] = char(code >> 8);
    status[1] = char(code & 0xff);
    return websocket::frame(websocket::Opcode::Close, status);
}

} // namespace

PlayersServer::PlayersServer(const QByteArray &token, const QByteArray &page, const QByteArray &icon,
                             Limits limits, QObject *parent)
    : QObject(parent)
    , m_token(token)
    , m_page(page)
    , m_icon(icon)
    , m_limits(limits)
{
}

PlayersServer::~PlayersServer()
{
    close();
}

void PlayersServer::listen(quint16 port)
{
    close();
    m_server = new QTcpServer(this);
    // Connections wait in the system's queue, not in ours, while we answer others.
    m_server->setMaxPendingConnections(m_limits.heads);
    connect(m_server, &QTcpServer::newConnection, this, &PlayersServer::accept);
    if (!m_server->listen(QHostAddress::Any, port)) {
        const QString why = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        emit failed(why);
        return;
    }
    m_pings = new QTimer(this);
    connect(m_pings, &QTimer::timeout, this, &PlayersServer::pingAll);
    m_pings->start(m_limits.ping);
    emit listening(m_server->serverPort());
}

void PlayersServer::close()
{
    const bool hadPages = !m_pages.isEmpty();
    for (QTcpSocket *page : m_pages.keys()) {
        page->disconnect(this);
        // Told that sharing ended, so that it stops showing a fight that has left it. What
        // it sent is read first: unread bytes would turn the close into a reset.
        page->readAll();
        if (page->bytesToWrite() <= SmallBacklog) {
            page->write(closeFrame(SharingEnded));
            page->flush();
        }
        page->abort();
        page->deleteLater();
    }
    m_pages.clear();
    for (auto [socket, timer] : m_reading.asKeyValueRange()) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        delete timer;
    }
    m_reading.clear();
    m_readingOrder.clear();
    for (QTcpSocket *page : std::as_const(m_closing)) {
        page->disconnect(this);
        page->abort();
        page->deleteLater();
    }
    m_closing.clear();
    delete m_pings;
    m_pings = nullptr;
    delete m_server;
    m_server = nullptr;
    if (hadPages)
        emit clientsChanged(0);
}

void PlayersServer::accept()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        makeRoomForHead(socket->peerAddress());
        // A head longer than the limit is refused: no more of it is ever held.
        socket->setReadBufferSize(MaxHeadBytes + 1);
        auto *timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, socket, [this, socket] {
            stopReading(socket);
            socket->abort();
            socket->deleteLater();
        });
        timer->start(m_limits.head);
        m_reading.insert(socket, timer);
        m_readingOrder.append(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            stopReading(socket);
            socket->deleteLater();
        });
    }
}

// The oldest connections still owing their heads go: first those of `from` beyond its
// share, then the oldest of all, so that a newcomer always has its place.
void PlayersServer::makeRoomForHead(const QHostAddress &from)
{
    const auto forget = [this](QTcpSocket *socket) {
        stopReading(socket);
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    };
    qsizetype fromThere = 0;
    for (QTcpSocket *socket : std::as_const(m_readingOrder))
        fromThere += socket->peerAddress() == from;
    const QList<QTcpSocket *> oldestFirst = m_readingOrder;
    for (QTcpSocket *socket : oldestFirst) {
        if (fromThere < m_limits.headsPerAddress)
            break;
        if (socket->peerAddress() == from) {
            forget(socket);
            --fromThere;
        }
    }
    while (m_readingOrder.size() >= m_limits.heads)
        forget(m_readingOrder.first());
}

void PlayersServer::stopReading(QTcpSocket *socket)
{
    m_readingOrder.removeOne(socket);
    if (QTimer *timer = m_reading.take(socket)) {
        timer->stop();
        timer->deleteLater();
    }
}

void PlayersServer::readHead(QTcpSocket *socket)
{
    if (!m_reading.contains(socket))
        return; // answered already; what follows is not read
    const QByteArray received = socket->peek(MaxHeadBytes + 1);
    const Answer said = answerTo(received, m_token);
    switch (said) {
    case Answer::Incomplete:
        return;
    case Answer::Socket:
        welcome(socket, received.left(received.indexOf("\r\n\r\n") + 4));
        return;
    case Answer::Page:
    case Answer::Icon:
        answer(socket, response(said, said == Answer::Page ? m_page : m_icon, received.startsWith("HEAD ")));
        return;
    case Answer::AddSlash:
        answer(socket, response(said, '/' + m_token));
        return;
    default:
        answer(socket, response(said));
        return;
    }
}

// Sends a whole answer and closes; one that does not take it in time is cut off.
void PlayersServer::answer(QTcpSocket *socket, const QByteArray &bytes)
{
    QTimer *timer = m_reading.value(socket);
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    m_ignored += socket->bytesAvailable();
    socket->readAll();
    socket->write(bytes);
    socket->disconnectFromHost();
    timer->start(m_limits.head);
}

// The page's WebSocket begins: it is given the newest view at once.
void PlayersServer::welcome(QTcpSocket *socket, const QByteArray &head)
{
    const QByteArray agreed = websocket::handshakeAnswer(head);
    if (agreed.isEmpty())
        return answer(socket, response(Answer::BadRequest));
    if (m_pages.size() >= m_limits.pages) {
        ++m_refused;
        return answer(socket, response(Answer::Busy));
    }
    stopReading(socket);
    disconnect(socket, nullptr, this, nullptr);
    socket->read(head.size());
    socket->write(agreed);
    m_pages.insert(socket, Page{});
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrames(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
    if (!m_view.isEmpty())
        socket->write(websocket::frame(websocket::Opcode::Text, m_view));
    emit clientsChanged(int(m_pages.size()));
    if (socket->bytesAvailable() > 0)
        readFrames(socket);
}

// What a page says: pongs are heard, a ping answered, a close agreed to; anything else is
// counted and dropped, and a frame no page sends ends the connection.
void PlayersServer::readFrames(QTcpSocket *socket)
{
    auto page = m_pages.find(socket);
    if (page == m_pages.end())
        return;
    page->received += socket->readAll();
    while (true) {
        const websocket::Received frame = websocket::firstFrame(page->received, MaxIncomingPayload);
        switch (frame.kind) {
        case websocket::Received::Incomplete:
            return;
        case websocket::Received::Refused:
            return drop(socket, closeFrame(1002));
        case websocket::Received::Close:
            return drop(socket, closeFrame(1000));
        case websocket::Received::Ping:
            if (socket->bytesToWrite() > m_limits.backlog)
                return drop(socket);
            if (socket->bytesToWrite() <= SmallBacklog)
                socket->write(websocket::frame(websocket::Opcode::Pong, frame.payload));
            break;
        case websocket::Received::Pong:
            page->unanswered = 0;
            break;
        case websocket::Received::Message:
            m_ignored += frame.payload.size();
            break;
        }
        page->received.remove(0, frame.length);
    }
}

// A page whose connection ended or must. `farewell` (a close frame) is said first when the
// page has taken nearly everything before it, and it is given the time of a request head to take
// that; one that has not, or one more than the pages kept, is cut off at once.
void PlayersServer::drop(QTcpSocket *page, const QByteArray &farewell)
{
    if (!m_pages.remove(page))
        return;
    disconnect(page, nullptr, this, nullptr);
    if (!farewell.isEmpty() && page->state() == QAbstractSocket::ConnectedState
        && page->bytesToWrite() <= SmallBacklog && m_closing.size() < m_limits.pages) {
        m_closing.insert(page);
        const auto gone = [this, page] {
            if (m_closing.remove(page)) {
                page->abort();
                page->deleteLater();
            }
        };
        connect(page, &QTcpSocket::disconnected, this, gone);
        QTimer::singleShot(m_limits.head, page, gone);
        page->write(farewell);
        page->disconnectFromHost();
    } else {
        page->abort();
        page->deleteLater();
    }
    emit clientsChanged(int(m_pages.size()));
}

void PlayersServer::publish(const QByteArray &view)
{
    m_view = view;
    const QByteArray text = websocket::frame(websocket::Opcode::Text, view);
    for (QTcpSocket *page : m_pages.keys()) {
        // One that stopped reading would hold every view from now on: it goes instead.
        if (page->bytesToWrite() > m_limits.backlog)
            drop(page);
        else
            page->write(text);
    }
}

void PlayersServer::pingAll()
{
    const QByteArray ping = websocket::frame(websocket::Opcode::Ping);
    for (QTcpSocket *page : m_pages.keys()) {
        if (++m_pages[page].unanswered > 2 || page->bytesToWrite() > m_limits.backlog)
            drop(page);
        else
            page->write(ping);
    }
}

} // namespace share
