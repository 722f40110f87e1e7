#pragma once

#include <QList>

namespace dao {
class Database;
}

namespace varnholt {

// Repair estimates for demo cases: about a quarter of the cases (at most 100
// per run) that still have a free attachment place get a one-page PDF
// "Kostenvoranschlag" of a workshop whose items add up to the case's
// Schadenbetrag. It is stored as a document, in the document container's
// format through the attachment storage, in the first of Objekt_ID_1..3
// that is Null, with Schadenbilder set.
class DemoEstimates {
public:
    explicit DemoEstimates(quint32 seed);

    // Runs inside the caller's transaction, after the pictures; throws
    // dao::DaoError when an estimate cannot be stored.
    void attach(dao::Database &db, const QList<long> &caseIds);

    int stored() const { return m_stored; }

private:
    quint32 m_seed;
    int m_stored = 0;
};

} // namespace varnholt
