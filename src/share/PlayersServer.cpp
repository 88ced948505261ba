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

// A close frame with its status code: 1000 normal, 1002 a protocol error.
QByteArray closeFrame(quint16 code)
{
    return websocket::frame(websocket::Opcode::Close, QByteArray{char(code >> 8), char(code & 0xff)});
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
    m_server->setMaxPendingConnections(m_limits.connections);
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
    delete m_pings;
    m_pings = nullptr;
    delete m_server;
    m_server = nullptr;
    if (hadPages)
        emit clientsChanged(0);
}

int PlayersServer::connections() const
{
    return int(m_reading.size() + m_pages.size());
}

void PlayersServer::accept()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        if (connections() >= m_limits.connections) {
            ++m_refused;
            socket->write("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            // One that never reads our answer still goes.
            QTimer::singleShot(m_limits.head, socket, [socket] {
                socket->abort();
                socket->deleteLater();
            });
            continue;
        }
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
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            stopReading(socket);
            socket->deleteLater();
        });
    }
}

void PlayersServer::stopReading(QTcpSocket *socket)
{
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

// A page whose connection ended or must: with `farewell` (a close frame) said first, and
// given the time of a request head to take it, else cut off at once.
void PlayersServer::drop(QTcpSocket *page, const QByteArray &farewell)
{
    if (!m_pages.remove(page))
        return;
    disconnect(page, nullptr, this, nullptr);
    if (!farewell.isEmpty() && page->state() == QAbstractSocket::ConnectedState) {
        page->write(farewell);
        page->disconnectFromHost();
        connect(page, &QTcpSocket::disconnected, page, &QObject::deleteLater);
        QTimer::singleShot(m_limits.head, page, [page] {
            page->abort();
            page->deleteLater();
        });
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
