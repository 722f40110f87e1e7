#include "ServerPatience.h"

#include "dao/ServerAddress.h"

#include <QList>
#include <QSet>
#include <QString>

#include <libpq-fe.h>

#include <algorithm>
#include <utility>

namespace dao::detail::pg {

int patienceSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("VARNHOLT_PG_TIMEOUT", &ok);
    return ok && seconds > 0 ? seconds : 30;
}

QByteArray withTimeouts(const QByteArray &address, int patience)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(address.constData(), &error);
    PQfreemem(error);
    if (!options)
        return address;   // libpq tells what is wrong with it when connecting
    QSet<QByteArray> given;
    for (const PQconninfoOption *o = options; o->keyword; ++o)
        if (o->val)
            given.insert(o->keyword);
    PQconninfoFree(options);

    const QList<std::pair<QByteArray, int>> settings{
        {"connect_timeout", std::max(2, patience / 3)},   // libpq's least
        {"keepalives", 1},
        {"keepalives_idle", std::max(1, patience / 6)},
        {"keepalives_interval", std::max(1, patience / 6)},
        {"keepalives_count", 3},
        {"tcp_user_timeout", std::max(1000, patience * 2000 / 3)},   // milliseconds
    };
    const bool uri = isServerAddress(QString::fromUtf8(address));
    QByteArray result = address;
    bool hasQuery = uri && address.contains('?');
    for (const auto &[key, value] : settings) {
        if (given.contains(key))
            continue;
        if (uri) {
            result += (hasQuery ? '&' : '?');
            hasQuery = true;
        } else {
            result += ' ';
        }
        result += key + '=' + QByteArray::number(value);
    }
    return result;
}

} // namespace dao::detail::pg
