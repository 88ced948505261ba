#pragma once

#include <QByteArray>

// How the players' server answers one request, decided from its head alone: the request
// line and the headers, up to the blank line. Nothing else a client sends is read.
namespace share {

// The most a request head may hold; a longer one is refused with 413 and closed.
inline constexpr qsizetype MaxHeadBytes = 4096;

enum class Answer {
    Incomplete, // the head has not ended yet: wait for more (or for the time-out)
    Page,       // 200, the players' page
    Icon,       // 200, its icon
    Socket,     // the WebSocket: handed over with the head still unread
    BadRequest, // 400
    Forbidden,  // 403: no token, or another one
    NotFound,   // 404
    NotAllowed, // 405: only GET (and HEAD) are served
    TooLarge,   // 413
    Busy,       // 503: as many pages are open as the server keeps
    AddSlash,   // 308 to the page: its address typed without the last slash
};

// The answer to what arrived so far on one connection, for the address whose path starts
// with "/<token>/". The token is compared in time that does not depend on where it differs.
Answer answerTo(const QByteArray &received, const QByteArray &token);

// The status line and headers (and for Page and Icon the body, for AddSlash the page's
// path) sent for an answer that is not Incomplete or Socket; the connection closes after
// them. HEAD gets no body.
QByteArray response(Answer answer, const QByteArray &body = QByteArray(), bool headOnly = false);

} // namespace share
