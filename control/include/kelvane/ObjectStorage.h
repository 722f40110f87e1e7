#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace dao {
class Database;
}
namespace sendral {
class OverlayGraphic;
}

namespace kelvane {

// Reads and writes the attachments of table Objekt on the database the host
// hands over (borrowed, never opened or closed here). One row holds a file's
// complete bytes (lbObjekt), whether it is a picture (fBitmap), its extension
// (tClass) and, for a picture, its overlay and overlay script (mScript:
// the overlay's byte image in hexadecimal, "[CAQOSCRIPT]", the script).
//
// SaveObject and LoadObject report their failures themselves in a message box
// titled "Kelvane: SaveObject" / "Kelvane: LoadObject".
class ObjectStorage {
public:
    explicit ObjectStorage(dao::Database *database = nullptr) : m_db(database) {}

    void setDatabase(dao::Database *database) { m_db = database; }
    dao::Database *database() const { return m_db; }

    // Writes the file FilePath into row ID (made when missing), with the
    // overlay and its script or, without an overlay, with no script. The row
    // and its script are written together or not at all. True when written.
    bool SaveObject(long id, const QString &filePath, const sendral::OverlayGraphic *overlay,
                    const QString &scriptText);

    // Writes row ID's bytes to a new temporary file "tmp<ID>.<tClass>" (a
    // document: ".OLE") and gives its path in tempFile. For a picture with a
    // stored overlay, overlay and scriptText receive them; otherwise they keep
    // what the caller passed. False when the row is missing, holds no bytes
    // or cannot be read; tempFile then keeps its value.
    bool LoadObject(long id, QString &tempFile, bool &isBitmap, std::shared_ptr<sendral::OverlayGraphic> &overlay,
                    QString &scriptText);

    // Deletes row ID; a failure raises dao::DaoError to the caller.
    void DeleteObjectRecord(long id);

    // The stored script column split into the overlay's picture bytes (from
    // their hex text) and the script after the first separator; nullopt
    // without a separator.
    struct StoredScript {
        QByteArray overlay;
        QString script;
    };
    static std::optional<StoredScript> splitStoredScript(const QString &stored);

private:
    dao::Database &requireDatabase() const;

    dao::Database *m_db;
};

} // namespace kelvane
