#include "history/Record.h"

#include "dao/Dao.h"

#include <openssl/evp.h>

namespace history {
namespace {

void put(QByteArray &out, const QByteArray &value)
{
    out += QByteArray::number(value.size());
    out += ':';
    out += value;
}

// A null value differs from an empty text.
void putValue(QByteArray &out, const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        out += '~';
    else
        put(out, value.toString().toUtf8());
}

} // namespace

QString slotField(int slot) { return QStringLiteral("Bild %1").arg(slot); }

int slotOfField(const QString &field)
{
    if (!field.startsWith(QLatin1String("Bild ")))
        return 0;
    bool ok = false;
    const int slot = field.mid(5).toInt(&ok);
    return ok && slot > 0 ? slot : 0;
}

QByteArray hashedBytes(const Record &record, const QByteArray &previousRawHash)
{
    QByteArray out;
    out.reserve(160 + record.field.size() + previousRawHash.size());
    put(out, QByteArray::number(qlonglong(record.caseId)));
    put(out, record.time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1());
    put(out, record.user.toUtf8());
    put(out, record.workstation.toUtf8());
    put(out, record.kind.toUtf8());
    put(out, record.field.toUtf8());
    putValue(out, record.oldValue);
    putValue(out, record.newValue);
    putValue(out, record.objectId);
    out += previousRawHash;
    return out;
}

QByteArray chainHash(const Record &record, const QByteArray &previousRawHash)
{
    // OpenSSL's digest uses the processor's SHA instructions where it has
    // them: checking a long chain costs little more than reading it.
    const QByteArray bytes = hashedBytes(record, previousRawHash);
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int size = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), reinterpret_cast<unsigned char *>(digest.data()), &size,
                   EVP_sha256(), nullptr) != 1)
        dao::DBEngine::instance().raise(dao::ErrEngine, QStringLiteral("SHA-256 ist nicht verfügbar."));
    digest.truncate(int(size));
    return digest;
}

QByteArray chainStart() { return QByteArray(32, '\0'); }

} // namespace history
