#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace dao {
class Database;
}

namespace history {

// Attachment rows kept as versions: a copy of an Objekt row made before the
// row is overwritten or deleted, referenced by the change record that tells
// it (Objekt_ID) and by no case. Everything here runs in one transaction of
// its own, or inside the caller's. Throws dao::DaoError.

// Copies Objekt row objectId to a new row and returns the copy's ID; 0 when
// the row does not exist (nothing to keep).
long keepVersion(dao::Database &db, long objectId);

// A kept version's content, for showing it.
struct Version {
    long id = 0;
    QByteArray bytes;      // the picture file, or the document in the container's format
    bool picture = false;
    QString type;          // tClass: the file type
    QString script;        // mScript: the overlay (its PNG as hex) and its script
    bool exists() const { return id != 0; }
};
Version readVersion(dao::Database &db, long versionId);

// Puts version versionId back into the case's slot column (Objekt_ID_n):
// a new row with the version's content takes the slot, the row the slot
// held is kept as a version, and the restore is recorded under `field`.
// Returns the new row's ID.
long restoreVersion(dao::Database &db, long caseId, const QString &slotColumn, const QString &field, long versionId,
                    const QDateTime &now);

// Deletes the versions whose records are older than `before` (the records
// stay, their Objekt_ID then names no row) and records the purge. Returns
// how many were deleted.
long purgeVersions(dao::Database &db, const QDateTime &before, const QDateTime &now);

} // namespace history
