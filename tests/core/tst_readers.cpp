#include "core/DateText.h"
#include "core/NumberText.h"

#include <QLocale>
#include <QtTest>

#include <climits>
#include <ctime>

using namespace core;

// The readers the form, the report formats and the database layer share.
class TestReaders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void readNumber_givesTheSameNumberWhateverTheLocale()
    {
        // Under the German locale the report read "1.234" as 1234 while the
        // amount box and the database read 1.234.
        QCOMPARE(readNumber("1.234"), std::optional<double>(1.234));
        QCOMPARE(readNumber("1,234"), std::optional<double>(1.234));
        QCOMPARE(readNumber(" 1234,5 "), std::optional<double>(1234.5));
        QCOMPARE(readNumber("1234.5"), std::optional<double>(1234.5));
        QCOMPARE(readNumber("-12,5"), std::optional<double>(-12.5));
        QCOMPARE(readNumber("+3"), std::optional<double>(3));
        QCOMPARE(readNumber("1."), std::optional<double>(1));
        QCOMPARE(readNumber(",5"), std::optional<double>(0.5));
        // Points group thousands only where they cannot be the decimal point.
        QCOMPARE(readNumber("1.234,50"), std::optional<double>(1234.5));
        QCOMPARE(readNumber("1.234.567"), std::optional<double>(1234567));
        QCOMPARE(readNumber("12.345.678,9"), std::optional<double>(12345678.9));
        QCOMPARE(readNumber("1,5E3"), std::optional<double>(1500));
        QCOMPARE(readNumber("2e-2"), std::optional<double>(0.02));

        for (const char *none : {"", "  ", "-", ".", "1,2,3", "1.23.4", "12.34,5", "1.2345,6", "1,234.5", "1 234",
                                 "12 €", "abc", "1e", "1e+", "e5", "inf", "nan", "1e400", "-1e999999999", "0x10",
                                 "\u0661\u0662"})
            QVERIFY2(!readNumber(QString::fromUtf8(none)), none);
        QCOMPARE(readNumber("1e-400"), std::optional<double>(0));
    }

    void numberText_keepsTheDigitsForExactAmounts()
    {
        const auto n = NumberText::read("-1.234,5678");
        QVERIFY(n);
        QVERIFY(n->negative);
        QCOMPARE(n->whole, QString("1234"));
        QCOMPARE(n->fraction, QString("5678"));
        QCOMPARE(n->exponent, 0);
    }

    void roundedInteger_refusesWhatTheTypeCannotHold()
    {
        QCOMPARE(roundedInteger<int>(2.5), std::optional<int>(2));
        QCOMPARE(roundedInteger<int>(-3.5), std::optional<int>(-4));
        QCOMPARE(roundedInteger<int>(2147483647.0), std::optional<int>(INT_MAX));
        QCOMPARE(roundedInteger<int>(-2147483648.0), std::optional<int>(INT_MIN));
        QVERIFY(!roundedInteger<int>(2147483648.0));
        QVERIFY(!roundedInteger<int>(2147483647.6));
        QVERIFY(!roundedInteger<int>(-2147483649.0));
        QVERIFY(!roundedInteger<long long>(9223372036854775807.0));   // the double is 2^63
        QCOMPARE(roundedInteger<long long>(-9223372036854775808.0), std::optional<long long>(LLONG_MIN));
        QVERIFY(!roundedInteger<short>(1e300));
        QVERIFY(!roundedInteger<long>(std::numeric_limits<double>::infinity()));
        QVERIFY(!roundedInteger<long>(std::numeric_limits<double>::quiet_NaN()));
    }

    void readDate_takesGermanAndIsoFormsOnly()
    {
        const QDateTime day(QDate(2009, 1, 31), QTime(0, 0));
        const QDateTime afternoon(QDate(2009, 1, 31), QTime(14, 30));
        QCOMPARE(readDate("31.01.2009"), std::optional<QDateTime>(day));
        QCOMPARE(readDate(" 31.1.09 "), std::optional<QDateTime>(day));
        QCOMPARE(readDate("31.01.2009 14:30"), std::optional<QDateTime>(afternoon));
        QCOMPARE(readDate("2009-01-31"), std::optional<QDateTime>(day));
        QCOMPARE(readDate("2009-1-31T14:30"), std::optional<QDateTime>(afternoon));
        QCOMPARE(readDate("2009-01-31 14:30:00.250"), std::optional<QDateTime>(afternoon));
        // Forms one of the three earlier readers took and another refused.
        QCOMPARE(readDate("31.1.09 14:30"), std::optional<QDateTime>(afternoon));
        QCOMPARE(readDate("2009-1-31"), std::optional<QDateTime>(day));
        // The two-digit year window.
        QCOMPARE(readDate("1.1.29")->date().year(), 2029);
        QCOMPARE(readDate("1.1.30")->date().year(), 1930);

        for (const char *none : {"", "31.02.2009", "31.01.2009 24:00", "2009-13-01", "31/01/2009", "31. Januar 2009",
                                 "31.01.200", "2009-01-31T", "01.31.2009", "31.01.2009x", "\u0663.\u0663.2009"})
            QVERIFY2(!readDate(QString::fromUtf8(none)), none);
    }

    void readDate_refusesTheHourTheClockSkips()
    {
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        const bool skipped = !readDate("28.03.2021 02:30");
        const bool after = readDate("2021-03-28 03:30").has_value();
        qputenv("TZ", before);
        tzset();
        QVERIFY(skipped);
        QVERIFY(after);
    }
};

QTEST_MAIN(TestReaders)
#include "tst_readers.moc"
