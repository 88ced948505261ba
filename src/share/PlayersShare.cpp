#include "share/PlayersShare.h"

#include "share/PlayersServer.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QThread>

namespace share {

namespace {

// 128 random bits from the system's source, in the letters a path may hold.
QByteArray newToken()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char *>(words), sizeof words)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray resource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isPrivate(const QHostAddress &address)
{
    return address.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8)
           || address.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12)
           || address.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

} // namespace

PlayersShare::PlayersShare(QObject *parent, PlayersServer::Limits limits)
    : QObject(parent)
    , m_limits(limits)
{
}

PlayersShare::~PlayersShare()
{
    stop();
}

QString PlayersShare::networkAddress()
{
    QHostAddress found;
    for (const QNetworkInterface &card : QNetworkInterface::allInterfaces()) {
        const auto flags = card.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : card.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() != QAbstractSocket::IPv4Protocol || address.isLinkLocal())
                continue;
            if (isPrivate(address))
                return address.toString(); // a home or club network: what phones there use
            if (found.isNull())
                found = address;
        }
    }
    return found.isNull() ? QHostAddress(QHostAddress::LocalHost).toString() : found.toString();
}

void PlayersShare::start(quint16 port)
{
    stop();
    const QByteArray token = newToken();
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("Players' page"));
    m_server = new PlayersServer(token, resource(QStringLiteral(":/share/players.html")),
                                 resource(QStringLiteral(":/share/icon.svg")), m_limits);
    m_server->moveToThread(m_thread);
    connect(m_server, &PlayersServer::listening, this, [this, token](quint16 port) {
        m_address = QUrl(QStringLiteral("http://%1:%2/%3/")
                             .arg(networkAddress())
                             .arg(port)
                             .arg(QString::fromLatin1(token)));
        emit started(m_address);
    });
    connect(m_server, &PlayersServer::failed, this, [this](const QString &why) {
        stop();
        emit failed(why);
    });
    connect(m_server, &PlayersServer::clientsChanged, this, &PlayersShare::clientsChanged);
    m_thread->start();
    if (!m_view.isEmpty())
        QMetaObject::invokeMethod(m_server, "publish", Qt::QueuedConnection, Q_ARG(QByteArray, m_view));
    QMetaObject::invokeMethod(m_server, "listen", Qt::QueuedConnection, Q_ARG(quint16, port));
}

void PlayersShare::stop()
{
    if (!m_server)
        return;
    // Closed and gone in its own thread, every connection with it, before this returns.
    PlayersServer *server = std::exchange(m_server, nullptr);
    server->disconnect(this);
    QMetaObject::invokeMethod(server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete std::exchange(m_thread, nullptr);
    m_address.clear();
    emit clientsChanged(0);
}

void PlayersShare::publish(const QByteArray &view)
{
    if (view == m_view)
        return;
    m_view = view;
    if (m_server)
        QMetaObject::invokeMethod(m_server, "publish", Qt::QueuedConnection, Q_ARG(QByteArray, m_view));
}

} // namespace share
