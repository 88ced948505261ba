#include "share/ShareRequest.h"

#include <QList>

namespace share {

namespace {

// Equal in length and content, looking at every byte whatever the first difference.
bool sameToken(QByteArrayView given, QByteArrayView token)
{
    if (given.size() != token.size())
        return false;
    unsigned char differs = 0;
    for (qsizetype i = 0; i < token.size(); ++i)
        differs |= static_cast<unsigned char>(given[i] ^ token[i]);
    return differs == 0;
}

bool headerSays(const QList<QByteArray> &headerLines, QByteArrayView name, QByteArrayView word)
{
    for (const QByteArray &line : headerLines) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray &value : line.mid(colon + 1).split(',')) {
            if (value.trimmed().compare(word, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

Answer answerTo(const QByteArray &received, const QByteArray &token)
{
    qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0 || end + 4 > MaxHeadBytes)
        return received.size() >= MaxHeadBytes ? Answer::TooLarge : Answer::Incomplete;
    QList<QByteArray> lines = received.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.takeFirst().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1.") || !requestLine[1].startsWith('/'))
        return Answer::BadRequest;
    const QByteArray &method = requestLine[0];
    // The query plays no part: the page and the socket take none.
    const QByteArray path = requestLine[1].split('?').first();

    const qsizetype tokenEnd = path.indexOf('/', 1);
    if (tokenEnd < 0 && sameToken(QByteArrayView(path).sliced(1), token))
        return method == "GET" || method == "HEAD" ? Answer::AddSlash : Answer::NotAllowed;
    if (tokenEnd < 0 || !sameToken(QByteArrayView(path).sliced(1, tokenEnd - 1), token))
        return Answer::Forbidden;
    if (method != "GET" && method != "HEAD")
        return Answer::NotAllowed;
    const QByteArray rest = path.mid(tokenEnd + 1);
    if (rest.isEmpty() || rest == "index.html")
        return Answer::Page;
    if (rest == "icon.svg")
        return Answer::Icon;
    if (rest == "ws" && method == "GET" && headerSays(lines, "Upgrade", "websocket")
        && headerSays(lines, "Connection", "upgrade"))
        return Answer::Socket;
    return Answer::NotFound;
}

QByteArray response(Answer answer, const QByteArray &body, bool headOnly)
{
    QByteArray status;
    QByteArray type = "text/plain; charset=utf-8";
    QByteArray content;
    switch (answer) {
    case Answer::Page:
        status = "200 OK";
        type = "text/html; charset=utf-8";
        content = body;
        break;
    case Answer::Icon:
        status = "200 OK";
        type = "image/svg+xml";
        content = body;
        break;
    case Answer::BadRequest:
        status = "400 Bad Request";
        break;
    case Answer::Forbidden:
        status = "403 Forbidden";
        break;
    case Answer::NotAllowed:
        status = "405 Method Not Allowed";
        break;
    case Answer::TooLarge:
        status = "413 Content Too Large";
        break;
    case Answer::Busy:
        status = "503 Service Unavailable";
        break;
    case Answer::AddSlash:
        status = "308 Permanent Redirect";
        break;
    case Answer::NotFound:
    case Answer::Incomplete:
    case Answer::Socket:
        status = "404 Not Found";
        break;
    }
    if (content.isEmpty() || answer == Answer::AddSlash)
        content = status + '\n';
    QByteArray head = "HTTP/1.1 " + status + (answer == Answer::AddSlash ? "\r\nLocation: " + body + '/' : QByteArray())
                      + "\r\nContent-Type: " + type
                      + "\r\nContent-Length: " + QByteArray::number(content.size())
                      + "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff"
                        "\r\nReferrer-Policy: no-referrer"
                        // The page's own script and style, and its socket (older Safari reads
                        // 'self' as no WebSocket at all); nothing else.
                        "\r\nContent-Security-Policy: default-src 'none'; script-src 'unsafe-inline'; "
                        "style-src 'unsafe-inline'; img-src 'self'; connect-src 'self' ws: wss:"
                        "\r\nConnection: close\r\n\r\n";
    return headOnly ? head : head + content;
}

} // namespace share
