#include "history/Record.h"

#include "RecordRow.h"

#include "dao/Dao.h"

#include <openssl/evp.h>

#include <charconv>

namespace history {
namespace {

void putLength(QByteArray &out, qsizetype length)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, length).ptr;
    out.append(digits, end - digits);
    out += ':';
}

// Its length in characters (code points, as the engines' length() counts
// them), ":" and its UTF-8 bytes. Plain ASCII, as most values are, is
// written straight into out: a long chain is checked without a conversion
// per value.
void put(QByteArray &out, const QString &value)
{
    const ushort *text = value.utf16();
    const qsizetype length = value.size();
    qsizetype pairs = 0;
    bool ascii = true;
    for (qsizetype i = 0; i < length; ++i) {
        ascii = ascii && text[i] < 0x80;
        pairs += QChar::isHighSurrogate(text[i]) ? 1 : 0;
    }
    putLength(out, length - pairs);
    if (!ascii) {
        out += value.toUtf8();
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + length);
    char *to = out.data() + at;
    for (qsizetype i = 0; i < length; ++i)
        to[i] = char(text[i]);
}

// A null value differs from an empty text.
void putValue(QByteArray &out, const QVariant &value)
{
    if (dao::isNull(value))
        out += '~';
    else
        put(out, value.toString());
}

// One context for every hash of a thread: a long chain is checked without
// setting one up per record.
class Sha256 {
public:
    Sha256() : m_md(EVP_MD_fetch(nullptr, "SHA256", nullptr)), m_context(EVP_MD_CTX_new()) {}
    ~Sha256()
    {
        EVP_MD_CTX_free(m_context);
        EVP_MD_free(m_md);
    }
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void operator()(QByteArrayView bytes, unsigned char *digest)
    {
        unsigned int size = 0;
        if (!m_md || !m_context || EVP_DigestInit_ex(m_context, m_md, nullptr) != 1
            || EVP_DigestUpdate(m_context, bytes.data(), size_t(bytes.size())) != 1
            || EVP_DigestFinal_ex(m_context, digest, &size) != 1 || size != Sha256Size)
            dao::DBEngine::instance().raise(dao::ErrEngine, QStringLiteral("SHA-256 ist nicht verfügbar."));
    }

private:
    EVP_MD *m_md;
    EVP_MD_CTX *m_context;
};

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

QString attachmentField(const QString &name) { return QStringLiteral("Anhang \"%1\"").arg(name); }

QString attachmentOfField(const QString &field)
{
    if (!field.startsWith(QLatin1String("Anhang \"")) || !field.endsWith(u'"') || field.size() < 9)
        return {};
    return field.mid(8, field.size() - 9);
}

QString timeText(const QDateTime &time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QByteArray hashedBytes(const Record &record, const QByteArray &previousRawHash)
{
    QByteArray out;
    put(out, QString::number(record.caseId));
    put(out, timeText(record.time));
    put(out, record.user);
    put(out, record.workstation);
    put(out, record.kind);
    put(out, record.field);
    putValue(out, record.oldValue);
    putValue(out, record.newValue);
    putValue(out, record.objectId);
    out += previousRawHash;
    return out;
}

void sha256(QByteArrayView bytes, unsigned char *digest)
{
    thread_local Sha256 hash;
    hash(bytes, digest);
}

QByteArray sha256(const QByteArray &bytes)
{
    QByteArray digest(Sha256Size, Qt::Uninitialized);
    sha256(bytes, reinterpret_cast<unsigned char *>(digest.data()));
    return digest;
}

QByteArray chainHash(const Record &record, const QByteArray &previousRawHash)
{
    return sha256(hashedBytes(record, previousRawHash));
}

QByteArray chainStart() { return QByteArray(32, '\0'); }

} // namespace history
