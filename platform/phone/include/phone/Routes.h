#pragma once

#include "phone/AccessToken.h"
#include "phone/HttpHead.h"

#include <QByteArray>

namespace phone {

// What the receiver does with a request, decided from its head alone.
struct Route {
    enum Kind { Asset, Upload, Status };
    Kind kind = Status;
    int status = 404;
    QByteArray asset;   // the page's file for Asset ("seite.html" ...)
    QByteArray allow;   // the methods a 405 names
};

// Only the living token's own paths answer: its page and the page's style
// and script by GET, the files by POST; every other path is 404 whatever the
// method, so nothing tells whether a token exists or ever did.
Route routeOf(const HttpHead &head, const AccessToken &token, AccessToken::Clock now);

// The status line's text, for the statuses this receiver answers.
QByteArray reasonOf(int status);

} // namespace phone
