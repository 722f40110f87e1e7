#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kelvane::editor {

// The field encodings of the overlay script. Readers are forgiving because
// scripts travel between machines with other regional settings.
namespace ScriptText {

// A number in a field: optional sign, digits with "." or "," as the decimal
// separator, an optional exponent, blanks around it ignored. None for
// anything else (also for a text without digits, NaN or infinity).
std::optional<double> ReadNumber(QStringView field);
// A whole number within [minimum, maximum]; a fraction rounds half to even.
std::optional<int> ReadInteger(QStringView field, int minimum, int maximum);
// "True"/"False", "Wahr"/"Falsch" in any letter case, or a number (0 false).
std::optional<bool> ReadBoolean(QStringView field);

// A single-precision number in its shortest form (at most 7 significant
// digits), without grouping, with the given decimal separator.
QString WriteNumber(float value, QChar decimalPoint);
// The decimal separator of the user's regional settings.
QChar UserDecimalPoint();
QString WriteBoolean(bool value);

// A text field that may contain the separators: ";" "#" and "\" are written
// as "\;" "\#" "\\"; reading turns exactly these back and leaves a backslash
// before any other character as it is.
QString Escape(QStringView text);
QString Unescape(QStringView text);

// The pieces of `text` between unescaped `separator`s (with `escapes`, a
// backslash takes the next character with it); the piece after the last
// separator included. Calls `take` with each piece in order; stops early
// when it answers false.
template <typename Take>
void Split(QStringView text, QChar separator, Take take, bool escapes = true)
{
    qsizetype start = 0;
    const qsizetype size = text.size();
    const QChar *data = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        if (escapes && data[i] == u'\\') {
            ++i;
        } else if (data[i] == separator) {
            if (!take(text.sliced(start, i - start)))
                return;
            start = i + 1;
        }
    }
    take(text.sliced(start));
}

} // namespace ScriptText

} // namespace kelvane::editor
