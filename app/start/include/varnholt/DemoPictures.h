#pragma once

#include <QList>
#include <QString>

namespace dao {
class Database;
}

namespace varnholt {

// Photos of the damage for demo cases: about a third of the cases (at most
// 200 per run) get one to three pictures, drawn for each case (its plate on the car, the damage where
// it happened, grain like a camera's), stored through the attachment storage
// and entered in the case's Objekt_ID_1..3 with Schadenbilder set. Every
// third photo carries an overlay: an arrow at the damage and a word.
class DemoPictures {
public:
    explicit DemoPictures(quint32 seed);

    // Runs inside the caller's transaction; throws dao::DaoError when a
    // picture cannot be stored.
    void attach(dao::Database &db, const QList<long> &caseIds);

    int stored() const { return m_stored; }
    int annotated() const { return m_annotated; }

private:
    quint32 m_seed;
    int m_stored = 0;
    int m_annotated = 0;
};

} // namespace varnholt
