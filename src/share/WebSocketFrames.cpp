#include "share/WebSocketFrames.h"

#include <QCryptographicHash>
#include <QList>

namespace share::websocket {

namespace {

QByteArray headerValue(const QByteArray &head, QByteArrayView name)
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace

QByteArray handshakeAnswer(const QByteArray &head)
{
    const QByteArray key = headerValue(head, "Sec-WebSocket-Key");
    // A key is 16 bytes in base64.
    if (headerValue(head, "Sec-WebSocket-Version") != "13" || key.size() != 24
        || QByteArray::fromBase64(key).size() != 16)
        return {};
    const QByteArray accept =
        QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1).toBase64();
    return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: "
           + accept + "\r\n\r\n";
}

QByteArray frame(Opcode opcode, const QByteArray &payload)
{
    QByteArray bytes;
    bytes.reserve(payload.size() + 10);
    bytes += char(0x80 | static_cast<unsigned char>(opcode)); // always the whole message
    const quint64 size = quint64(payload.size());
    if (size < 126) {
        bytes += char(size);
    } else if (size <= 0xffff) {
        bytes += char(126);
        bytes += char(size >> 8);
        bytes += char(size & 0xff);
    } else {
        bytes += char(127);
        for (int shift = 56; shift >= 0; shift -= 8)
            bytes += char((size >> shift) & 0xff);
    }
    return bytes + payload;
}

Received firstFrame(const QByteArray &bytes, qsizetype largest)
{
    Received frame;
    if (bytes.size() < 2)
        return frame;
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const bool whole = byte(0) & 0x80;
    const bool reserved = byte(0) & 0x70;
    const unsigned opcode = byte(0) & 0x0f;
    const bool masked = byte(1) & 0x80;
    // A page's frames are masked, whole and never extended; anything else is no page.
    if (!whole || reserved || !masked) {
        frame.kind = Received::Refused;
        return frame;
    }
    quint64 size = byte(1) & 0x7f;
    qsizetype at = 2;
    if (size == 126 || size == 127) {
        const int lengthBytes = size == 126 ? 2 : 8;
        if (bytes.size() < at + lengthBytes)
            return frame;
        size = 0;
        for (int i = 0; i < lengthBytes; ++i)
            size = (size << 8) | byte(at + i);
        at += lengthBytes;
    }
    const bool control = opcode & 0x8;
    if (size > quint64(largest) || (control && size > 125)) {
        frame.kind = Received::Refused;
        return frame;
    }
    if (bytes.size() < at + 4 + qsizetype(size))
        return frame;
    const QByteArray mask = bytes.mid(at, 4);
    at += 4;
    frame.payload = bytes.mid(at, qsizetype(size));
    for (qsizetype i = 0; i < frame.payload.size(); ++i)
        frame.payload[i] = char(frame.payload[i] ^ mask[i % 4]);
    frame.length = at + qsizetype(size);
    switch (Opcode(opcode)) {
    case Opcode::Text:
    case Opcode::Binary:
        frame.kind = Received::Message;
        break;
    case Opcode::Close:
        frame.kind = Received::Close;
        break;
    case Opcode::Ping:
        frame.kind = Received::Ping;
        break;
    case Opcode::Pong:
        frame.kind = Received::Pong;
        break;
    default: // a continuation (there are no fragments to continue) or a reserved opcode
        frame.kind = Received::Refused;
        frame.length = 0;
        break;
    }
    return frame;
}

} // namespace share::websocket
