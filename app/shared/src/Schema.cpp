#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include <QStringList>

namespace varnholt {

// Column types are the layer's kinds (see dao/Value.h); text compares
// without regard to case, as the program's look-ups expect.
void createSchema(dao::Database &db)
{
    const QStringList statements = {
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
    dao::Transaction tx(db);
    for (const QString &statement : statements)
        db.Execute(statement);
    tx.commit();
}

} // namespace varnholt
