#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

namespace phone {

// A request's line and header fields as they arrived, strictly read.
struct HttpHead {
    QByteArray method;
    QByteArray target;                          // the path as sent, "/..."
    QList<QPair<QByteArray, QByteArray>> fields; // names lower-case, values trimmed
    qint64 contentLength = 0;
    bool expectContinue = false;

    // The first field of that (lower-case) name; empty when missing.
    QByteArray field(const QByteArray &name) const;
};

// Reads a request's head from bytes arriving in any pieces. Only what this
// receiver needs of HTTP/1.1 is taken: a request line of origin form, header
// fields without folding, a body sized by one Content-Length. Anything else
// is refused with the status to answer, before any body is read.
class HttpHeadParser {
public:
    enum class State { NeedMore, Done, Refused };

    static constexpr qsizetype kMaxHead = 16 * 1024;
    static constexpr int kMaxFields = 64;

    // Takes more bytes; once Done, what followed the head is in rest().
    State feed(const QByteArray &bytes);
    State state() const { return m_state; }
    const HttpHead &head() const { return m_head; }
    // The status that goes with a refusal (400, 431 for an oversized head,
    // 411 without a length, 417 for an unknown expectation, 501 for a
    // transfer coding, 505 for another version).
    int refusal() const { return m_refusal; }
    QByteArray rest() const { return m_rest; }

private:
    State refuse(int status);
    State parse(qsizetype headEnd);
    bool parseRequestLine(const QByteArray &line);
    bool parseField(const QByteArray &line);

    QByteArray m_buffer;
    QByteArray m_rest;
    HttpHead m_head;
    State m_state = State::NeedMore;
    int m_refusal = 0;
};

} // namespace phone
