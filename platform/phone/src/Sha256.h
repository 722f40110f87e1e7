#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace phone {

// SHA-256 over bytes arriving in pieces, through OpenSSL's digest (which uses
// the processor's SHA instructions where it has them: hashing must keep pace
// with the network).
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void add(QByteArrayView bytes);
    // The digest in lower-case hex; the hash starts again after it.
    QString hex();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

} // namespace phone
