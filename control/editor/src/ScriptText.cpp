#include "editor/ScriptText.h"

#include "editor/Rounding.h"

#include <QLocale>

#include <charconv>
#include <cmath>

namespace kelvane::editor::ScriptText {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Digits from `i` on; answers how many.
int skipDigits(QStringView text, qsizetype &i)
{
    int count = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++count;
    }
    return count;
}

} // namespace

std::optional<double> ReadNumber(QStringView field)
{
    const QStringView text = field.trimmed();
    // Longer texts cannot be a number the script writes; they are refused
    // before any copy is made.
    if (text.isEmpty() || text.size() > 64)
        return std::nullopt;
    qsizetype i = 0;
    if (text[i] == u'+' || text[i] == u'-')
        ++i;
    int digits = skipDigits(text, i);
    if (i < text.size() && (text[i] == u'.' || text[i] == u','))
        ++i, digits += skipDigits(text, i);
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (skipDigits(text, i) == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    char ascii[72];
    qsizetype n = 0;
    for (QChar c : text)
        ascii[n++] = c == u',' ? '.' : (c == u'+' ? ' ' : char(c.unicode()));
    const char *begin = ascii;
    while (begin < ascii + n && *begin == ' ')
        ++begin;
    double value = 0;
    const auto [end, error] = std::from_chars(begin, ascii + n, value);
    if (error != std::errc() || end != ascii + n || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ReadInteger(QStringView field, int minimum, int maximum)
{
    const std::optional<double> number = ReadNumber(field);
    if (!number || *number < minimum - 0.5 || *number > maximum + 0.5)
        return std::nullopt;
    const int value = roundHalfEven(*number);
    if (value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<bool> ReadBoolean(QStringView field)
{
    const QStringView text = field.trimmed();
    for (QStringView word : {u"True", u"Wahr"})
        if (text.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    for (QStringView word : {u"False", u"Falsch"})
        if (text.compare(word, Qt::CaseInsensitive) == 0)
            return false;
    const std::optional<double> number = ReadNumber(text);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

QString WriteNumber(float value, QChar decimalPoint)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    int significant = 0;
    bool leading = true;
    for (const char *p = buffer; p < result.ptr; ++p) {
        if (*p >= '1' && *p <= '9')
            leading = false;
        if (!leading && *p >= '0' && *p <= '9')
            ++significant;
    }
    if (significant > 7) {
        // More digits than a single-precision value holds: rounded to seven.
        char digits[64];
        const auto precise = std::to_chars(digits, digits + sizeof digits, double(value), std::chars_format::scientific, 6);
        double sevenDigits = 0;
        std::from_chars(digits, precise.ptr, sevenDigits);
        result = std::to_chars(buffer, buffer + sizeof buffer, sevenDigits, std::chars_format::fixed);
    }
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

QChar UserDecimalPoint()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

QString WriteBoolean(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString Escape(QStringView text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (QChar c : text) {
        if (c == u';' || c == u'#' || c == u'\\')
            escaped.append(u'\\');
        escaped.append(c);
    }
    return escaped;
}

QString Unescape(QStringView text)
{
    if (!text.contains(u'\\'))
        return text.toString();
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == u';' || next == u'#' || next == u'\\') {
                plain.append(next);
                ++i;
                continue;
            }
        }
        plain.append(c);
    }
    return plain;
}

} // namespace kelvane::editor::ScriptText
