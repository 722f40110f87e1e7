// The chain of change records on a real database of either engine: written
// under the write lock, checked, refused to be changed, purged of versions;
// deleted cases and attachment versions restored.
#include "ListDatabase.h"

#include "history/CaseDeletion.h"
#include "history/ChainCheck.h"
#include "history/Journal.h"
#include "history/Versions.h"
#include "list/CaseStore.h"
#include "list/ListStatement.h"
#include "list/SortState.h"

#include <QProcess>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2024, 5, 6), QTime(10, 11, 12));

history::Entry change(long caseId, const QString &field, const QString &from, const QString &to)
{
    return {caseId, history::kind::Field, field, from, to, QVariant()};
}

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run runProgram(const QStringList &args)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VARNHOLT_PROGRAM), args);
    Run run;
    if (!program.waitForFinished(300000))
        return run;
    run.code = program.exitCode();
    run.out = QString::fromUtf8(program.readAllStandardOutput());
    run.err = QString::fromUtf8(program.readAllStandardError());
    return run;
}

// Lets a test do what the trigger refuses to anyone else.
void allowTampering(dao::Database &db)
{
    if (testengine::onServer()) {
        db.Execute(QStringLiteral("ALTER TABLE Verlauf DISABLE TRIGGER VerlaufUnveraenderlich"));
    } else {
        db.Execute(QStringLiteral("DROP TRIGGER VerlaufUnveraenderlich"));
        db.Execute(QStringLiteral("DROP TRIGGER VerlaufUnloeschbar"));
    }
}

QByteArray objectBytes(ListDatabase &data, const QVariant &id)
{
    auto rs = data.db->OpenRecordset(QStringLiteral("Select lbObjekt From Objekt Where ID=?"),
                                     dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {id});
    return rs->IsEOF() ? QByteArray() : rs->Fields(0).Value().toByteArray();
}

void addObject(ListDatabase &data, long id, const QByteArray &bytes)
{
    data.db->Execute(QStringLiteral("INSERT INTO Objekt (ID, lbObjekt, fBitmap, tClass) VALUES (?,?,?,?)"),
                     {qlonglong(id), bytes, true, QStringLiteral("png")});
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { VARNHOLT_REQUIRE_TEST_ENGINE(); }

    // Five records of two cases: the chain holds, and each kind of tampering
    // is named at the first record where it shows, by the program's own
    // check, however the chain is split to be checked side by side.
    void verifyFindsTampering_data()
    {
        QTest::addColumn<QStringList>("tampering");
        QTest::addColumn<int>("fault");
        QTest::addColumn<long>("recordId");
        QTest::newRow("whole") << QStringList() << int(history::ChainReport::None) << 0L;
        QTest::newRow("value changed") << QStringList{"UPDATE Verlauf SET NeuerWert='9999,00' WHERE ID=3"}
                                       << int(history::ChainReport::Changed) << 3L;
        QTest::newRow("user changed") << QStringList{"UPDATE Verlauf SET Benutzer='jemand' WHERE ID=5"}
                                      << int(history::ChainReport::Changed) << 5L;
        QTest::newRow("record deleted") << QStringList{"DELETE FROM Verlauf WHERE ID=2"}
                                        << int(history::ChainReport::Missing) << 3L;
        QTest::newRow("order swapped") << QStringList{"UPDATE Verlauf SET ID=100 WHERE ID=3",
                                                      "UPDATE Verlauf SET ID=3 WHERE ID=4",
                                                      "UPDATE Verlauf SET ID=4 WHERE ID=100"}
                                       << int(history::ChainReport::OutOfOrder) << 3L;
        QTest::newRow("first deleted") << QStringList{"DELETE FROM Verlauf WHERE ID=1"}
                                       << int(history::ChainReport::Missing) << 2L;
        QTest::newRow("two changed") << QStringList{"UPDATE Verlauf SET Feld='x' WHERE ID=4",
                                                    "UPDATE Verlauf SET AlterWert=NULL WHERE ID=2"}
                                     << int(history::ChainReport::Changed) << 2L;
    }

    void verifyFindsTampering()
    {
        QFETCH(QStringList, tampering);
        QFETCH(int, fault);
        QFETCH(long, recordId);
        ListDatabase data;
        {
            dao::Transaction tx(*data.db);
            history::Journal journal(*data.db, {QStringLiteral("anna"), QStringLiteral("buero-1")});
            journal.append({history::Entry{1, history::kind::Created, QStringLiteral("Vorgang"), QVariant(),
                                           QStringLiteral("24/001"), QVariant()},
                            change(1, QStringLiteral("Schadenbetrag"), QString(), QStringLiteral("100,00"))},
                           kNow);
            journal.append(change(2, QStringLiteral("Fahrzeug"), QStringLiteral("B-AB 1"), QStringLiteral("B-CD 2")),
                           kNow.addSecs(60));
            journal.append({change(1, QStringLiteral("Schadenbetrag"), QStringLiteral("100,00"), QStringLiteral("120,00")),
                            change(1, QStringLiteral("Anmerkung"), QString(), QStringLiteral("Stoßfänger \U0001F697"))},
                           kNow.addSecs(120));
            tx.commit();
        }
        if (!tampering.isEmpty())
            allowTampering(*data.db);
        for (const QString &statement : tampering)
            data.db->Execute(statement);

        const history::ChainReport report = history::verifyChain(*data.db);
        QCOMPARE(int(report.fault), fault);
        QCOMPARE(report.recordId, recordId);
        for (int parts : {2, 3, 5}) {
            const history::ChainReport split = history::verifyChain(*data.db, parts);
            QCOMPARE(split.text(), report.text());
            QCOMPARE(split.records, report.records);
        }
        data.db->Close();
        const Run run = runProgram({QStringLiteral("--verify-history"), data.path()});
        if (fault == history::ChainReport::None) {
            QCOMPARE(report.records, 5);
            QCOMPARE(report.cases, 2);
            QCOMPARE(run.code, 0);
            QVERIFY2(run.out.contains(QStringLiteral("5 Einträge zu 2 Vorgängen")), qPrintable(run.out));
        } else {
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(QStringLiteral("Eintrag %1").arg(recordId)), qPrintable(run.err));
        }
    }

    // Nobody changes or deletes a record, not even the table's owner.
    void recordsRefuseChange_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("update") << "UPDATE Verlauf SET AlterWert='x'";
        QTest::newRow("delete") << "DELETE FROM Verlauf";
    }

    void recordsRefuseChange()
    {
        QFETCH(QString, statement);
        ListDatabase data;
        history::Journal(*data.db).append(change(1, QStringLiteral("Schuld"), QString(), QStringLiteral("ungeklärt")), kNow);
        QVERIFY_THROWS_EXCEPTION(dao::DaoError, data.db->Execute(statement));
        QCOMPARE(history::caseRecords(*data.db, 1).size(), 1);
        QVERIFY(history::verifyChain(*data.db).ok());
    }

    // Two workstations append at once, each record in its own save: one
    // chain, every record in it, none twice.
    void concurrentSavesKeepOneChain()
    {
        ListDatabase data;
        data.db->Close();
        constexpr int Each = 40;
        QProcess first;
        QProcess second;
        first.start(QStringLiteral(HISTORY_WRITER), {data.path(), QStringLiteral("1"), QString::number(Each)});
        second.start(QStringLiteral(HISTORY_WRITER), {data.path(), QStringLiteral("2"), QString::number(Each)});
        QVERIFY(first.waitForFinished(120000));
        QVERIFY(second.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        data.db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(data.path());
        const history::ChainReport report = history::verifyChain(*data.db);
        QVERIFY2(report.ok(), qPrintable(report.text()));
        QCOMPARE(report.records, 2 * Each);
        QCOMPARE(history::caseRecords(*data.db, 1).size(), Each);
        QCOMPARE(history::caseRecords(*data.db, 2).first().user, QStringLiteral("writer2"));
    }

    // A deleted case leaves the list with its attachments kept, and comes
    // back under its number; both steps are records.
    void deletedCaseRestored()
    {
        ListDatabase data;
        addObject(data, 7, "foto");
        TestCase c;
        c.id = 1;
        c.plate = QStringLiteral("B-AB 1");
        c.object1 = qlonglong(7);
        data.add(c);
        c.id = 2;
        c.object1 = QVariant();
        data.add(c);
        const auto listed = [&data](int status) {
            list::FilterInput filter;
            filter.statusIndex = status;
            const list::ListStatement statement = list::buildListStatement(filter, list::SortState());
            QList<long> ids = data.ids(statement.text, statement.params);
            std::sort(ids.begin(), ids.end());
            return ids;
        };

        list::deleteCase(*data.db, 1);
        QCOMPARE(listed(0), (QList<long>{2}));
        QCOMPARE(listed(list::DeletedCasesIndex), (QList<long>{1}));
        QVERIFY(history::isCaseDeleted(*data.db, 1));
        QCOMPARE(objectBytes(data, 7), QByteArray("foto"));

        QVERIFY(history::restoreCase(*data.db, 1, kNow));
        QVERIFY(!history::restoreCase(*data.db, 1, kNow));   // once only
        QCOMPARE(listed(0), (QList<long>{1, 2}));
        QCOMPARE(data.ids(QStringLiteral("Select Objekt_ID_1 From Schaden Where ID=1")), (QList<long>{7}));
        const QList<history::Record> records = history::caseRecords(*data.db, 1);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).kind, history::kind::Restored);
        QCOMPARE(records.at(0).newValue.toString(), QStringLiteral("09/001"));
        QCOMPARE(records.at(1).kind, history::kind::Deleted);
        QVERIFY(history::verifyChain(*data.db).ok());
    }

    // A version put back into its slot: the slot shows the old content in a
    // row of its own, the content it replaced is kept in turn.
    void versionRestoredIntoSlot()
    {
        ListDatabase data;
        addObject(data, 3, "neu");
        TestCase c;
        c.id = 1;
        c.object2 = qlonglong(3);
        data.add(c);
        addObject(data, 4, "alt");
        const long version = history::keepVersion(*data.db, 4);
        QVERIFY(version > 4);
        QCOMPARE(history::keepVersion(*data.db, 99), 0L);

        const long restored = history::restoreVersion(*data.db, 1, QStringLiteral("Objekt_ID_2"), QStringLiteral("Bild 2"),
                                                      version, kNow);
        QCOMPARE(data.ids(QStringLiteral("Select Objekt_ID_2 From Schaden Where ID=1")), (QList<long>{restored}));
        QCOMPARE(objectBytes(data, qlonglong(restored)), QByteArray("alt"));
        const history::Record record = history::lastCaseRecord(*data.db, 1);
        QCOMPARE(record.field, QStringLiteral("Bild 2"));
        QCOMPARE(record.objectId.toLongLong(), 3);
        QCOMPARE(objectBytes(data, 3), QByteArray("neu"));
        QCOMPARE(history::readVersion(*data.db, 3).bytes, QByteArray("neu"));
        // Only a slot's column goes into the statement.
        QVERIFY_THROWS_EXCEPTION(dao::DaoError, history::restoreVersion(*data.db, 1, QStringLiteral("ID=0;--"),
                                                                        QStringLiteral("Bild 2"), version, kNow));
    }

    // The purge deletes old versions only, keeps every record and adds its own.
    void purgeKeepsChainValid()
    {
        ListDatabase data;
        addObject(data, 1, "erstes");
        addObject(data, 2, "zweites");
        const long oldVersion = history::keepVersion(*data.db, 1);
        const long newVersion = history::keepVersion(*data.db, 2);
        history::Journal journal(*data.db);
        journal.append({1, history::kind::Attachment, QStringLiteral("Bild 1"), QVariant(), QStringLiteral("ersetzt"),
                        qlonglong(oldVersion)},
                       QDateTime(QDate(2020, 1, 1), QTime(8, 0)));
        journal.append({1, history::kind::Attachment, QStringLiteral("Bild 1"), QVariant(), QStringLiteral("ersetzt"),
                        qlonglong(newVersion)},
                       QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
        data.db->Close();

        QCOMPARE(runProgram({QStringLiteral("--purge-history"), QStringLiteral("--before"), QStringLiteral("01.01.2022"),
                             data.path()})
                     .code,
                 2);   // without --yes nothing goes
        const Run run = runProgram({QStringLiteral("--purge-history"), QStringLiteral("--before"),
                                    QStringLiteral("01.01.2022"), QStringLiteral("--yes"), data.path()});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("1 Versionen")), qPrintable(run.out + run.err));

        data.db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(data.path());
        QVERIFY(!history::readVersion(*data.db, oldVersion).exists());
        QCOMPARE(history::readVersion(*data.db, newVersion).bytes, QByteArray("zweites"));
        QCOMPARE(objectBytes(data, 1), QByteArray("erstes"));
        const history::ChainReport report = history::verifyChain(*data.db);
        QVERIFY2(report.ok(), qPrintable(report.text()));
        QCOMPARE(report.records, 3);
        QCOMPARE(data.count(QStringLiteral("Select Count(*) From Verlauf Where Art=?"), {history::kind::Purged}), 1L);
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
