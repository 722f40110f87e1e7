#include "report/Format.h"

#include "core/DateText.h"
#include "core/NumberText.h"
#include "dao/Value.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace report {
namespace {

struct NamedFormat {
    const char *name;
    const char *picture;
    bool date;
};

const NamedFormat kNamedFormats[] = {
    {"currency", "#,##0.00 €", false},
    {"standard", "#,##0.00", false},
    {"fixed", "0.00", false},
    {"percent", "0.00%", false},
    {"general number", "", false},
    {"short date", "dd.mm.yyyy", true},
    {"medium date", "dd. mmm yy", true},
    {"long date", "dddd, d. mmmm yyyy", true},
    {"general date", "", true},
    {"short time", "hh:nn", true},
    {"medium time", "hh:nn", true},
    {"long time", "hh:nn:ss", true},
};

const NamedFormat *namedFormat(const QString &picture)
{
    const QString key = picture.trimmed().toLower();
    for (const NamedFormat &f : kNamedFormats) {
        if (key == QLatin1String(f.name))
            return &f;
    }
    return nullptr;
}

QString generalDate(const QDateTime &moment)
{
    const QTime t = moment.time();
    if (t == QTime(0, 0))
        return moment.date().toString(QStringLiteral("dd.MM.yyyy"));
    return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

// Splits a picture at ";" outside quotes and escapes.
QStringList pictureSections(const QString &picture)
{
    QStringList sections;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar c = picture.at(i);
        if (c == u'"')
            quoted = !quoted;
        if (!quoted && c == u'\\' && i + 1 < picture.size()) {
            current += c;
            current += picture.at(++i);
            continue;
        }
        if (!quoted && c == u';') {
            sections.append(current);
            current.clear();
            continue;
        }
        current += c;
    }
    sections.append(current);
    return sections;
}

qsizetype runLength(const QString &text, qsizetype at, QChar letter)
{
    qsizetype n = 0;
    while (at + n < text.size() && text.at(at + n).toLower() == letter)
        ++n;
    return n;
}

QString twoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

// Digits of a non-negative whole number with the locale's grouping.
QString groupedDigits(const QString &digits, bool grouping)
{
    if (!grouping || digits.size() <= 3)
        return digits;
    const QChar separator = QLocale().groupSeparator().at(0);
    QString out;
    const qsizetype lead = digits.size() % 3;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (i - lead) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return out;
}

QString numberSection(double value, const QString &picture, bool withSign)
{
    // Placeholders and their positions in the picture.
    int intZeros = 0, intPlaceholders = 0, fracZeros = 0, fracHashes = 0;
    bool grouping = false, percent = false, point = false;
    qsizetype firstPlaceholder = -1, lastIntPlaceholder = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar c = picture.at(i);
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c == u'%') {
            percent = true;
        } else if (c == u'.' && !point) {
            point = true;
            if (firstPlaceholder < 0)
                firstPlaceholder = i;
            if (lastIntPlaceholder < 0)
                lastIntPlaceholder = i - 1;
        } else if (c == u'0' || c == u'#') {
            if (point) {
                (c == u'0' ? fracZeros : fracHashes)++;
            } else {
                if (firstPlaceholder < 0)
                    firstPlaceholder = i;
                lastIntPlaceholder = i;
                ++intPlaceholders;
                if (c == u'0')
                    ++intZeros;
            }
        } else if (c == u',' && !point && intPlaceholders > 0) {
            grouping = true;
        }
    }
    if (firstPlaceholder < 0) {
        // A picture of literals only shows the literals.
        QString out;
        for (qsizetype i = 0; i < picture.size(); ++i) {
            const QChar c = picture.at(i);
            if (c == u'"')
                continue;
            if (c == u'\\' && i + 1 < picture.size())
                out += picture.at(++i);
            else
                out += c;
        }
        return out;
    }

    if (percent)
        value *= 100;
    const int decimals = fracZeros + fracHashes;
    const double magnitude = std::fabs(value);
    // Halves away from zero, as the picture language has always rounded.
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::floor(magnitude * scale + 0.5 + 1e-9 * magnitude * scale) / scale;
    QString digits = QString::number(rounded, 'f', decimals);
    QString intDigits = digits.section(u'.', 0, 0);
    QString fracDigits = decimals > 0 ? digits.section(u'.', 1, 1) : QString();
    if (intDigits == u"0" && intZeros == 0)
        intDigits.clear();
    while (intDigits.size() < intZeros)
        intDigits.prepend(u'0');
    while (fracDigits.size() > fracZeros && fracDigits.endsWith(u'0'))
        fracDigits.chop(1);
    const bool negative = withSign && value < 0 && (rounded != 0);

    QString out;
    quoted = false;
    bool intWritten = false, inFraction = false;
    qsizetype fracIndex = 0;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar c = picture.at(i);
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (quoted) {
            out += c;
            continue;
        }
        if (c == u'\\' && i + 1 < picture.size()) {
            out += picture.at(++i);
            continue;
        }
        if (i == firstPlaceholder && !intWritten) {
            if (negative)
                out += u'-';
            out += groupedDigits(intDigits, grouping);
            intWritten = true;
        }
        if (!inFraction && i <= lastIntPlaceholder && (c == u'0' || c == u'#' || c == u','))
            continue;
        if (c == u'.' && !inFraction) {
            inFraction = true;
            out += QLocale().decimalPoint();
            continue;
        }
        if (inFraction && (c == u'0' || c == u'#')) {
            if (fracIndex < fracDigits.size())
                out += fracDigits.at(fracIndex);
            ++fracIndex;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

QString formatDate(const QDateTime &moment, const QString &picture)
{
    if (picture.isEmpty())
        return generalDate(moment);
    if (const NamedFormat *named = namedFormat(picture))
        return named->picture[0] ? formatDate(moment, QString::fromUtf8(named->picture)) : generalDate(moment);

    const QLocale locale;
    const QDate d = moment.date();
    const QTime t = moment.time();
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < picture.size();) {
        const QChar c = picture.at(i);
        const QChar lower = c.toLower();
        if (c == u'"') {
            const qsizetype close = picture.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? picture.size() : close;
            out += picture.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (c == u'\\' && i + 1 < picture.size()) {
            out += picture.at(i + 1);
            i += 2;
            continue;
        }
        const qsizetype n = (lower == u'd' || lower == u'm' || lower == u'y' || lower == u'h' || lower == u'n' ||
                             lower == u's')
                                ? runLength(picture, i, lower)
                                : 1;
        if (lower == u'd') {
            if (n == 1)
                out += QString::number(d.day());
            else if (n == 2)
                out += twoDigits(d.day());
            else if (n == 3)
                out += locale.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
            afterHour = false;
        } else if (lower == u'm') {
            if (afterHour && n <= 2)
                out += n == 1 ? QString::number(t.minute()) : twoDigits(t.minute());
            else if (n == 1)
                out += QString::number(d.month());
            else if (n == 2)
                out += twoDigits(d.month());
            else if (n == 3)
                out += locale.monthName(d.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(d.month(), QLocale::LongFormat);
            afterHour = false;
        } else if (lower == u'y') {
            if (n == 1)
                out += QString::number(d.dayOfYear());
            else if (n <= 3)
                out += twoDigits(d.year() % 100);
            else
                out += QString::number(d.year());
            afterHour = false;
        } else if (lower == u'h') {
            out += n == 1 ? QString::number(t.hour()) : twoDigits(t.hour());
            afterHour = true;
        } else if (lower == u'n') {
            out += n == 1 ? QString::number(t.minute()) : twoDigits(t.minute());
            afterHour = false;
        } else if (lower == u's') {
            out += n == 1 ? QString::number(t.second()) : twoDigits(t.second());
            afterHour = false;
        } else if (c == u'/') {
            out += u'.';
        } else {
            out += c;
            // A time separator keeps "hh:mm" a time.
            if (c != u':')
                afterHour = false;
        }
        i += n;
    }
    return out;
}

QString formatNumber(double value, const QString &picture)
{
    if (const NamedFormat *named = namedFormat(picture)) {
        if (named->date) {
            // A number as a day count from 30.12.1899; one no calendar holds shows as the number.
            const auto msecs = core::roundedInteger<qint64>(value * 86400000.0);
            const QDateTime moment = msecs ? QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(*msecs) : QDateTime();
            return moment.isValid() ? formatDate(moment, picture) : valueText(value);
        }
        if (!named->picture[0])
            return valueText(value);
        return formatNumber(value, QString::fromUtf8(named->picture));
    }
    if (picture.isEmpty())
        return valueText(value);
    const QStringList sections = pictureSections(picture);
    if (value < 0 && sections.size() > 1 && !sections.at(1).isEmpty())
        return numberSection(-value, sections.at(1), false);
    if (value == 0 && sections.size() > 2 && !sections.at(2).isEmpty())
        return numberSection(0, sections.at(2), false);
    return numberSection(value, sections.at(0), true);
}

QString formatValue(const QVariant &value, const QString &picture)
{
    if (dao::isNull(value)) {
        const QStringList sections = pictureSections(picture);
        return sections.size() > 3 ? numberSection(0, sections.at(3), false) : QString();
    }
    if (picture.isEmpty())
        return valueText(value);
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return formatDate(value.toDateTime(), picture);
    case QMetaType::QDate:
        return formatDate(value.toDate().startOfDay(), picture);
    case QMetaType::Bool:
        return formatNumber(value.toBool() ? -1 : 0, picture);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return formatNumber(value.toDouble(), picture);
    default:
        break;
    }
    if (value.canConvert<dao::Currency>() && value.userType() == qMetaTypeId<dao::Currency>())
        return formatNumber(value.value<dao::Currency>().toDouble(), picture);
    const QString text = value.toString();
    if (const auto n = core::readNumber(text))
        return formatNumber(*n, picture);
    if (const auto d = core::readDate(text))
        return formatDate(*d, picture);
    return text;
}

QString valueText(const QVariant &value)
{
    if (dao::isNull(value))
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return generalDate(value.toDateTime());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
    case QMetaType::Double: {
        QString text = QString::number(value.toDouble(), 'g', 15);
        return text.replace(u'.', QLocale().decimalPoint());
    }
    default:
        break;
    }
    if (value.userType() == qMetaTypeId<dao::Currency>()) {
        QString text = QString::number(value.value<dao::Currency>().toDouble(), 'g', 15);
        return text.replace(u'.', QLocale().decimalPoint());
    }
    return value.toString();
}

} // namespace report
