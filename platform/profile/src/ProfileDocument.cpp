#include "ProfileDocument.h"

#include <QStringDecoder>

#include <algorithm>

namespace profile {
namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QStringView trimmed(QStringView text)
{
    while (!text.isEmpty() && (isBlank(text.front()) || text.front() == QChar(0xFEFF)))
        text = text.sliced(1);
    // A carriage return ending the file's last line counts as blank: the
    // line end a write adds after it would make it part of a CR LF.
    while (!text.isEmpty() && (isBlank(text.back()) || text.back() == u'\r'))
        text.chop(1);
    return text;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<QStringView> sectionName(QStringView line)
{
    line = trimmed(line);
    if (!line.startsWith(u'['))
        return std::nullopt;
    line = line.sliced(1);
    const qsizetype close = line.indexOf(u']');
    return trimmed(close < 0 ? line : line.first(close));
}

struct KeyLine {
    QStringView key;
    QStringView value;
};

std::optional<KeyLine> keyLine(QStringView line)
{
    const QStringView text = trimmed(line);
    if (text.startsWith(u';') || text.startsWith(u'['))
        return std::nullopt;
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0)
        return std::nullopt;
    const QStringView key = trimmed(text.first(eq));
    if (key.isEmpty())
        return std::nullopt;
    return KeyLine{key, trimmed(text.sliced(eq + 1))};
}

bool fitsLatin1(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

} // namespace

ProfileDocument ProfileDocument::fromBytes(const QByteArray &bytes)
{
    ProfileDocument doc;
    // The byte order mark stays part of the text so that it is written back.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        doc.m_latin1 = true;
        text = QString::fromLatin1(bytes);
    }
    bool endingSeen = false;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(u'\n', start);
        if (lf < 0) {
            doc.m_lines.append({text.sliced(start), {}});
            break;
        }
        const bool crlf = lf > start && text.at(lf - 1) == u'\r';
        const QByteArray ending = crlf ? QByteArray("\r\n") : QByteArray("\n");
        doc.m_lines.append({text.sliced(start, lf - start - (crlf ? 1 : 0)), ending});
        if (!endingSeen)
            doc.m_newLine = ending;
        endingSeen = true;
        start = lf + 1;
    }
    return doc;
}

QByteArray ProfileDocument::toBytes() const
{
    QByteArray out;
    for (const Line &line : m_lines) {
        out += m_latin1 ? line.text.toLatin1() : line.text.toUtf8();
        out += line.ending;
    }
    return out;
}

qsizetype ProfileDocument::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines.at(i).text);
        if (name && name->compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// One past the last line of the section whose header is at `header`.
qsizetype ProfileDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines.at(i).text))
        ++i;
    return i;
}

qsizetype ProfileDocument::findKey(qsizetype header, const QString &key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto line = keyLine(m_lines.at(i).text);
        if (line && line->key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<QString> ProfileDocument::value(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype at = findKey(header, key);
    if (at < 0)
        return std::nullopt;
    QStringView v = keyLine(m_lines.at(at).text)->value;
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    return v.toString();
}

void ProfileDocument::insertLine(qsizetype at, const QString &text)
{
    // The line before the new one may be a last line without a line end.
    if (at > 0 && m_lines.at(at - 1).ending.isEmpty())
        m_lines[at - 1].ending = m_newLine;
    m_lines.insert(at, {text, m_newLine});
}

void ProfileDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    // A line break in a value would start new lines of the file.
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');

    qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), u'[' + section + u']');
        header = m_lines.size() - 1;
    }
    const qsizetype at = findKey(header, key);
    QString text;
    if (at >= 0) {
        text = keyLine(m_lines.at(at).text)->key.toString() + u'=' + oneLine;
        m_lines[at].text = text;
    } else {
        // After the section's last non-blank line, so blank lines that part
        // it from the next section stay where they are.
        qsizetype last = sectionEnd(header) - 1;
        while (last > header && trimmed(m_lines.at(last).text).isEmpty())
            --last;
        text = key + u'=' + oneLine;
        insertLine(last + 1, text);
    }
    if (m_latin1 && (!fitsLatin1(text) || !fitsLatin1(section)))
        m_latin1 = false;
}

} // namespace profile
