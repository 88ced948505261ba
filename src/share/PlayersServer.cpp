#include "share/PlayersServer.h"

#include "share/ShareRequest.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

namespace share {

namespace {

// Nothing a page needs is longer: a ping's echo, a close frame.
constexpr quint64 MaxIncomingFrame = 1024;

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
    m_sockets = new QWebSocketServer(QStringLiteral("Fraymark"), QWebSocketServer::NonSecureMode, this);
    m_sockets->setHandshakeTimeout(int(m_limits.head.count()));
    connect(m_sockets, &QWebSocketServer::newConnection, this, &PlayersServer::welcome);
    m_pings = new QTimer(this);
    connect(m_pings, &QTimer::timeout, this, &PlayersServer::pingAll);
    m_pings->start(m_limits.ping);
    emit listening(m_server->serverPort());
}

void PlayersServer::close()
{
    const bool hadClients = !m_clients.isEmpty();
    for (QWebSocket *client : m_clients.keys()) {
        client->disconnect(this);
        client->abort();
        client->deleteLater();
    }
    m_clients.clear();
    for (auto [socket, timer] : m_reading.asKeyValueRange()) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        delete timer;
    }
    m_reading.clear();
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_handedOver)) {
        if (socket)
            socket->abort();
    }
    m_handedOver.clear();
    delete m_pings;
    m_pings = nullptr;
    delete m_sockets;
    m_sockets = nullptr;
    delete m_server;
    m_server = nullptr;
    if (hadClients)
        emit clientsChanged(0);
}

int PlayersServer::connections()
{
    m_handedOver.removeAll(QPointer<QTcpSocket>());
    return int(m_reading.size() + m_handedOver.size());
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
            QTimer::singleShot(m_limits.head, socket, [socket] { socket->abort(); socket->deleteLater(); });
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
        stopReading(socket);
        socket->disconnect(this);
        socket->setReadBufferSize(0);
        m_handedOver.append(socket);
        m_sockets->handleConnection(socket); // reads the head itself
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

void PlayersServer::welcome()
{
    while (m_sockets && m_sockets->hasPendingConnections()) {
        QWebSocket *client = m_sockets->nextPendingConnection();
        client->setParent(this);
        client->setMaxAllowedIncomingFrameSize(MaxIncomingFrame);
        client->setMaxAllowedIncomingMessageSize(MaxIncomingFrame);
        m_clients.insert(client, 0);
        connect(client, &QWebSocket::textMessageReceived, this,
                [this](const QString &message) { m_ignored += message.toUtf8().size(); });
        connect(client, &QWebSocket::binaryMessageReceived, this,
                [this](const QByteArray &message) { m_ignored += message.size(); });
        connect(client, &QWebSocket::pong, this, [this, client] { m_clients[client] = 0; });
        connect(client, &QWebSocket::disconnected, this, [this, client] { drop(client); });
        if (!m_view.isEmpty())
            client->sendTextMessage(QString::fromUtf8(m_view));
        emit clientsChanged(int(m_clients.size()));
    }
}

void PlayersServer::drop(QWebSocket *client)
{
    if (!m_clients.remove(client))
        return;
    client->disconnect(this);
    client->abort();
    client->deleteLater();
    emit clientsChanged(int(m_clients.size()));
}

void PlayersServer::publish(const QByteArray &view)
{
    m_view = view;
    const QString text = QString::fromUtf8(view);
    for (QWebSocket *client : m_clients.keys()) {
        // One that stopped reading would hold every view from now on: it goes instead.
        if (client->bytesToWrite() > m_limits.backlog)
            drop(client);
        else
            client->sendTextMessage(text);
    }
}

void PlayersServer::pingAll()
{
    for (QWebSocket *client : m_clients.keys()) {
        if (++m_clients[client] > 2 || client->bytesToWrite() > m_limits.backlog)
            drop(client);
        else
            client->ping();
    }
}

} // namespace share
