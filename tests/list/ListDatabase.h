#pragma once

#include "TestEngine.h"

#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include <QDate>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

// One case as the tests need it; the rest of the row stays empty.
struct TestCase {
    long id = 0;
    QVariant plate;                  // Null when invalid
    QDate datum;
    QString kind = QStringLiteral("Einzelschaden");
    bool done = false;
    QString customer;
    QString description;
    QString repair;
    QVariant object1, object2, object3;
    bool pictures = false;
};

// A real database with the program's tables: a file in a folder of its own,
// or a database on the test server.
class ListDatabase {
public:
    ListDatabase()
    {
        dao::OpenOptions options;
        options.create = true;
        db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path(), options);
        varnholt::createSchema(*db);
    }

    QString path() { return databases.path(QStringLiteral("Varnholt.db")); }
    QString folder() const { return databases.folder(); }

    void add(const TestCase &c)
    {
        const QVariant datum = c.datum.isValid() ? QVariant(QDateTime(c.datum, QTime(0, 0))) : QVariant();
        db->Execute(QStringLiteral("INSERT INTO Schaden (ID, Schadennummer, EigenKZ, Datum, Kundenname, Schadenart,"
                                   " Schadenbeschreibung, Reparaturstatus, fErledigt, Objekt_ID_1, Objekt_ID_2,"
                                   " Objekt_ID_3, Schadenbilder) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                    {qlonglong(c.id), QStringLiteral("09/%1").arg(c.id, 3, 10, QLatin1Char('0')), c.plate, datum,
                     c.customer.isEmpty() ? QVariant() : QVariant(c.customer), c.kind, c.description,
                     c.repair.isEmpty() ? QVariant() : QVariant(c.repair), c.done, c.object1, c.object2, c.object3,
                     c.pictures});
    }

    void addObject(long id)
    {
        db->Execute(QStringLiteral("INSERT INTO Objekt (ID, lbObjekt, fBitmap, tClass) VALUES (?,?,?,?)"),
                    {qlonglong(id), QByteArray("bytes"), true, QStringLiteral("png")});
    }

    long count(const QString &statement, const dao::Params &params = {})
    {
        auto rs = db->OpenRecordset(statement, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, params);
        const long n = rs->IsEOF() ? 0 : rs->Fields(0).Value().toLongLong();
        rs->Close();
        return n;
    }

    // The IDs a statement selects, in its order, read without the list's model.
    QList<long> ids(const QString &statement, const dao::Params &params = {})
    {
        QList<long> result;
        auto rs = db->OpenRecordset(statement, dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, params);
        for (; !rs->IsEOF(); rs->MoveNext())
            result.append(long(rs->Fields(0).Value().toLongLong()));
        rs->Close();
        return result;
    }

    testengine::Databases databases;
    std::unique_ptr<dao::Database> db;
};
