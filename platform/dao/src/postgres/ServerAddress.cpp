#include "dao/ServerAddress.h"

#include <QRegularExpression>
#include <QStringList>

#include <libpq-fe.h>

namespace dao {
namespace {

bool isSecretKey(const QString &key)
{
    const QString lower = key.trimmed().toLower();
    return lower == QLatin1String("password") || lower == QLatin1String("sslpassword");
}

QString decoded(const QString &text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

// The parts of a URI as libpq splits them: the user information ends at the
// first "@" that comes before any "/", its password after the first ":".
struct Uri {
    QString head;              // scheme and user name, with the "@" when there was one
    QString rest;              // hosts, database, query
    QString password;          // as written, percent-encoded
};

Uri splitUri(const QString &uri)
{
    const qsizetype start = uri.indexOf(QLatin1String("://")) + 3;
    qsizetype at = start;
    while (at < uri.size() && uri[at] != u'@' && uri[at] != u'/')
        ++at;
    if (at >= uri.size() || uri[at] != u'@')
        return {uri.left(start), uri.mid(start), {}};
    const qsizetype colon = uri.indexOf(u':', start);
    if (colon < 0 || colon > at)
        return {uri.left(at + 1), uri.mid(at + 1), {}};
    return {uri.left(colon) + u'@', uri.mid(at + 1), uri.mid(colon + 1, at - colon - 1)};
}

// The query's items "key=value" without the secret ones; the secrets go to `secrets`.
QString filteredQuery(const QString &query, QStringList *secrets)
{
    QStringList kept;
    for (const QString &item : query.split(u'&')) {
        const qsizetype eq = item.indexOf(u'=');
        if (isSecretKey(decoded(item.left(eq)))) {
            if (secrets)
                *secrets << item.mid(eq + 1) << decoded(item.mid(eq + 1));
            continue;
        }
        kept << item;
    }
    return kept.join(u'&');
}

QString uriWithoutPassword(const QString &uri, QStringList *secrets)
{
    const Uri parts = splitUri(uri);
    if (secrets && !parts.password.isEmpty())
        *secrets << parts.password << decoded(parts.password);
    const qsizetype mark = parts.rest.indexOf(u'?');
    if (mark < 0)
        return parts.head + parts.rest;
    const QString query = filteredQuery(parts.rest.mid(mark + 1), secrets);
    return parts.head + parts.rest.left(mark) + (query.isEmpty() ? QString() : u'?' + query);
}

QString quotedValue(const QString &value)
{
    if (!value.isEmpty() && !value.contains(u' ') && !value.contains(u'\'') && !value.contains(u'\\'))
        return value;
    QString escaped = value;
    escaped.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'"));
    return u'\'' + escaped + u'\'';
}

// "key=value ..." read by libpq's own parser and written again without the
// password; what the parser refuses loses at least every "password=..." in it.
QString conninfoWithoutPassword(const QString &conninfo, QStringList *secrets)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    PQfreemem(error);
    if (!options) {
        static const QRegularExpression secret(QStringLiteral(R"(\b(?:ssl)?password\s*=\s*('(?:[^'\\]|\\.)*'?|\S*))"),
                                               QRegularExpression::CaseInsensitiveOption);
        if (!secret.match(conninfo).hasMatch())
            return conninfo;
        QString rest = conninfo;
        for (auto it = secret.globalMatch(conninfo); it.hasNext();) {
            const QString value = it.next().captured(1);
            if (secrets)
                *secrets << value;
        }
        return rest.remove(secret).simplified();
    }
    QStringList kept;
    for (const PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        const QString key = QString::fromUtf8(o->keyword);
        const QString value = QString::fromUtf8(o->val);
        if (isSecretKey(key)) {
            if (secrets)
                *secrets << value;
            continue;
        }
        kept << key + u'=' + quotedValue(value);
    }
    PQconninfoFree(options);
    return kept.join(u' ');
}

QString withoutPassword(const QString &name, QStringList *secrets)
{
    if (isServerAddress(name))
        return uriWithoutPassword(name, secrets);
    if (name.contains(u'='))
        return conninfoWithoutPassword(name, secrets);
    return name;
}

} // namespace

bool isServerAddress(const QString &name)
{
    return name.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || name.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString shownDatabaseName(const QString &name)
{
    return withoutPassword(name, nullptr);
}

QString withoutPasswordOf(const QString &address, const QString &message)
{
    QStringList secrets;
    withoutPassword(address, &secrets);
    QString text = message;
    // Very short ones would blot out ordinary letters of the message.
    for (const QString &secret : std::as_const(secrets))
        if (secret.size() >= 3)
            text.replace(secret, QLatin1String("***"));
    return text;
}

} // namespace dao
