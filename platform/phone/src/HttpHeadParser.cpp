#include "phone/HttpHead.h"

namespace phone {
namespace {

constexpr qsizetype kMaxTarget = 2048;
constexpr int kMaxLengthDigits = 18;

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (!isTokenChar(c))
            return false;
    return true;
}

// Visible ASCII, spaces and tabs: no control characters, no bytes above 0x7E
// (a phone's file name comes percent-encoded).
bool isFieldValue(const QByteArray &text)
{
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u >= 0x7F)
            return false;
    }
    return true;
}

} // namespace

QByteArray HttpHead::field(const QByteArray &name) const
{
    for (const auto &[key, value] : fields)
        if (key == name)
            return value;
    return {};
}

HttpHeadParser::State HttpHeadParser::refuse(int status)
{
    m_refusal = status;
    m_state = State::Refused;
    m_buffer.clear();
    return m_state;
}

HttpHeadParser::State HttpHeadParser::feed(const QByteArray &bytes)
{
    if (m_state != State::NeedMore)
        return m_state;
    // The end mark may straddle two pieces: search from a little before the new bytes.
    const qsizetype from = qMax<qsizetype>(0, m_buffer.size() - 3);
    m_buffer.append(bytes);
    const qsizetype end = m_buffer.indexOf("\r\n\r\n", from);
    if (end < 0)
        return m_buffer.size() > kMaxHead ? refuse(431) : m_state;
    if (end + 4 > kMaxHead)
        return refuse(431);
    return parse(end);
}

HttpHeadParser::State HttpHeadParser::parse(qsizetype headEnd)
{
    m_rest = m_buffer.mid(headEnd + 4);
    const QList<QByteArray> lines = m_buffer.left(headEnd).split('\n');
    m_buffer.clear();
    QList<QByteArray> bare;
    for (const QByteArray &line : lines) {
        // Every line ends in CR LF; a lone LF or CR is refused.
        QByteArray text = line;
        if (&line != &lines.last()) {
            if (!text.endsWith('\r'))
                return refuse(400);
            text.chop(1);
        }
        if (text.contains('\r'))
            return refuse(400);
        bare.append(text);
    }
    if (!parseRequestLine(bare.first()))
        return m_state;
    if (bare.size() - 1 > kMaxFields)
        return refuse(431);
    for (qsizetype i = 1; i < bare.size(); ++i)
        if (!parseField(bare.at(i)))
            return m_state == State::Refused ? m_state : refuse(400);

    if (!m_head.field("transfer-encoding").isEmpty())
        return refuse(501);
    const QByteArray expect = m_head.field("expect");
    if (!expect.isEmpty()) {
        if (expect.toLower() != "100-continue")
            return refuse(417);
        m_head.expectContinue = true;
    }
    if (m_head.field("host").isEmpty())
        return refuse(400);
    bool lengthSeen = false;
    for (const auto &[key, value] : m_head.fields) {
        if (key != "content-length")
            continue;
        if (value.isEmpty() || value.size() > kMaxLengthDigits)
            return refuse(400);
        for (char c : value)
            if (c < '0' || c > '9')
                return refuse(400);
        const qint64 length = value.toLongLong();
        if (lengthSeen && length != m_head.contentLength)
            return refuse(400);
        m_head.contentLength = length;
        lengthSeen = true;
    }
    if (m_head.method == "POST" && !lengthSeen)
        return refuse(411);
    m_state = State::Done;
    return m_state;
}

bool HttpHeadParser::parseRequestLine(const QByteArray &line)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !isToken(parts.at(0))) {
        refuse(400);
        return false;
    }
    const QByteArray &target = parts.at(1);
    if (!target.startsWith('/') || target.size() > kMaxTarget || !isFieldValue(target) || target.contains('\t')) {
        refuse(target.size() > kMaxTarget ? 414 : 400);
        return false;
    }
    const QByteArray &version = parts.at(2);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        const bool looksLikeVersion = version.size() == 8 && version.startsWith("HTTP/") && version.at(6) == '.';
        refuse(looksLikeVersion ? 505 : 400);
        return false;
    }
    m_head.method = parts.at(0);
    m_head.target = target;
    return true;
}

bool HttpHeadParser::parseField(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    // No folded lines, no blank before the colon.
    if (colon <= 0)
        return false;
    const QByteArray name = line.left(colon);
    const QByteArray raw = line.mid(colon + 1);
    if (!isToken(name) || !isFieldValue(raw))
        return false;
    m_head.fields.append({name.toLower(), raw.trimmed()});
    return true;
}

} // namespace phone
