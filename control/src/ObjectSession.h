#pragma once

#include "kelvane/ObjectStorage.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QIODevice;

namespace sendral {
class OverlayGraphic;
}

namespace kelvane {

// What the attachment control shows: nothing, a picture in the viewer, or a
// document in the container.
enum class ContentKind { Empty = 0, Document = 1, Picture = 2 };

// The content kind from what the display holds: a picture file in the viewer
// comes first, then a document's class in the container.
ContentKind contentKindOf(bool displayReady, const QString &pictureFile, const QString &documentClass);

// The number of "0" followed by a value's text: Null and "" give 0.
long idOf(const QVariant &value);

// One control's attachment row as it is loaded, changed and written back:
// the row number, the clean/changed/deleted state, the temporary file and
// the overlay. The control shows what it loads and says what it holds.
class ObjectSession {
public:
    ObjectSession() = default;
    ~ObjectSession();
    ObjectSession(const ObjectSession &) = delete;
    ObjectSession &operator=(const ObjectSession &) = delete;

    void setDatabase(dao::Database *database) { m_storage.setDatabase(database); }
    dao::Database *database() const { return m_storage.database(); }

    // Forgets the shown row and its temporary file: Value Null, no overlay.
    void reset();
    // Starts on row id (0: none). Loaded stays False until load() runs.
    void begin(long id);
    // Reads the row begun into a temporary file. False when there was
    // nothing to read or reading failed (told by the storage); Value is then Null.
    bool load();

    // What save() does with the content; id 0 keeps no row.
    struct Content {
        ContentKind kind = ContentKind::Empty;
        QString pictureFile;
        // A document writes itself into the open file; "" or the reason it could not.
        std::function<QString(QIODevice &)> writeDocument;
    };
    // Writes the content to its row, asking newPrimary for a number when it
    // has none. True when every step succeeded; on failure the state stays as
    // it was before (Changed, Deleted and Value), so that a later save
    // writes it all again.
    bool save(const Content &content, const std::function<QVariant()> &newPrimary);

    // A new content was put in; Deleted is over.
    void markInserted();
    // The content was removed; the next save deletes the row.
    void markDeleted();

    QVariant Value() const { return m_value; }
    bool Changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }
    bool Deleted() const { return m_deleted; }
    bool Loaded() const { return m_loaded; }
    void setLoaded(bool loaded) { m_loaded = loaded; }

    const QString &TempFile() const { return m_tempFile; }
    bool IsBitmap() const { return m_isBitmap; }
    const std::shared_ptr<sendral::OverlayGraphic> &CurrentOverlay() const { return m_overlay; }
    const QString &ScriptText() const { return m_script; }
    void setOverlay(std::shared_ptr<sendral::OverlayGraphic> overlay, const QString &script);
    // Deletes the temporary file of the loaded row.
    void deleteTempFile();
    // A file made for the content (a converted or scanned picture) becomes
    // the temporary file, deleted with the next one or at the end.
    void adoptTempFile(const QString &path);

private:
    bool writeRow(long id, const Content &content, long &kept);
    // Through the container's own file "tmp<ID>.OLE", without a script.
    bool writeDocumentRow(long id, const Content &content);

    ObjectStorage m_storage;
    QVariant m_value;
    bool m_changed = false;
    bool m_deleted = false;
    bool m_loaded = false;
    QString m_tempFile;
    bool m_isBitmap = false;
    std::shared_ptr<sendral::OverlayGraphic> m_overlay;
    QString m_script;
};

} // namespace kelvane
