#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include <QStringList>

namespace varnholt {
namespace {

// The tables and indexes of version 1. Column types are the layer's kinds (see
// dao/Value.h); text compares without regard to case, as the program's
// look-ups expect.
QStringList firstSchema()
{
    return {
        QStringLiteral(
            "CREATE TABLE Schaden ("
            "ID INTEGER PRIMARY KEY NOT NULL,"
            "Schadennummer TEXT COLLATE NOCASE,"
            "EigenKZ TEXT COLLATE NOCASE,"
            "Fahrzeugtyp TEXT COLLATE NOCASE,"
            "Stellplatz TEXT COLLATE NOCASE,"
            "Datum DATETIME,"
            "Kundennummer INTEGER,"
            "Kundenname TEXT COLLATE NOCASE,"
            "Melder TEXT COLLATE NOCASE,"
            "Schadenart TEXT COLLATE NOCASE,"
            "Schadenbeschreibung MEMO TEXT COLLATE NOCASE,"
            "fEigenSchaden YESNO NOT NULL DEFAULT 0,"
            "fFremdSchaden YESNO NOT NULL DEFAULT 0,"
            "fPersonenSchaden YESNO NOT NULL DEFAULT 0,"
            "fSonstigerSchaden YESNO NOT NULL DEFAULT 0,"
            "fAstabuskunde YESNO NOT NULL DEFAULT 0,"
            "Sicherheitspaket YESNO NOT NULL DEFAULT 0,"
            "Name TEXT COLLATE NOCASE,"
            "Adresse TEXT COLLATE NOCASE,"
            "GegnerKZ TEXT COLLATE NOCASE,"
            "Schuldfrage TEXT COLLATE NOCASE,"
            "Unfallbericht TEXT COLLATE NOCASE,"
            "am DATETIME,"
            "Versicherungsnr TEXT COLLATE NOCASE,"
            "Begutachtung TEXT COLLATE NOCASE,"
            "Begutachter TEXT COLLATE NOCASE,"
            "Schadenbetrag CURRENCY,"
            "Selbstbeteiligung CURRENCY,"
            "tsKundeninfo DATETIME,"
            "tsPMLErstellt DATETIME,"
            "Reparaturstatus TEXT COLLATE NOCASE,"
            "Anmerkung MEMO TEXT COLLATE NOCASE,"
            "fErledigt YESNO NOT NULL DEFAULT 0,"
            "Objekt_ID_1 INTEGER,"
            "Objekt_ID_2 INTEGER,"
            "Objekt_ID_3 INTEGER,"
            "Schadenbilder YESNO NOT NULL DEFAULT 0,"
            "tsErstellt DATETIME,"
            "[tsGeändert] DATETIME)"),
        QStringLiteral(
            "CREATE TABLE Objekt ("
            "ID INTEGER PRIMARY KEY NOT NULL,"
            "lbObjekt LONGBINARY,"
            "fBitmap YESNO NOT NULL DEFAULT 0,"
            "tClass TEXT COLLATE NOCASE,"
            "mScript MEMO TEXT)"),
        QStringLiteral("CREATE INDEX SchadenDatum ON Schaden (Datum)"),
        QStringLiteral("CREATE INDEX SchadenEigenKZ ON Schaden (EigenKZ)"),
        QStringLiteral("CREATE INDEX SchadenNummer ON Schaden (Schadennummer)"),
        QStringLiteral("CREATE INDEX SchadenKunde ON Schaden (Kundenname)"),
        QStringLiteral("CREATE INDEX SchadenErledigt ON Schaden (fErledigt, Datum)"),
    };
}

// What turns version n - 1 into version n, at index n - 2.
const QList<QStringList> &upgradeSteps()
{
    static const QList<QStringList> steps = {
        // 2: names sort in German order (the list, the look-ups) through indexes
        // of that order; the plate keeps its index for finding a vehicle.
        {QStringLiteral("DROP INDEX SchadenKunde"),
         QStringLiteral("CREATE INDEX SchadenKunde ON Schaden (Kundenname COLLATE German)"),
         QStringLiteral("CREATE INDEX SchadenAuto ON Schaden (EigenKZ COLLATE German)"),
         QStringLiteral("CREATE TABLE Schemaversion (Version INTEGER NOT NULL)"),
         QStringLiteral("INSERT INTO Schemaversion (Version) VALUES (2)")},
        // 3: the numbered marks of a case's damage diagram; the plate is kept with
        // each mark so that a vehicle's unrepaired damage is found by its index.
        {QStringLiteral("CREATE TABLE Schadenmarke ("
                        "ID INTEGER PRIMARY KEY AUTOINCREMENT,"
                        "Schaden_ID INTEGER NOT NULL,"
                        "EigenKZ TEXT COLLATE NOCASE,"
                        "Nr INTEGER NOT NULL,"
                        "X INTEGER NOT NULL,"
                        "Y INTEGER NOT NULL,"
                        "Art TEXT COLLATE NOCASE,"
                        "Schwere TEXT COLLATE NOCASE,"
                        "Bild INTEGER,"
                        "Notiz TEXT COLLATE NOCASE,"
                        "RepariertAm DATETIME)"),
         QStringLiteral("CREATE INDEX SchadenmarkeFahrzeug ON Schadenmarke (EigenKZ, RepariertAm)"),
         QStringLiteral("CREATE INDEX SchadenmarkeFall ON Schadenmarke (Schaden_ID)")},
        // 4: any number of further attachments per case, each an Objekt row,
        // in the order the user gave them; what the tab shows of each is kept
        // beside it, so that the list of a case is read without its bytes.
        {QStringLiteral("CREATE TABLE SchadenAnhang ("
                        "Objekt_ID INTEGER PRIMARY KEY NOT NULL,"
                        "Schaden_ID INTEGER NOT NULL,"
                        "Reihenfolge INTEGER NOT NULL,"
                        "Name TEXT,"
                        "Hinzugefuegt DATETIME,"
                        "Groesse INTEGER,"
                        "Aufnahme DATETIME,"
                        "Pruefsumme TEXT)"),
         QStringLiteral("CREATE INDEX SchadenAnhangFall ON SchadenAnhang (Schaden_ID, Reihenfolge)")},
        // 5: every change of a case kept in a chain of records; a deleted
        // case is only marked, and the deleted ones are found by their own index.
        {QStringLiteral("CREATE TABLE Verlauf ("
                        "ID INTEGER PRIMARY KEY NOT NULL,"
                        "Schaden_ID INTEGER NOT NULL,"
                        "Zeit DATETIME NOT NULL,"
                        "Benutzer TEXT,"
                        "Arbeitsplatz TEXT,"
                        "Art TEXT NOT NULL,"
                        "Feld TEXT,"
                        "AlterWert MEMO TEXT,"
                        "NeuerWert MEMO TEXT,"
                        "Objekt_ID INTEGER,"
                        "Hash TEXT NOT NULL)"),
         QStringLiteral("CREATE INDEX VerlaufSchaden ON Verlauf (Schaden_ID, ID)"),
         QStringLiteral("CREATE INDEX VerlaufObjekt ON Verlauf (Zeit) WHERE Objekt_ID IS NOT NULL"),
         QStringLiteral("ALTER TABLE Schaden ADD COLUMN Geloescht YESNO NOT NULL DEFAULT 0"),
         QStringLiteral("CREATE INDEX SchadenGeloescht ON Schaden (Datum) WHERE Geloescht<>0")},
    };
    return steps;
}

// What a step needs in the engine's own language: the change records refuse
// to be changed or deleted, by anyone.
QStringList engineSteps(dao::Database &db, int version)
{
    if (version != 5)
        return {};
    const QString refusal = QStringLiteral("Der Verlauf kann nicht geändert oder gelöscht werden.");
    if (db.EngineName() == QLatin1String("PostgreSQL"))
        return {QStringLiteral("CREATE OR REPLACE FUNCTION verlauf_unveraenderlich() RETURNS trigger LANGUAGE plpgsql AS "
                               "$$BEGIN RAISE EXCEPTION '%1'; END$$").arg(refusal),
                QStringLiteral("CREATE TRIGGER VerlaufUnveraenderlich BEFORE UPDATE OR DELETE ON Verlauf "
                               "FOR EACH ROW EXECUTE FUNCTION verlauf_unveraenderlich()")};
    return {QStringLiteral("CREATE TRIGGER VerlaufUnveraenderlich BEFORE UPDATE ON Verlauf BEGIN SELECT RAISE(ABORT, '%1'); END")
                .arg(refusal),
            QStringLiteral("CREATE TRIGGER VerlaufUnloeschbar BEFORE DELETE ON Verlauf BEGIN SELECT RAISE(ABORT, '%1'); END")
                .arg(refusal)};
}

// Steps from `from` on, then the version written; inside the caller's transaction.
void applySteps(dao::Database &db, int from)
{
    for (int version = from + 1; version <= SchemaVersion; ++version) {
        for (const QString &statement : upgradeSteps().at(version - 2))
            db.Execute(statement);
        for (const QString &statement : engineSteps(db, version))
            db.Execute(statement);
    }
    db.Execute(QStringLiteral("UPDATE Schemaversion SET Version=?"), {SchemaVersion});
}

[[noreturn]] void refuseNewer(int version)
{
    dao::DBEngine::instance().raise(
        dao::ErrNotADatabase,
        QStringLiteral("Die Datenbank stammt von einer neueren Programmversion (Version %1 der Tabellen, dieses "
                       "Programm kennt bis Version %2). Bitte verwenden Sie das neuere Programm.")
            .arg(version)
            .arg(SchemaVersion));
}

} // namespace

void createSchema(dao::Database &db)
{
    dao::Transaction tx(db);
    for (const QString &statement : firstSchema())
        db.Execute(statement);
    applySteps(db, 1);
    tx.commit();
}

int storedSchemaVersion(dao::Database &db)
{
    if (!db.TableHasColumn(QStringLiteral("Schemaversion"), QStringLiteral("Version")))
        return 1;
    auto rs = db.OpenRecordset(QStringLiteral("Select Max(Version) From Schemaversion"), dao::RecordsetType::Snapshot);
    const QVariant version = rs->Fields(0).Value();
    rs->Close();
    return dao::isNull(version) ? 1 : version.toInt();
}

void upgradeSchema(dao::Database &db)
{
    const int seen = storedSchemaVersion(db);
    if (seen > SchemaVersion)
        refuseNewer(seen);
    // A database without the case table is none of the program's making.
    if (seen == SchemaVersion || !db.TableHasColumn(QStringLiteral("Schaden"), QStringLiteral("ID")))
        return;
    try {
        dao::retryWhileLocked(db, [&db] {
            dao::Transaction tx(db);
            // Another workstation may have taken the steps meanwhile.
            const int version = storedSchemaVersion(db);
            if (version > SchemaVersion)
                refuseNewer(version);
            if (version < SchemaVersion)
                applySteps(db, version);
            tx.commit();
        });
    } catch (const dao::DaoError &error) {
        if (error.number() != dao::ErrNotUpdatable)
            throw;
    }
}

} // namespace varnholt
