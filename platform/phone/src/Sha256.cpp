#include "Sha256.h"

#include <QByteArray>

#include <openssl/evp.h>

namespace phone {

struct Sha256::Context {
    EVP_MD_CTX *md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
};

Sha256::Sha256() : m_context(std::make_unique<Context>())
{
    EVP_DigestInit_ex(m_context->md, EVP_sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::add(QByteArrayView bytes)
{
    EVP_DigestUpdate(m_context->md, bytes.data(), size_t(bytes.size()));
}

QString Sha256::hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context->md, digest, &length);
    EVP_DigestInit_ex(m_context->md, EVP_sha256(), nullptr);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

} // namespace phone
