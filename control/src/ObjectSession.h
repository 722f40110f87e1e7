#pragma once

#include "kelvane/ObjectStorage.h"
#include "kelvane/RAZOleCtrl.h"

#include "ole/Document.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace sendral {
class OverlayGraphic;
}

namespace kelvane {

// What the attachment control shows: nothing, a picture in the viewer, or a
// document in the container.
enum class ContentKind { Empty = 0, Document = 1, Picture = 2 };

// The number of "0" followed by a value's text: Null and "" give 0.
long idOf(const QVariant &value);

// The one owner of one control's attachment: what its Objekt row stores,
// what is shown, and what is pending between the two. Every road that
// changes the content (load, insert, delete, annotate, an edit outside,
// save) goes through here; the control only shows what this holds, through
// the display it hands over. A road that is refused leaves the row, what is
// shown and what is pending exactly as they were.
class ObjectSession {
public:
    // What is shown: a picture file with its overlay and script, or a document.
    struct Shown {
        ContentKind kind = ContentKind::Empty;
        QString pictureFile;
        ole::Document document;
        std::shared_ptr<sendral::OverlayGraphic> overlay;
        QString script;
    };
    // Shows what it is given: "" when shown, else why not (German).
    using Display = std::function<QString(const Shown &)>;
    // A row begun: an insert that waited (a scan) is taken only for the row it was started for.
    using Ticket = unsigned;

    ObjectSession() = default;
    ~ObjectSession();
    ObjectSession(const ObjectSession &) = delete;
    ObjectSession &operator=(const ObjectSession &) = delete;

    void setDatabase(dao::Database *database) { m_storage.setDatabase(database); }
    dao::Database *database() const { return m_storage.database(); }
    // Without a display, changes only take place here.
    void setDisplay(Display display) { m_display = std::move(display); }

    // Starts on row id (0: none) with nothing shown and nothing pending.
    // Loaded stays False until load() runs (True at once for none).
    void begin(long id);
    // Reads the row begun and shows it. "" when shown or when there was
    // nothing to read; a failure of the storage is told by the storage and
    // leaves Value Null; content that cannot be shown gives the reason and
    // leaves the row as it is.
    QString load();

    // Takes the file at path as the new content: a picture (by its content,
    // then by its name's last extension) or else a document; a stored
    // document file is read back as the document it holds. "" when taken,
    // else the reason of the refusal, and nothing has changed. owned: the
    // file was made for this content (a scan) and goes when it is no longer needed.
    QString insert(const QString &path, bool owned = false);
    Ticket ticket() const { return m_generation; }
    // insert, when the row begun is still the one of ticket.
    QString insertFor(Ticket ticket, const QString &path, bool owned);
    // The content is removed; the next save deletes the row.
    void remove();
    // The annotation editor's result; changed: the overlay was changed.
    void annotate(std::shared_ptr<sendral::OverlayGraphic> overlay, const QString &script, bool changed);
    // The container took back a document changed in its application.
    void documentEdited(const ole::Document &document);
    // The picture's own application saved the very file shown.
    void pictureEdited();

    // Writes what is pending to the row, asking newPrimary for a number when
    // there is none. True when every step succeeded; on failure the row
    // number and what is pending stay as they were, so that a later save
    // writes it all again.
    bool save(const std::function<QVariant()> &newPrimary);

    const Shown &shown() const { return m_shown; }
    ContentKind kind() const { return m_shown.kind; }
    QVariant Value() const { return m_value; }
    // The host's flag: set by every change, cleared by save, begin and the host.
    bool Changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }
    bool Deleted() const { return m_deleted; }
    bool Loaded() const { return m_loaded; }
    // What is shown differs from the row in these ways (AttachmentChange
    // bits); 0 when it shows what is stored. The host's flag does not clear it.
    int differences() const { return m_differences; }
    // The change still to be written: differences() while the host's flag is
    // set (Edited for a change of unknown kind), else 0.
    int pendingChange() const;

    const std::shared_ptr<sendral::OverlayGraphic> &CurrentOverlay() const { return m_shown.overlay; }
    const QString &ScriptText() const { return m_shown.script; }

private:
    QString show(const Shown &shown);
    // The new content made from the file, or the reason it is refused.
    QString prepare(const QString &path, Shown &next, QString &made) const;
    // Deletes the files made for content no longer shown.
    void dropFilesBut(const QString &kept);
    bool writeRow(long id, long &kept);
    // Through the container's own file "tmp<ID>.OLE", without a script.
    bool writeDocumentRow(long id);
    bool hasStoredRow() const { return idOf(m_value) != 0; }

    ObjectStorage m_storage;
    Display m_display;
    QVariant m_value;
    bool m_changed = false;
    bool m_deleted = false;
    bool m_loaded = false;
    int m_differences = 0;
    Ticket m_generation = 0;
    Shown m_shown;
    // Temporary files made for content (the loaded row, a scan, a converted picture).
    QStringList m_files;
};

} // namespace kelvane
