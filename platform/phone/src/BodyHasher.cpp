#include "BodyHasher.h"

#include "Sha256.h"

#include <QMetaObject>
#include <QPointer>

#include <atomic>

namespace phone {

struct BodyHasher::State {
    QObject *home;
    QPointer<QObject> owner;
    std::function<void()> resume;
    Sha256 hash; // the hashing thread's
    std::atomic<qint64> backlog{0};
    std::atomic<bool> waiting{false};

    // Runs work in the caller's thread if the owner still lives then.
    void callHome(std::function<void()> work) const
    {
        QMetaObject::invokeMethod(
            home,
            [owner = owner, work = std::move(work)] {
                if (owner)
                    work();
            },
            Qt::QueuedConnection);
    }
};

BodyHasher::BodyHasher(QObject *hasher, QObject *home, QObject *owner, std::function<void()> resume)
    : m_hasher(hasher), m_state(std::make_shared<State>())
{
    m_state->home = home;
    m_state->owner = owner;
    m_state->resume = std::move(resume);
}

BodyHasher::~BodyHasher() = default;

void BodyHasher::add(QByteArray piece)
{
    m_state->backlog += piece.size();
    QMetaObject::invokeMethod(
        m_hasher,
        [state = m_state, piece = std::move(piece)] {
            state->hash.add(piece);
            if (const qint64 left = state->backlog -= piece.size(); left <= kMaxBacklog && state->waiting.exchange(false))
                state->callHome(state->resume);
        },
        Qt::QueuedConnection);
}

bool BodyHasher::mustWait()
{
    if (m_state->backlog <= kMaxBacklog)
        return false;
    m_state->waiting = true;
    // The hashing thread may have caught up in between; then whoever
    // takes the flag back goes on.
    return !(m_state->backlog <= kMaxBacklog && m_state->waiting.exchange(false));
}

void BodyHasher::finish(std::function<void(const QString &)> done)
{
    QMetaObject::invokeMethod(
        m_hasher,
        [state = m_state, done = std::move(done)] {
            state->callHome([done, sha256 = state->hash.hex()] { done(sha256); });
        },
        Qt::QueuedConnection);
}

} // namespace phone
