#include "phone/Routes.h"

namespace phone {
namespace {

// The page's files, by their name below the token's path ("" is the page).
QByteArray assetOf(const QByteArray &name)
{
    if (name.isEmpty())
        return QByteArrayLiteral("seite.html");
    if (name == "seite.css" || name == "seite.js")
        return name;
    return {};
}

} // namespace

Route routeOf(const HttpHead &head, const AccessToken &token, AccessToken::Clock now)
{
    const QByteArray base = token.path();
    if (!token.alive(now) || !head.target.startsWith(base))
        return {};
    const QByteArray name = head.target.mid(base.size());
    if (name == "datei") {
        if (head.method != "POST")
            return {Route::Status, 405, {}, "POST"};
        return {Route::Upload, 0, {}, {}};
    }
    const QByteArray asset = assetOf(name);
    if (asset.isEmpty())
        return {};
    if (head.method != "GET")
        return {Route::Status, 405, {}, "GET"};
    return {Route::Asset, 200, asset, {}};
}

QByteArray reasonOf(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 415: return "Unsupported Media Type";
    case 417: return "Expectation Failed";
    case 422: return "Unprocessable Content";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    }
    return "Error";
}

} // namespace phone
