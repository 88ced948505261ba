#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>

#include <atomic>
#include <chrono>

class QHostAddress;
class QTcpServer;
class QTcpSocket;
class QTimer;

namespace share {

// The server behind the players' page. It serves the page, its icon and a WebSocket
// (share/WebSocketFrames) that carries the players' view of the fight, and nothing else: it takes no command from a
// client, and what a client sends is counted and dropped. It lives in a thread of its own,
// so no client, however slow or hostile, holds up the window; the window's thread only
// hands it the view, already made, through publish().
class PlayersServer : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int pages = 32;                       // pages open at once; the next gets 503
        std::chrono::milliseconds head{5000}; // to send a whole request head
        std::chrono::milliseconds ping{5000}; // a page silent for two pings is dropped
        qint64 backlog = 256 * 1024;          // unsent bytes before a page is dropped
        // Connections whose head is still awaited, from anyone and from one address. A new
        // one takes the place of the oldest, so that no one without the token can keep
        // pages out by holding connections open.
        int heads = 32;
        int headsPerAddress = 4;
    };

    PlayersServer(const QByteArray &token, const QByteArray &page, const QByteArray &icon, Limits limits,
                  QObject *parent = nullptr);
    ~PlayersServer() override;

    // What clients sent and was dropped; read from any thread.
    qint64 bytesIgnored() const { return m_ignored.load(); }
    int refused() const { return m_refused.load(); }

public slots:
    // On every address of this machine; port 0 lets the system choose.
    void listen(quint16 port);
    // The view as every page should show it; new pages get the newest at once.
    void publish(const QByteArray &view);
    // Closes the listening socket and every connection.
    void close();

signals:
    void listening(quint16 port);
    void failed(const QString &why);
    // Pages connected now.
    void clientsChanged(int clients);

private:
    void accept();
    void makeRoomForHead(const QHostAddress &from);
    void readHead(QTcpSocket *socket);
    void stopReading(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &bytes);
    void welcome(QTcpSocket *socket, const QByteArray &head);
    void readFrames(QTcpSocket *socket);
    void drop(QTcpSocket *page, const QByteArray &farewell = QByteArray());
    void pingAll();

    const QByteArray m_token;
    const QByteArray m_page;
    const QByteArray m_icon;
    const Limits m_limits;
    QByteArray m_view;
    QTcpServer *m_server = nullptr;
    QTimer *m_pings = nullptr;
    QHash<QTcpSocket *, QTimer *> m_reading; // connections whose request head is awaited
    QList<QTcpSocket *> m_readingOrder;      // the same, oldest first
    QSet<QTcpSocket *> m_closing;            // pages saying goodbye, held a moment

    // A page's WebSocket: what it sent that is not a whole frame yet, and the pings it has
    // not answered.
    struct Page
    {
        QByteArray received;
        int unanswered = 0;
    };
    QHash<QTcpSocket *, Page> m_pages;
    std::atomic<qint64> m_ignored{0};
    std::atomic<int> m_refused{0};
};

} // namespace share
