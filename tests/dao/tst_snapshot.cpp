#include "RaisedNumber.h"
#include "TestEngine.h"

#include "dao/Dao.h"

#include <QTest>

#include <ctime>

using namespace dao;

namespace {

// The local zone of the test, Central European with its summer time, for as
// long as the guard lives.
class CentralEuropeanTime {
public:
    CentralEuropeanTime() : m_before(qgetenv("TZ"))
    {
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
    }
    ~CentralEuropeanTime()
    {
        qputenv("TZ", m_before);
        tzset();
    }
    CentralEuropeanTime(const CentralEuropeanTime &) = delete;
    CentralEuropeanTime &operator=(const CentralEuropeanTime &) = delete;

private:
    QByteArray m_before;
};

// A stored moment as the layer gives it: the local date and time, or Null
// where the zone has no such moment.
QVariant expectedMoment(const QString &stored)
{
    const QDateTime moment(QDate::fromString(stored.left(10), Qt::ISODate),
                           QTime::fromString(stored.mid(11), QStringLiteral("HH:mm:ss")));
    return moment.isValid() ? QVariant(moment) : QVariant();
}

QString noteOf(int row, int version)
{
    return QStringLiteral("%1/%2:").arg(row).arg(version).repeated(1 + (row * 37 + version) % 400);
}

} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT

private:
    testengine::Databases m_databases;
    std::unique_ptr<Database> m_db;

private Q_SLOTS:
    void initTestCase() { VARNHOLT_REQUIRE_TEST_ENGINE(); }

    void init()
    {
        m_databases.remove("s.db");
        OpenOptions create;
        create.create = true;
        m_db = DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("s.db"), create);
        m_db->Execute("CREATE TABLE Schaden (ID INTEGER PRIMARY KEY, Datum DATE, Notiz MEMO, Nummer INTEGER)");
    }
    void cleanup() { m_db.reset(); }

    void datesComeBackAsStoredOnEveryKindOfDay()
    {
        const CentralEuropeanTime zone;
        // Fourteen years of days, more than a recordset keeps apart, with and
        // without a time of day; around both changes of the clock, the hour
        // that is skipped and the hour that comes twice.
        QStringList stored;
        for (QDate day(2008, 1, 1); day < QDate(2022, 1, 1); day = day.addDays(1)) {
            const int seconds = (day.toJulianDay() * 7919) % 86400;
            stored << day.toString(Qt::ISODate) + (day.day() % 2 ? QStringLiteral(" 00:00:00")
                                                                  : QTime(0, 0).addSecs(seconds).toString(" HH:mm:ss"));
        }
        for (const char *day : {"2021-03-28", "2021-10-31", "2020-03-29", "2020-10-25"})
            for (const char *time : {"00:00:00", "01:59:59", "02:00:00", "02:30:00", "03:00:00", "03:00:01", "23:59:59"})
                stored << QStringLiteral("%1 %2").arg(day, time);
        if (!testengine::onServer())
            stored << "2021-02-30 00:00:00" << "2021-02-30 12:00:00";   // no such day; a server refuses them

        {
            Transaction tx(*m_db);
            for (int i = 0; i < stored.size(); ++i)
                m_db->Execute("INSERT INTO Schaden (ID, Datum) VALUES (?, ?)", {i + 1, stored[i]});
            tx.commit();
        }

        const auto check = [&](const QVariant &value, int i) {
            const QVariant expected = expectedMoment(stored[i]);
            QCOMPARE(dao::isNull(value), dao::isNull(expected));
            if (dao::isNull(expected))
                return;
            QCOMPARE(value.typeId(), int(QMetaType::QDateTime));
            const QDateTime got = value.toDateTime();
            const QDateTime want = expected.toDateTime();
            QCOMPARE(got, want);
            QCOMPARE(got.timeSpec(), Qt::LocalTime);
            QCOMPARE(got.toString(Qt::ISODate), want.toString(Qt::ISODate));
            QCOMPARE(got.offsetFromUtc(), want.offsetFromUtc());
            QCOMPARE(got.isDaylightTime(), want.isDaylightTime());
        };

        auto snap = m_db->OpenRecordset("SELECT Datum FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
        int i = 0;
        for (; !snap->IsEOF(); snap->MoveNext(), ++i)
            check(snap->Fields(0).Value(), i);
        QCOMPARE(i, int(stored.size()));
        // Back again, when every day has been through the recordset's keeping.
        for (snap->MovePrevious(), --i; !snap->IsBOF(); snap->MovePrevious(), --i)
            check(snap->Fields(0).Value(), i);
        QCOMPARE(i, -1);

        auto fwd = m_db->OpenRecordset("SELECT Datum FROM Schaden ORDER BY ID", RecordsetType::ForwardOnly);
        for (i = 0; !fwd->IsEOF(); fwd->MoveNext(), ++i)
            check(fwd->Fields(0).Value(), i);
        QCOMPARE(i, int(stored.size()));
    }

    void rowsSurviveTheReuseOfTheirStorage()
    {
        const int rows = 2500;   // a few megabytes of text: several storage blocks
        {
            Transaction tx(*m_db);
            for (int r = 0; r < rows; ++r)
                m_db->Execute("INSERT INTO Schaden (ID, Notiz, Nummer) VALUES (?, ?, ?)", {r + 1, noteOf(r, 1), r});
            tx.commit();
        }
        const auto readAll = [&](Recordset &rs, int version) {
            int r = 0;
            for (; !rs.IsEOF(); rs.MoveNext(), ++r) {
                QCOMPARE(rs.Fields(0).Value().toString(), noteOf(r, version));
                QCOMPARE(rs.Fields(1).Value().toInt(), r);
            }
            QCOMPARE(r, rows);
        };
        {
            auto first = m_db->OpenRecordset("SELECT Notiz, Nummer FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
            readAll(*first, 1);
        }
        // The first recordset's storage goes to the next ones, two of them open at once.
        Transaction tx(*m_db);
        for (int r = 0; r < rows; ++r)
            m_db->Execute("UPDATE Schaden SET Notiz = ? WHERE ID = ?", {noteOf(r, 2), r + 1});
        tx.commit();
        auto second = m_db->OpenRecordset("SELECT Notiz, Nummer FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
        auto third = m_db->OpenRecordset("SELECT Notiz, Nummer FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
        readAll(*second, 2);
        third->MoveLast();
        QCOMPARE(third->Fields(0).Value().toString(), noteOf(rows - 1, 2));
        third->MoveFirst();
        readAll(*third, 2);
        second->MoveFirst();
        QCOMPARE(second->Fields(0).Value().toString(), noteOf(0, 2));

        // A row larger than a storage block: seventy values just short of
        // being kept apart, about a megabyte together.
        const QString near = QString(u'n').repeated(15000);
        m_db->Execute("UPDATE Schaden SET Notiz = ? WHERE ID = 1", {near});
        QStringList columns;
        for (int c = 0; c < 70; ++c)
            columns << QStringLiteral("Notiz || '%1' AS n%1").arg(c);
        auto wide = m_db->OpenRecordset("SELECT " + columns.join(',') + " FROM Schaden WHERE ID <= 2 ORDER BY ID",
                                        RecordsetType::Snapshot);
        wide->MoveLast();
        wide->MoveFirst();
        for (int c = 0; c < 70; ++c)
            QCOMPARE(wide->Fields(c).Value().toString(), near + QString::number(c));
        wide->MoveNext();
        QCOMPARE(wide->Fields(69).Value().toString(), noteOf(1, 2) + "69");
    }

    void everyReadFollowsTheRecordsetsState()
    {
        m_db->Execute("INSERT INTO Schaden (ID, Nummer) VALUES (1, 2147483647), (2, 1073741824), (3, -1073741825), "
                      "(4, NULL)");
        // Numbers stay whole numbers of the width they need.
        auto numbers = m_db->OpenRecordset("SELECT Nummer, CAST(Nummer AS BIGINT) * 2 AS Doppelt FROM Schaden ORDER BY ID",
                                           RecordsetType::Snapshot);
        const QList<QVariant> expected{int(2147483647), qlonglong(4294967294LL), int(1073741824),
                                       qlonglong(2147483648LL), int(-1073741825), qlonglong(-2147483650LL)};
        for (int i = 0; i < expected.size(); i += 2, numbers->MoveNext()) {
            for (int f = 0; f < 2; ++f) {
                const QVariant v = numbers->Fields(f).Value();
                QCOMPARE(v.typeId(), expected[i + f].typeId());
                QCOMPARE(v, expected[i + f]);
            }
        }
        QVERIFY(numbers->Fields(0).IsNull() && numbers->Fields(1).IsNull());

        // An empty text is a text, not Null; other characters come back as stored.
        m_db->Execute("UPDATE Schaden SET Notiz = ? WHERE ID = 2", {QString("")});
        m_db->Execute("UPDATE Schaden SET Notiz = ? WHERE ID = 3", {QString("Größe ✓ Straße")});
        auto texts = m_db->OpenRecordset("SELECT Notiz FROM Schaden WHERE ID > 1 ORDER BY ID", RecordsetType::Snapshot);
        const QVariant empty = texts->Fields(0).Value();
        QCOMPARE(empty.typeId(), int(QMetaType::QString));
        QVERIFY(!dao::isNull(empty) && empty.toString().isEmpty());
        texts->MoveNext();
        QCOMPARE(texts->Fields(0).Value(), QVariant(QString("Größe ✓ Straße")));
        texts->MoveNext();
        QVERIFY(dao::isNull(texts->Fields(0).Value()));
        texts->MovePrevious();
        texts->MovePrevious();
        QVERIFY(!texts->Fields(0).IsNull());

        auto rs = m_db->OpenRecordset("SELECT ID, Nummer, Notiz FROM Schaden ORDER BY ID");
        // While editing, a field shows the edit buffer; afterwards the row.
        rs->MoveFirst();
        rs->Edit();
        rs->Fields(2).SetValue("neu");
        QCOMPARE(rs->Fields(2).Value().toString(), QString("neu"));
        rs->CancelUpdate();
        QVERIFY(rs->Fields(2).IsNull());
        rs->Delete();
        QCOMPARE(raisedNumber([&] { rs->Fields(1).Value(); }), long(ErrRecordDeleted));
        rs->MoveLast();
        rs->MoveNext();
        QCOMPARE(raisedNumber([&] { rs->Fields(1).Value(); }), long(ErrNoCurrentRecord));

        QCOMPARE(raisedNumber([&] { rs->Fields(3); }), long(ErrItemNotFound));
        QCOMPARE(raisedNumber([&] { rs->Fields(-1); }), long(ErrItemNotFound));
        rs->Close();
        QCOMPARE(raisedNumber([&] { rs->Fields(0); }), long(ErrObjectClosed));
        QCOMPARE(raisedNumber([&] { rs->Fields(7); }), long(ErrObjectClosed));
    }
};

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
