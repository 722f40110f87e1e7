#include "RaisedNumber.h"
#include "TestEngine.h"

#include "core/Clock.h"
#include "dao/Dao.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <thread>


using namespace dao;

namespace {

QByteArray fileDigest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestDao : public QObject {
    Q_OBJECT

private:
    testengine::Databases m_databases;
    std::unique_ptr<Database> m_db;

    std::unique_ptr<Database> open(const QString &file, const OpenOptions &options = {})
    {
        return DBEngine::instance().Workspaces().OpenDatabase(m_databases.path(file), options);
    }

private Q_SLOTS:
    void initTestCase() { VARNHOLT_REQUIRE_TEST_ENGINE(); }

    void init()
    {
        m_databases.remove("t.db");
        OpenOptions create;
        create.create = true;
        m_db = open("t.db", create);
        m_db->Execute("CREATE TABLE Schaden (ID INTEGER PRIMARY KEY AUTOINCREMENT, Kennzeichen TEXT, "
                      "Betrag CURRENCY, Erledigt YESNO, Datum DATE, Notiz MEMO, Bild LONGBINARY)");
    }
    void cleanup()
    {
        m_db.reset();
        core::Clock::reset();
    }

    void recordsetKindsKeepTheirLimits()
    {
        for (int i = 1; i <= 3; ++i)
            m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES (?)", {QString("B-%1").arg(i)});

        auto snap = m_db->OpenRecordset("SELECT * FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
        QVERIFY(!snap->Updatable());
        QCOMPARE(raisedNumber([&] { snap->Edit(); }), long(ErrNotUpdatable));
        snap->MoveLast();
        QCOMPARE(snap->RecordCount(), 3L);
        QCOMPARE(snap->Value("kennzeichen").toString(), QString("B-3"));   // names case-insensitive
        snap->MovePrevious();
        QCOMPARE(snap->Value("Kennzeichen").toString(), QString("B-2"));
        QCOMPARE(raisedNumber([&] { snap->Fields("Keins"); }), long(ErrItemNotFound));

        auto fwd = m_db->OpenRecordset("SELECT * FROM Schaden ORDER BY ID", RecordsetType::ForwardOnly);
        fwd->MoveNext();
        QCOMPARE(fwd->Value("Kennzeichen").toString(), QString("B-2"));
        QCOMPARE(raisedNumber([&] { fwd->MovePrevious(); }), long(ErrNotSupported));
        QCOMPARE(raisedNumber([&] { fwd->MoveFirst(); }), long(ErrNotSupported));

        auto app = m_db->OpenRecordset("Schaden", RecordsetType::Dynaset, RecordsetOption::AppendOnly);
        QVERIFY(app->IsEOF() && app->IsBOF());
        QCOMPARE(app->RecordCount(), 0L);
        app->AddNew();
        app->SetValue("Kennzeichen", "B-4");
        app->Update();
        QCOMPARE(raisedNumber([&] { app->Edit(); }), long(ErrNoCurrentRecord));

        auto dyn = m_db->OpenRecordset("SELECT ID, Kennzeichen FROM Schaden WHERE ID = ?",
                                       RecordsetType::Dynaset, RecordsetOption::None, {2});
        dyn->Edit();
        dyn->SetValue("Kennzeichen", "B-2X");
        dyn->Update();
        QCOMPARE(dyn->Value("Kennzeichen").toString(), QString("B-2X"));
        dyn->Edit();
        dyn->SetValue("Kennzeichen", "verworfen");
        dyn->CancelUpdate();
        QCOMPARE(dyn->Value("Kennzeichen").toString(), QString("B-2X"));
        QCOMPARE(raisedNumber([&] { dyn->Update(); }), long(ErrUpdateWithoutEdit));

        auto all = m_db->OpenRecordset("SELECT Kennzeichen FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
        QStringList plates;
        for (; !all->IsEOF(); all->MoveNext())
            plates << all->Value("Kennzeichen").toString();
        QCOMPARE(plates, QStringList({"B-1", "B-2X", "B-3", "B-4"}));
    }

    void scrollingBackGivesEveryRowAsItWasRead()
    {
        // Enough text to fill several of the snapshot's storage blocks, and
        // values on both sides of the size kept apart from the rest.
        auto note = [](int i) { return QString(QChar(u'a' + i % 26)).repeated(i % 7 == 0 ? 20000 : 9000 + i); };
        Transaction tx(*m_db);
        for (int i = 0; i < 300; ++i)
            m_db->Execute("INSERT INTO Schaden (Kennzeichen, Notiz, Betrag) VALUES (?, ?, ?)",
                          {i % 5 ? QVariant(QString("K-%1").arg(i)) : Null(), note(i), i * 1.25});
        tx.commit();

        auto rs = m_db->OpenRecordset("SELECT Kennzeichen, Notiz, Betrag FROM Schaden ORDER BY ID",
                                      RecordsetType::Snapshot);
        rs->MoveLast();
        QCOMPARE(rs->RecordCount(), 300L);
        int i = 299;
        for (; !rs->IsBOF(); rs->MovePrevious(), --i) {
            QCOMPARE(rs->Value("Notiz").toString(), note(i));
            QCOMPARE(rs->Fields("Kennzeichen").IsNull(), i % 5 == 0);
            QCOMPARE(rs->Value("Betrag").value<Currency>().toString(), Currency::fromDouble(i * 1.25).toString());
        }
        QCOMPARE(i, -1);
    }

    void deletedRowsAreSkipped()
    {
        for (int i = 1; i <= 3; ++i)
            m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES (?)", {QString("B-%1").arg(i)});
        auto dyn = m_db->OpenRecordset("SELECT * FROM Schaden ORDER BY ID");
        dyn->MoveNext();
        dyn->Delete();
        QCOMPARE(raisedNumber([&] { dyn->Value("Kennzeichen"); }), long(ErrRecordDeleted));
        dyn->MoveNext();
        QCOMPARE(dyn->Value("Kennzeichen").toString(), QString("B-3"));
        dyn->MovePrevious();
        QCOMPARE(dyn->Value("Kennzeichen").toString(), QString("B-1"));
        dyn->MoveLast();
        QCOMPARE(dyn->RecordCount(), 2L);
        auto count = m_db->OpenRecordset("SELECT Count(*) AS n FROM Schaden", RecordsetType::Snapshot);
        QCOMPARE(count->Value("n").toInt(), 2);
    }

    void textValuesReadByTheSharedRules()
    {
        auto rs = m_db->OpenRecordset("Schaden");
        rs->AddNew();
        // A grouped amount reads as the report reads it; before, only one separator was allowed.
        rs->SetValue("Betrag", "1.234,50");
        QCOMPARE(rs->Value("Betrag").value<Currency>().toString(), QString("1234.50"));
        rs->SetValue("Betrag", "1.234");
        QCOMPARE(rs->Value("Betrag").value<Currency>().toString(), QString("1.23"));
        // "inf" and "nan" are no numbers, so no Yes either.
        QCOMPARE(raisedNumber([&] { rs->SetValue("Erledigt", "inf"); }), long(ErrConversion));
        QCOMPARE(raisedNumber([&] { rs->SetValue("Erledigt", "nan"); }), long(ErrConversion));
        // A whole number beyond the column's range is refused like any other bad text.
        QCOMPARE(raisedNumber([&] { rs->SetValue("ID", "1e30"); }), long(ErrConversion));
        QCOMPARE(raisedNumber([&] { rs->SetValue("ID", 9.3e18); }), long(ErrConversion));
        rs->SetValue("Datum", "2009-1-31T14:05");
        QCOMPARE(rs->Value("Datum").toDateTime(), QDateTime(QDate(2009, 1, 31), QTime(14, 5)));
        rs->CancelUpdate();
    }

    void valuesRoundTripExactly()
    {
        const QDateTime when(QDate(2009, 1, 31), QTime(14, 5, 7));
        auto rs = m_db->OpenRecordset("Schaden");
        rs->AddNew();
        rs->SetValue("Kennzeichen", "O'NEIL 1");
        rs->SetValue("Betrag", "1234,5");
        rs->SetValue("Erledigt", 1);
        rs->SetValue("Datum", "31.01.2009 14:05:07");
        rs->SetValue("Notiz", Null());
        rs->Update();
        rs->AddNew();
        rs->SetValue("Kennzeichen", Null());
        rs->SetValue("Betrag", QVariant::fromValue(Currency::fromText("0.1").value()));
        rs->SetValue("Erledigt", false);
        rs->SetValue("Datum", when.addDays(1));
        rs->Update();
        QCOMPARE(raisedNumber([&] { rs->AddNew(); rs->SetValue("Betrag", "zwölf"); }), long(ErrConversion));
        rs->CancelUpdate();

        auto read = m_db->OpenRecordset("SELECT * FROM Schaden WHERE Kennzeichen = ?", RecordsetType::Snapshot,
                                        RecordsetOption::None, {QString("O'NEIL 1")});
        QVERIFY(!read->IsEOF());
        QCOMPARE(read->Value("Betrag").value<Currency>().toString(), QString("1234.50"));
        QCOMPARE(read->Value("Erledigt").toBool(), true);
        QCOMPARE(read->Value("Datum").toDateTime(), when);
        QVERIFY(read->Fields("Notiz").IsNull());
        QVERIFY(read->Fields("Bild").IsNull());

        // Yes is stored as -1, as the statements of the program compare it.
        auto yes = m_db->OpenRecordset("SELECT Count(*) AS n FROM Schaden WHERE Erledigt = True", RecordsetType::Snapshot);
        QCOMPARE(yes->Value("n").toInt(), 1);
        auto raw = m_db->OpenRecordset("SELECT Erledigt + 0 AS e FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
        QCOMPARE(raw->Value("e").toInt(), -1);

        // Amounts are stored as such: sums and comparisons with plain numbers work.
        auto sum = m_db->OpenRecordset("SELECT Sum(Betrag) AS s FROM Schaden WHERE Betrag > 0.05",
                                       RecordsetType::Snapshot);
        QCOMPARE(Currency::fromDouble(sum->Value("s").toDouble()).toString(), QString("1234.60"));
        auto nulls = m_db->OpenRecordset("SELECT Count(*) AS n FROM Schaden WHERE Kennzeichen IS NULL",
                                         RecordsetType::Snapshot);
        QCOMPARE(nulls->Value("n").toInt(), 1);
    }

    void jetFunctionsWork()
    {
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 15), QTime(12, 0)));
        auto empty = m_db->OpenRecordset("SELECT Max(ID) AS m FROM Schaden", RecordsetType::Snapshot);
        QVERIFY(empty->Fields("m").IsNull());

        m_db->Execute("INSERT INTO Schaden (Kennzeichen, Datum) VALUES (?, ?)",
                      {QString("A"), QDateTime(QDate(2010, 3, 1), QTime(8, 0))});
        auto rs = m_db->OpenRecordset("SELECT DateDiff('d', Datum, now) AS tage, IIF(Erledigt, 'ja', 'nein') AS e, "
                                      "[Kennzeichen] FROM Schaden", RecordsetType::Snapshot);
        QCOMPARE(rs->Value("tage").toInt(), 14);
        QCOMPARE(rs->Value("e").toString(), QString("nein"));
        QCOMPARE(rs->Value("Kennzeichen").toString(), QString("A"));
        QCOMPARE(m_db->Execute("UPDATE Schaden SET Erledigt = True WHERE DateDiff('m', Datum, now) = 0"), 1L);
    }

    void longBinaryByChunks()
    {
        QByteArray bytes(3 * 1024 * 1024 + 17, Qt::Uninitialized);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((qint64(i) * 7919) >> 3);
        auto rs = m_db->OpenRecordset("Schaden");
        rs->AddNew();
        rs->Fields("Bild").AppendChunk(bytes.left(1000));
        rs->Fields("Bild").AppendChunk(bytes.mid(1000));
        rs->Update();

        auto read = m_db->OpenRecordset("SELECT Bild FROM Schaden", RecordsetType::Snapshot);
        Field &f = read->Fields("Bild");
        QCOMPARE(f.FieldSize(), qint64(bytes.size()));
        QCOMPARE(f.GetChunk(0, f.FieldSize()), bytes);
        QCOMPARE(f.GetChunk(bytes.size() - 5, 100), bytes.right(5));

        // Setting Null clears what was there; the next chunks start afresh.
        auto edit = m_db->OpenRecordset("SELECT ID, Bild FROM Schaden");
        edit->Edit();
        edit->SetValue("Bild", Null());
        edit->Fields("Bild").AppendChunk("kurz");
        edit->Update();
        auto again = m_db->OpenRecordset("SELECT Bild FROM Schaden", RecordsetType::Snapshot);
        QCOMPARE(again->Value("Bild").toByteArray(), QByteArray("kurz"));
    }

    void errorsAreCollectedEngineFirst()
    {
        QCOMPARE(raisedNumber([&] { m_db->Execute("SELEKT * FROM Schaden"); }), long(ErrSyntax));
        auto errors = DBEngine::instance().Errors();
        QVERIFY(errors.size() >= 2);
        QCOMPARE(errors.first().source, m_db->EngineName());
        QCOMPARE(errors.last().number, long(ErrSyntax));
        QCOMPARE(errors.last().source, QString("DAO"));

        QCOMPARE(raisedNumber([&] { m_db->OpenRecordset("Fehlt"); }), long(ErrTableNotFound));
        QCOMPARE(DBEngine::instance().Errors().last().number, long(ErrTableNotFound));
        QCOMPARE(raisedNumber([&] { m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES (?)"); }),
                 long(ErrTooFewParameters));
        QCOMPARE(raisedNumber([&] { m_db->CommitTrans(); }), long(ErrNoTransaction));
    }

    void transactionsNest()
    {
        m_db->BeginTrans();
        m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('außen')");
        {
            Transaction inner(*m_db);
            m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('innen')");
            QCOMPARE(m_db->TransactionDepth(), 2);
        }   // left without commit: only the inner work is undone
        {
            Transaction kept(*m_db);
            m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('behalten')");
            kept.commit();
        }
        m_db->CommitTrans();
        QCOMPARE(m_db->TransactionDepth(), 0);

        auto rs = m_db->OpenRecordset("SELECT Kennzeichen FROM Schaden ORDER BY ID", RecordsetType::Snapshot);
        QStringList plates;
        for (; !rs->IsEOF(); rs->MoveNext())
            plates << rs->Value("Kennzeichen").toString();
        QCOMPARE(plates, QStringList({"außen", "behalten"}));

        m_db->BeginTrans();
        m_db->Execute("DELETE FROM Schaden");
        m_db->Rollback();
        auto count = m_db->OpenRecordset("SELECT Count(*) AS n FROM Schaden", RecordsetType::Snapshot);
        QCOMPARE(count->Value("n").toInt(), 2);
    }

    void transactionStartsWithARead()
    {
        const QString count = "SELECT Count(*) AS n FROM Schaden WHERE Kennzeichen=?";
        m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('B-1')");
        // Another workstation holds the write lock and adds a row: the read
        // waits for the lock and sees the row.
        auto other = open("t.db");
        other->BeginTrans();
        other->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('B-1')");
        std::thread committer([&other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            other->CommitTrans();
        });
        m_db->BeginTrans(count, {"B-1"});
        committer.join();
        QVERIFY(!m_db->TakeBegunRead(count, {"B-2"}));
        auto rs = m_db->TakeBegunRead(count, {"B-1"});
        QVERIFY(rs);
        QCOMPARE(rs->Value("n").toInt(), 2);
        QVERIFY2(!m_db->TakeBegunRead(count, {"B-1"}), "taken once");
        m_db->Rollback();

        // Not kept past the transaction, nor read by a nested one.
        m_db->BeginTrans(count, {"B-1"});
        m_db->Rollback();
        QVERIFY(!m_db->TakeBegunRead(count, {"B-1"}));
        m_db->BeginTrans();
        m_db->BeginTrans(count, {"B-1"});
        QCOMPARE(m_db->TransactionDepth(), 2);
        QVERIFY(!m_db->TakeBegunRead(count, {"B-1"}));
        m_db->Rollback();
        m_db->Rollback();

        // A read that fails starts nothing and leaves the lock free.
        QVERIFY(raisedNumber([&] { m_db->BeginTrans("SELECT Keine FROM Schaden"); }) != 0);
        QCOMPARE(m_db->TransactionDepth(), 0);
        other->BeginTrans();
        other->Rollback();
    }

    void badFilesAreRefusedUntouched()
    {
        QCOMPARE(raisedNumber([&] { open("fehlt.db"); }), long(ErrDatabaseNotFound));
        OpenOptions create;
        create.create = true;
        m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('bleibt')");
        QCOMPARE(raisedNumber([&] { open("t.db", create); }), long(ErrDatabaseExists));
        auto rs = m_db->OpenRecordset("SELECT Count(*) AS n FROM Schaden", RecordsetType::Snapshot);
        QCOMPARE(rs->Value("n").toInt(), 1);
        if (testengine::onServer())
            return;
        QVERIFY(!QFile::exists(m_databases.path("fehlt.db")));

        const QString empty = m_databases.path("leer.db");
        QFile(empty).open(QIODevice::WriteOnly);
        QCOMPARE(raisedNumber([&] { open("leer.db"); }), long(ErrNotADatabase));
        QCOMPARE(QFileInfo(empty).size(), 0);

        const QString garbage = m_databases.path("text.db");
        {
            QFile f(garbage);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("Dies ist keine Datenbank, nur ein Brief.\n").repeated(200));
        }
        const QByteArray before = fileDigest(garbage);
        QCOMPARE(raisedNumber([&] { open("text.db"); }), long(ErrNotADatabase));
        QCOMPARE(fileDigest(garbage), before);
        QVERIFY(!QFile::exists(garbage + "-wal"));
    }

    void textKindsAndCaseAsTheProgramExpects()
    {
        m_db->Execute("CREATE TABLE Fahrzeug (ID INTEGER PRIMARY KEY NOT NULL, KZ TEXT COLLATE NOCASE, "
                      "Notiz MEMO TEXT COLLATE NOCASE, Preis CURRENCY, Frei YESNO NOT NULL DEFAULT 0, "
                      "[Geändert] DATETIME, Bild LONGBINARY)");
        const QStringList plates = {"b-xy 2", "B-XY 1", "a-b 3", "Ä-1"};
        for (int i = 0; i < plates.size(); ++i)
            m_db->Execute("INSERT INTO Fahrzeug (ID, KZ, Preis) VALUES (?, ?, ?)", {i + 1, plates[i], QVariant::fromValue(Currency::fromUnits(122500))});
        auto same = m_db->OpenRecordset("SELECT Count(*) AS n FROM Fahrzeug WHERE [KZ] = ?", RecordsetType::Snapshot,
                                        RecordsetOption::None, {QString("b-XY 1")});
        QCOMPARE(same->Value("n").toInt(), 1);
        auto distinct = m_db->OpenRecordset("SELECT Distinct Upper(KZ) AS k FROM Fahrzeug WHERE KZ LIKE 'b-%'",
                                            RecordsetType::Snapshot);
        distinct->MoveLast();
        QCOMPARE(distinct->RecordCount(), 2L);
        auto ordered = m_db->OpenRecordset("SELECT KZ FROM Fahrzeug ORDER BY KZ", RecordsetType::Snapshot);
        QStringList order;
        for (; !ordered->IsEOF(); ordered->MoveNext())
            order << ordered->Value("kz").toString();
        QCOMPARE(order, QStringList({"a-b 3", "B-XY 1", "b-xy 2", "Ä-1"}));

        // Every kind comes back as the layer names it, the statement's spelling kept.
        auto rs = m_db->OpenRecordset("SELECT ID, KZ AS Kennzeichen, Notiz, Preis, Frei, [Geändert], Bild, "
                                      "IIF(Frei, 'ja', 'nein') AS Anzeige, Max(ID) AS Hoechste FROM Fahrzeug "
                                      "GROUP BY ID, KZ, Notiz, Preis, Frei, [Geändert], Bild");
        const QList<FieldKind> kinds = {FieldKind::Long, FieldKind::Text, FieldKind::Memo, FieldKind::Currency,
                                        FieldKind::Bool, FieldKind::Date, FieldKind::Binary};
        for (int i = 0; i < kinds.size(); ++i)
            QCOMPARE(rs->Fields(i).Kind(), kinds[i]);
        QCOMPARE(rs->Fields(1).Name(), QString("Kennzeichen"));
        QCOMPARE(rs->Fields(5).Name(), QString("Geändert"));
        QCOMPARE(rs->Fields(7).Name(), QString("Anzeige"));
        QCOMPARE(rs->Value("Preis").value<Currency>().units(), 122500LL);
        QCOMPARE(rs->Value("Frei").typeId(), int(QMetaType::Bool));
        QVERIFY(rs->Updatable());
        rs->Edit();
        rs->SetValue("Geändert", "31.12.2009 23:59:59");
        rs->SetValue("Preis", "0,0001");
        rs->Update();
        auto back = m_db->OpenRecordset("SELECT [Geändert], Preis FROM Fahrzeug WHERE Preis < 1", RecordsetType::Snapshot);
        QCOMPARE(back->Value("Geändert").toDateTime(), QDateTime(QDate(2009, 12, 31), QTime(23, 59, 59)));
        QCOMPARE(back->Value("Preis").value<Currency>().units(), 1LL);
    }

    void namesSortAsGermanReadersExpect()
    {
        m_db->Execute("CREATE TABLE Kunde (ID INTEGER PRIMARY KEY NOT NULL, Name TEXT COLLATE NOCASE)");
        m_db->Execute("CREATE INDEX KundeName ON Kunde (Name COLLATE German)");
        const QStringList german = {"Abel",  "Adler", "Ärger", "Azur",    "Mueller", "Muller",  "Müller",
                                    "Ober",  "ofen",  "Olm",   "Ölmann",  "Oz",      "Öztürk",  "Strasse",
                                    "Straße", "Strasz", "van Dyk", "Zander"};
        QStringList shuffled = german;
        std::reverse(shuffled.begin(), shuffled.end());
        std::rotate(shuffled.begin(), shuffled.begin() + 7, shuffled.end());
        for (int i = 0; i < shuffled.size(); ++i)
            m_db->Execute("INSERT INTO Kunde (ID, Name) VALUES (?, ?)", {i + 1, shuffled[i]});
        m_db->Execute("INSERT INTO Kunde (ID, Name) VALUES (?, ?)", {100, QString("OBER")});

        const auto names = [this](const QString &statement) {
            QStringList found;
            auto rs = m_db->OpenRecordset(statement, RecordsetType::ForwardOnly);
            for (; !rs->IsEOF(); rs->MoveNext())
                found << rs->Fields(0).Value().toString();
            return found;
        };
        const QStringList ascending = names("SELECT Name FROM Kunde WHERE ID < 100 ORDER BY Name COLLATE German");
        QCOMPARE(ascending, german);
        QStringList descending = names("SELECT Name FROM Kunde WHERE ID < 100 ORDER BY Name COLLATE German DESC");
        std::reverse(descending.begin(), descending.end());
        QCOMPARE(descending, german);
        // Distinct in that order finds equal what the column finds equal: letters
        // differing in case alone, not ß and ss.
        QStringList distinct = names("SELECT Distinct Name COLLATE German AS Name FROM Kunde ORDER BY 1");
        QCOMPARE(distinct.size(), german.size());
        QCOMPARE(distinct.at(german.indexOf("Ober")).toLower(), QString("ober"));
        QCOMPARE(distinct.mid(german.indexOf("Strasse"), 2), QStringList({"Strasse", "Straße"}));
        QCOMPARE(names("SELECT Name FROM Kunde WHERE Name = 'ober' ORDER BY ID"), QStringList({"Ober", "OBER"}));
    }

    void germanIndexesAreBuiltAnewWhenTheOrderChanged()
    {
        if (testengine::onServer())
            QSKIP("the server keeps the versions of its collations itself");
        m_db->Execute("CREATE INDEX SchadenKennzeichen ON Schaden (Kennzeichen COLLATE German)");
        m_db.reset();
        // Rows put into the index by another order, every comparison the other
        // way round, as an older ICU might have; the order recorded as "0".
        const QString path = m_databases.path("t.db");
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
        const auto reversed = [](void *, int sizeA, const void *a, int sizeB, const void *b) {
            const int common = std::min(sizeA, sizeB);
            const int order = std::memcmp(a, b, size_t(common));
            return order != 0 ? -order : sizeB - sizeA;
        };
        sqlite3_create_collation(raw, "German", SQLITE_UTF8, nullptr, reversed);
        QCOMPARE(sqlite3_exec(raw,
                              "INSERT INTO Schaden (Kennzeichen) VALUES ('B-A 1'), ('Ö-B 2'), ('P-C 3'), ('A-D 4');"
                              "CREATE TABLE dao_collation (name TEXT PRIMARY KEY NOT NULL, version TEXT NOT NULL);"
                              "INSERT INTO dao_collation VALUES ('German', '0')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(raw);

        m_db = open("t.db");
        auto rs = m_db->OpenRecordset("SELECT Kennzeichen FROM Schaden ORDER BY Kennzeichen COLLATE German",
                                      RecordsetType::Snapshot);
        QStringList plates;
        for (; !rs->IsEOF(); rs->MoveNext())
            plates << rs->Fields(0).Value().toString();
        QCOMPARE(plates, QStringList({"A-D 4", "B-A 1", "Ö-B 2", "P-C 3"}));
        auto check = m_db->OpenRecordset("PRAGMA integrity_check", RecordsetType::Snapshot);
        QCOMPARE(check->Fields(0).Value().toString(), QString("ok"));
        auto recorded = m_db->OpenRecordset("SELECT version FROM dao_collation", RecordsetType::Snapshot);
        QVERIFY(recorded->Fields(0).Value().toString() != "0");
    }

    void lostServerConnectionIsReportedAndRepaired()
    {
        if (!testengine::onServer())
            QSKIP("a database file has no connection to lose");
        auto pid = m_db->OpenRecordset("SELECT pg_backend_pid() AS p", RecordsetType::Snapshot);
        const qlonglong backend = pid->Value("p").toLongLong();
        auto other = open("t.db");

        m_db->BeginTrans();
        m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('halb')");
        other->Execute("SELECT pg_terminate_backend(CAST(? AS integer))", {backend});
        QCOMPARE(raisedNumber([&] { m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('zweite')"); }),
                 long(ErrConnectionLost));
        QVERIFY(DBEngine::instance().Errors().last().description.startsWith("Die Verbindung zum Datenbankserver"));
        // The rest of the lost transaction fails alike; its rollback does not.
        QCOMPARE(raisedNumber([&] { m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('dritte')"); }),
                 long(ErrConnectionLost));
        m_db->Rollback();

        m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('danach')");
        auto rs = other->OpenRecordset("SELECT Kennzeichen FROM Schaden", RecordsetType::Snapshot);
        QCOMPARE(rs->Value("Kennzeichen").toString(), QString("danach"));
        rs->MoveLast();
        QCOMPARE(rs->RecordCount(), 1L);
    }

    void closingTheDatabaseClosesItsRecordsets()
    {
        m_db->Execute("INSERT INTO Schaden (Kennzeichen) VALUES ('x')");
        auto rs = m_db->OpenRecordset("SELECT * FROM Schaden", RecordsetType::Snapshot);
        m_db->Close();
        QVERIFY(!rs->IsOpen());
        QCOMPARE(raisedNumber([&] { rs->MoveNext(); }), long(ErrObjectClosed));
        QCOMPARE(raisedNumber([&] { m_db->Execute("DELETE FROM Schaden"); }), long(ErrObjectClosed));
    }
};

QTEST_GUILESS_MAIN(TestDao)
#include "tst_dao.moc"
