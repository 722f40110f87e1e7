#include "kelvane/ObjectStorage.h"

#include "kelvane/ErrorMessage.h"
#include "kelvane/FileRoutines.h"

#include "dao/Dao.h"
#include "quarvik/PictureImport.h"
#include "sendral/OverlayGraphic.h"

#include <QDir>

#include <optional>

namespace kelvane {
namespace {

const QString kSeparator = QStringLiteral("[CAQOSCRIPT]");
const QString kSaveTitle = QStringLiteral("Kelvane: SaveObject");
const QString kLoadTitle = QStringLiteral("Kelvane: LoadObject");

// The extension after the file name's last ".", or nothing when the name has
// none (a dot in a folder name is no extension).
std::optional<QString> extensionOf(const QString &filePath)
{
    const qsizetype dot = filePath.lastIndexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    if (filePath.lastIndexOf(QDir::separator()) > dot)
        return std::nullopt;
    return filePath.mid(dot + 1);
}

// A stored extension as a file name's extension: it must not lead elsewhere.
QString safeExtension(QString extension)
{
    extension.replace(u'/', u'_');
    extension.replace(u'\\', u'_');
    return extension;
}

// Takes back the transaction begun at `depth`, never one of the host's around it.
void rollbackQuietly(dao::Database *db, int depth)
{
    try {
        if (db && depth >= 0 && db->IsOpen() && db->TransactionDepth() > depth)
            db->Rollback();
    } catch (const dao::DaoError &) {
        // The engine drops the transaction with the connection anyway.
    }
}

// The script column's text: the overlay's PNG as hexadecimal, the separator
// and the script; Null without an overlay. An overlay that cannot be encoded
// raises, before anything is written.
QVariant scriptColumn(const sendral::OverlayGraphic *overlay, const QString &scriptText)
{
    if (!overlay)
        return dao::Null();
    QString reason;
    const std::optional<QByteArray> png = overlay->Data(&reason);
    if (!png)
        throw KelvaneError(ErrInvalidPicture,
                           QStringLiteral("Die Objekt-Grafik kann nicht als Bild gespeichert werden (%1).").arg(reason));
    return QString(BytesToHex(*png) + kSeparator + scriptText);
}

// Writes the attachment's row in the caller's transaction.
void writeObjectRow(dao::Database &db, long id, const QString &filePath, const QByteArray &bytes,
                    const QVariant &script)
{
    // The old bytes go before the row is read, so that they are not read
    // into memory only to be replaced.
    db.Execute(QStringLiteral("Update Objekt Set lbObjekt = Null WHERE ID = ?"), {qlonglong(id)});
    // The row and its script in one write: a second statement on the
    // script would write the whole row with its bytes once more. A
    // database from before overlays has no script column; without an
    // overlay there is nothing to keep in it.
    const bool withScript = !dao::isNull(script) || db.TableHasColumn(QStringLiteral("Objekt"), QStringLiteral("mScript"));
    const QString statement = withScript
        ? QStringLiteral("Select ID, fBitmap, lbObjekt, tClass, mScript FROM Objekt where ID =?")
        : QStringLiteral("Select ID, fBitmap, lbObjekt, tClass FROM Objekt where ID =?");
    auto rs = db.OpenRecordset(statement, dao::RecordsetType::Dynaset, dao::RecordsetOption::None,
                               {qlonglong(id)});
    if (rs->RecordCount() > 0)
        rs->Edit();
    else
        rs->AddNew();
    rs->SetValue(QStringLiteral("ID"), qlonglong(id));
    // Emptied first, so that the one chunk replaces the old bytes instead of extending them.
    rs->SetValue(QStringLiteral("lbObjekt"), dao::Null());
    rs->SetValue(QStringLiteral("fBitmap"), quarvik::PictureImport::countsAsPicture(filePath));
    if (const std::optional<QString> extension = extensionOf(filePath))
        rs->SetValue(QStringLiteral("tClass"), *extension);
    rs->Fields(QStringLiteral("lbObjekt")).AppendChunk(bytes);
    if (withScript)
        rs->SetValue(QStringLiteral("mScript"), script);
    rs->Update();
    rs->Close();
}

} // namespace

dao::Database &ObjectStorage::requireDatabase() const
{
    if (!m_db)
        throw KelvaneError(ErrNoObject, QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt"));
    return *m_db;
}

bool ObjectStorage::SaveObject(long id, const QString &filePath, const sendral::OverlayGraphic *overlay,
                               const QString &scriptText)
{
    dao::DBEngine &engine = dao::DBEngine::instance();
    engine.clearErrors();
    dao::Database *db = nullptr;
    int depth = -1;
    try {
        const QByteArray bytes = ReadFileBytes(filePath);
        const QVariant script = scriptColumn(overlay, scriptText);
        db = &requireDatabase();
        depth = db->TransactionDepth();
        // Another workstation saving at the same moment holds the write lock
        // for a short while: the save waits for it as the case's own does.
        dao::retryWhileLocked(*db, [&] {
            db->BeginTrans();
            try {
                writeObjectRow(*db, id, filePath, bytes, script);
                db->CommitTrans();
            } catch (const dao::DaoError &) {
                rollbackQuietly(db, depth);
                throw;
            }
        });
        return true;
    } catch (const dao::DaoError &e) {
        const QList<dao::ErrorEntry> collected = engine.Errors();
        rollbackQuietly(db, depth);
        ShowErrorMessage(ErrObject{e.number(), e.description()}, QString(), 0, kSaveTitle, collected);
    } catch (const KelvaneError &e) {
        const QList<dao::ErrorEntry> collected = engine.Errors();
        rollbackQuietly(db, depth);
        ShowErrorMessage(e.error(), QString(), 0, kSaveTitle, collected);
    }
    return false;
}

bool ObjectStorage::LoadObject(long id, QString &tempFile, bool &isBitmap,
                               std::shared_ptr<sendral::OverlayGraphic> &overlay, QString &scriptText)
{
    dao::DBEngine::instance().clearErrors();
    try {
        dao::Database &db = requireDatabase();
        // Databases of older versions have no script column; they load
        // without overlays. Any other failure to read the script is the
        // load's failure: a picture shown without its overlay would lose it
        // with its next save. The script comes with the row: each statement
        // costs a round trip to a server.
        const bool scripted = db.TableHasColumn(QStringLiteral("Objekt"), QStringLiteral("mScript"));
        auto rs = db.OpenRecordset(QStringLiteral("Select ID, lbObjekt, fBitmap, tClass")
                                       + (scripted ? QStringLiteral(", mScript") : QString())
                                       + QStringLiteral(" from Objekt where ID =?"),
                                   dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(id)});
        if (rs->RecordCount() == 0) {
            rs->Close();
            return false;
        }
        isBitmap = rs->Value(QStringLiteral("fBitmap")).toBool();
        const QVariant script = scripted ? rs->Value(QStringLiteral("mScript")) : QVariant();

        if (isBitmap && !dao::isNull(script)) {
            const std::optional<StoredScript> stored = splitStoredScript(script.toString());
            if (!stored)
                throw KelvaneError(ErrSubscript, QStringLiteral("Index außerhalb des gültigen Bereichs"));
            auto loaded = std::make_shared<sendral::OverlayGraphic>();
            if (!loaded->SetData(stored->overlay))
                throw KelvaneError(ErrInvalidPicture, QStringLiteral("Ungültiges Bild"));
            overlay = std::move(loaded);
            scriptText = stored->script;
        }

        dao::Field &bytesField = rs->Fields(QStringLiteral("lbObjekt"));
        const qint64 size = bytesField.FieldSize();
        bool produced = false;
        if (size > 0) {
            const QByteArray bytes = bytesField.GetChunk(0, size);
            const QString extension = isBitmap ? safeExtension(rs->Value(QStringLiteral("tClass")).toString())
                                               : QStringLiteral("OLE");
            const QString path = MakeTempFileName(QStringLiteral("tmp") + QString::number(id), extension);
            try {
                WriteFileBytes(path, bytes);
            } catch (const KelvaneError &) {
                QString partial = path;
                DeleteTempFile(path, partial);
                throw;
            }
            tempFile = path;
            produced = true;
        }
        rs->Close();
        return produced;
    } catch (const dao::DaoError &e) {
        ShowErrorMessage(ErrObject{e.number(), e.description()}, QString(), 0, kLoadTitle);
    } catch (const KelvaneError &e) {
        ShowErrorMessage(e.error(), QString(), 0, kLoadTitle);
    }
    return false;
}

std::optional<ObjectStorage::StoredScript> ObjectStorage::splitStoredScript(const QString &stored)
{
    const qsizetype at = stored.indexOf(kSeparator, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    // Everything after the first separator, so that a script quoting it stays whole.
    return StoredScript{HexToBytes(stored.left(at)), stored.mid(at + kSeparator.size())};
}

void ObjectStorage::DeleteObjectRecord(long id)
{
    dao::Database &db = requireDatabase();
    dao::retryWhileLocked(db, [&] { db.Execute(QStringLiteral("Delete from Objekt where ID =?"), {qlonglong(id)}); });
}

} // namespace kelvane
