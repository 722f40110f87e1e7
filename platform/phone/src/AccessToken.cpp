#include "phone/AccessToken.h"

#include <QRandomGenerator>

namespace phone {

AccessToken::AccessToken(Clock issued, Clock lifetime) : m_issued(issued), m_lifetime(lifetime)
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    m_text = QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
}

} // namespace phone

namespace phone {

QByteArray AccessToken::path() const
{
    QByteArray path("/");
    path.append(m_text).append('/');
    return path;
}

} // namespace phone
