#pragma once

#include <QByteArray>

// The little of the WebSocket protocol (RFC 6455) the players' page needs, from the
// server's side: the handshake's answer, the frames it sends (text, ping, pong, close,
// never masked) and the frames a page sends, read strictly: masked, whole (no
// fragments), and small.
namespace share::websocket {

// The 101 answer to a request head that asks for a WebSocket of version 13 with a key;
// empty when it does not.
QByteArray handshakeAnswer(const QByteArray &head);

enum class Opcode : unsigned char { Text = 0x1, Binary = 0x2, Close = 0x8, Ping = 0x9, Pong = 0xA };

QByteArray frame(Opcode opcode, const QByteArray &payload = QByteArray());

struct Received
{
    enum Kind {
        Incomplete, // wait for more bytes
        Message,    // text or binary: the page has nothing to say, it is only counted
        Ping,
        Pong,
        Close,
        Refused, // unmasked, fragmented, reserved bits or opcodes, or longer than allowed
    };
    Kind kind = Incomplete;
    QByteArray payload;
    qsizetype length = 0; // the bytes of `bytes` the frame took
};

// The first frame at the start of `bytes`, with a payload of at most `largest` bytes.
Received firstFrame(const QByteArray &bytes, qsizetype largest);

} // namespace share::websocket
