#pragma once

#include "report/PrintRequest.h"
#include "report/ReportData.h"
#include "report/ReportDefinition.h"
#include "report/ReportLayout.h"

#include "TestEngine.h"

#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

#include <memory>

// A real database with the program's tables: a file in a folder of its own
// (dir, which also takes the test's other files) or one on the test server.
class ReportDatabase {
public:
    ReportDatabase()
    {
        dao::OpenOptions options;
        options.create = true;
        db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path(), options);
        varnholt::createSchema(*db);
    }

    QString path() { return databases.path(QStringLiteral("Varnholt.db")); }

    // One case with the given columns; the rest stays empty.
    void addCase(long id, const QVariantMap &columns = {})
    {
        QStringList names{QStringLiteral("ID")};
        dao::Params values{qlonglong(id)};
        for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
            names.append(it.key());
            values.append(it.value());
        }
        const QString marks = QStringList(QList<QString>(names.size(), QStringLiteral("?"))).join(u',');
        db->Execute(QStringLiteral("INSERT INTO Schaden (") + names.join(u',') + QStringLiteral(") VALUES (") + marks +
                        u')',
                    values);
    }

    void addPicture(long id, const QByteArray &bytes, bool isPicture = true)
    {
        db->Execute(QStringLiteral("INSERT INTO Objekt (ID, lbObjekt, fBitmap, tClass) VALUES (?,?,?,?)"),
                    {qlonglong(id), bytes, isPicture, QStringLiteral("png")});
    }

    QTemporaryDir dir;
    testengine::Databases databases;
    std::unique_ptr<dao::Database> db;
};

// A definition laid out for one case on an upright A4 sheet.
struct CaseLayout {
    CaseLayout(dao::Database *db, long caseId, QString text)
        : data(db, report::PrintRequest{report::PrintKindCase, caseId, {}, false, nullptr})
    {
        report::ParseReportDefinition(text, definition);
        if (definition.footerTop == 0)
            definition.footerTop = 29.7f;
        layout = std::make_unique<report::ReportLayout>(definition, data, QSizeF(21.0, 29.7));
        layout->ReadIt();
    }

    const report::PageItemList &items() const { return layout->pageItems(); }

    // The live items (not left behind on an earlier page) of a kind.
    QList<report::ReportElement> live(report::ElementKind kind) const
    {
        QList<report::ReportElement> found;
        for (int i = 0; i < items().count(); ++i) {
            if (items().at(i).kind == kind)
                found.append(items().at(i));
        }
        return found;
    }

    // The texts of the live text boxes, in layout order.
    QStringList texts() const
    {
        QStringList found;
        for (const report::ReportElement &e : live(report::ElementKind::Text))
            found.append(e.text);
        return found;
    }

    report::ReportDefinition definition;
    report::ReportData data;
    std::unique_ptr<report::ReportLayout> layout;
};

inline void useGermanLocale() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
