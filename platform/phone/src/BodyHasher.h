#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QObject;

namespace phone {

// The SHA-256 of a request body, computed on the receiver's hashing thread
// while the window's thread reads and writes the next pieces: hashing then
// adds little to the time a file takes to arrive instead of all its own.
class BodyHasher {
public:
    // Above this many bytes handed over and not yet hashed the caller reads
    // no further: a network faster than the hashing waits in the phone's
    // send buffer, not in our memory.
    static constexpr qint64 kMaxBacklog = 4 * 1024 * 1024;

    // hasher lives in the hashing thread; home in the caller's thread, for
    // as long as the hashing thread runs. resume runs in the caller's
    // thread, while owner lives, when a backlog has gone down again.
    BodyHasher(QObject *hasher, QObject *home, QObject *owner, std::function<void()> resume);
    ~BodyHasher();
    BodyHasher(const BodyHasher &) = delete;
    BodyHasher &operator=(const BodyHasher &) = delete;

    // Hands a piece over to be hashed; no copy is made.
    void add(QByteArray piece);
    // True while the backlog is above kMaxBacklog; resume follows once it is not.
    bool mustWait();
    // done(sha256) runs in the caller's thread, while owner lives, once
    // every piece is hashed.
    void finish(std::function<void(const QString &sha256)> done);

private:
    struct State;
    QObject *m_hasher;
    std::shared_ptr<State> m_state;
};

} // namespace phone
