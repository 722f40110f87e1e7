#pragma once

#include <QByteArray>

#include <chrono>

namespace phone {

// The secret part of the receiver's address: 128 random bits from the
// system's generator, written as 32 hexadecimal digits. It dies when
// revoked or when its lifetime has passed on the given monotonic clock.
class AccessToken {
public:
    using Clock = std::chrono::milliseconds;

    AccessToken(Clock issued, Clock lifetime);

    QByteArray text() const { return m_text; }
    // "/<token>/": the page's address; the files go below it.
    QByteArray path() const;
    bool alive(Clock now) const { return !m_revoked && now - m_issued < m_lifetime; }
    void revoke() { m_revoked = true; }
    Clock expiresAt() const { return m_issued + m_lifetime; }

private:
    QByteArray m_text;
    Clock m_issued;
    Clock m_lifetime;
    bool m_revoked = false;
};

} // namespace phone
