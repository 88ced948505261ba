#pragma once

#include "share/PlayersServer.h"

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QThread;

namespace share {

// Share with Players: the players' page served on this machine's network from a thread of
// its own, at an address that carries a fresh random token, so that only those who were
// given the address see anything. The window hands it the players' view on every change.
class PlayersShare : public QObject
{
    Q_OBJECT

public:
    explicit PlayersShare(QObject *parent = nullptr, PlayersServer::Limits limits = {});
    ~PlayersShare() override;

    bool isSharing() const { return m_server != nullptr; }
    // Starts the server (port 0: the system chooses one); started() or failed() tells how
    // it went. A new start gives a new address.
    void start(quint16 port = 0);
    // Closes the server and every page's connection.
    void stop();
    // The view in the page's JSON; sent on only when it differs from the last.
    void publish(const QByteArray &view);
    QUrl address() const { return m_address; }
    // What clients sent, counted and dropped, and the connections refused, while sharing.
    qint64 bytesIgnored() const { return m_server ? m_server->bytesIgnored() : 0; }
    int refused() const { return m_server ? m_server->refused() : 0; }

    // This machine's address on the local network, as phones there reach it; the loopback
    // address when it has none.
    static QString networkAddress();

signals:
    void started(const QUrl &address);
    void failed(const QString &why);
    void clientsChanged(int clients);

private:
    const PlayersServer::Limits m_limits;
    QThread *m_thread = nullptr;
    PlayersServer *m_server = nullptr;
    QByteArray m_view;
    QUrl m_address;
};

} // namespace share
