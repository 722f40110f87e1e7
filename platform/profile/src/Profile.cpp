#include "profile/Profile.h"

#include "ProfileDocument.h"

#include <QFile>
#include <QSaveFile>

namespace profile {
namespace {

QString fitBuffer(QString text)
{
    constexpr qsizetype limit = ProfileBufferSize - 1;
    if (text.size() > limit) {
        // Never keep half of a surrogate pair.
        text.truncate(text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit);
    }
    return text;
}

} // namespace

QString readProfileString(const QString &fileName, const QString &section, const QString &key,
                          const QString &defaultValue)
{
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        if (const auto v = ProfileDocument::fromBytes(file.readAll()).value(section, key))
            return fitBuffer(*v);
    }
    QString fallback = defaultValue;
    while (fallback.endsWith(u' '))
        fallback.chop(1);
    return fitBuffer(fallback);
}

bool writeProfileString(const QString &fileName, const QString &section, const QString &key,
                        const QString &value)
{
    QByteArray bytes;
    QFile existing(fileName);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        bytes = existing.readAll();
    }
    ProfileDocument doc = ProfileDocument::fromBytes(bytes);
    doc.setValue(section, key, value);

    // Written beside and renamed over, so a failure never leaves half a file.
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(doc.toBytes());
    return out.commit();
}

} // namespace profile
