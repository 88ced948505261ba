#pragma once

// A players' page on a raw socket, for the tests and the benchmark: the handshake, the
// frames a page sends, and the server's frames as they come.
#include "share/WebSocketFrames.h"

#include <QHostAddress>
#include <QStringList>
#include <QTcpSocket>

// A frame as a page sends it: masked (with a key of zeros, which leaves the bytes as they are).
inline QByteArray pageFrame(share::websocket::Opcode opcode, const QByteArray &payload, bool masked = true)
{
    QByteArray frame = share::websocket::frame(opcode, payload);
    if (!masked)
        return frame;
    const qsizetype header = payload.size() < 126 ? 2 : payload.size() <= 0xffff ? 4 : 10;
    frame[1] = char(frame[1] | 0x80);
    return frame.insert(header, QByteArray(4, '\0'));
}

// A page on a raw socket: the handshake, then the server's frames as they come.
struct PageClient
{
    QTcpSocket socket;
    QByteArray unread;

    bool open(quint16 port, const QByteArray &token)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(2000))
            return false;
        socket.write("GET /" + token + "/ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                     "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
        while (!unread.contains("\r\n\r\n") && socket.waitForReadyRead(2000))
            unread += socket.readAll();
        const bool agreed = unread.startsWith("HTTP/1.1 101");
        unread.remove(0, unread.indexOf("\r\n\r\n") + 4);
        return agreed;
    }

    // The texts of the server's frames received so far (pings left out).
    QStringList texts()
    {
        unread += socket.readAll();
        QStringList texts;
        qsizetype at = 0;
        while (unread.size() >= at + 2) {
            qsizetype size = unread[at + 1] & 0x7f, header = 2;
            if (size == 126) {
                size = (uchar(unread[at + 2]) << 8) | uchar(unread[at + 3]);
                header = 4;
            }
            if (unread.size() < at + header + size)
                break;
            if ((unread[at] & 0x0f) == int(share::websocket::Opcode::Text))
                texts << QString::fromUtf8(unread.mid(at + header, size));
            else if ((unread[at] & 0x0f) == int(share::websocket::Opcode::Pong))
                ++m_pongs;
            else if ((unread[at] & 0x0f) == int(share::websocket::Opcode::Close) && size == 2)
                m_closedWith = (uchar(unread[at + header]) << 8) | uchar(unread[at + header + 1]);
            at += header + size;
        }
        m_texts += texts;
        unread.remove(0, at);
        return m_texts;
    }

    // The server's answers to the page's pings.
    int pongs()
    {
        texts();
        return m_pongs;
    }

    // The status code of the server's close frame; 0 before one came.
    int closedWith()
    {
        texts();
        return m_closedWith;
    }

private:
    QStringList m_texts;
    int m_pongs = 0;
    int m_closedWith = 0;
};

