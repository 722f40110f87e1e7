#pragma once

#include "report/FurtherAttachments.h"
#include "report/PrintRequest.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace dao {
class Database;
class Recordset;
} // namespace dao

namespace report {

class CaseAddition;

// The data side of one report run: which body section to lay out and the
// values of the definition's field placeholders, from the case row.
class ReportData {
public:
    // db may be null for a report that binds no case (the list).
    ReportData(dao::Database *db, const PrintRequest &request);
    ~ReportData();
    ReportData(const ReportData &) = delete;
    ReportData &operator=(const ReportData &) = delete;

    const PrintRequest &request() const { return m_request; }

    // Single case: opens the case row as a read-only snapshot. Every kind:
    // the body section becomes available once. Throws dao::DaoError.
    void PrepareReportData();
    // Single case: whether the case row exists (after PrepareReportData).
    bool hasCase() const;
    // "LISTE", "SCHADEN" or "FAHRZEUG" the first time after PrepareReportData;
    // for a case then the addition's further sections, then one section per
    // further picture ("WEITEREBILDER" for the first, under its heading,
    // "ANHANG" for the others), whose fields S_ANHANG and S_ANHANGNAME name
    // it; then "".
    QString NextBodySection();

    // "S_Kundenname;anything" with a format: "" the trimmed value, "n" its
    // first n characters, "D..." a date picture, anything else a picture.
    // A column the case row lacks and a value that cannot be formatted give
    // ""; a read that fails throws dao::DaoError, so that no report prints
    // blanks in place of the case.
    QString ResolveField(const QString &placeholder, const QString &format);
    // One field of the case row as text (the prefix addresses the case row
    // whatever it is); "" for other kinds of report and unknown fields.
    QString CaseFieldValue(const QString &prefix, const QString &name);

    // Values of the case kept beside its row; none by default.
    void setAddition(CaseAddition *addition) { m_addition = addition; }

    // Closes the case row.
    void close();

private:
    QVariant fieldValue(const QString &name);

    dao::Database *m_db;
    PrintRequest m_request;
    std::unique_ptr<dao::Recordset> m_case;
    bool m_dataAvailable = false;
    CaseAddition *m_addition = nullptr;
    QStringList m_following;
    std::vector<FurtherAttachment> m_pictures;
    size_t m_nextPicture = 0;
};

} // namespace report
