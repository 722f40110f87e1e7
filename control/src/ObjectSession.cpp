#include "ObjectSession.h"

#include "kelvane/ErrorMessage.h"
#include "kelvane/FileRoutines.h"

#include "core/MessageService.h"
#include "core/Twips.h"
#include "dao/Dao.h"
#include "ole/DocumentFormat.h"
#include "quarvik/PictureImport.h"
#include "sendral/OverlayGraphic.h"

#include <QFile>
#include <QFileInfo>

namespace kelvane {
namespace {

void deleteFile(const QString &path)
{
    QString none;
    if (!path.isEmpty())
        DeleteTempFile(path, none);
}

} // namespace

long idOf(const QVariant &value)
{
    if (dao::isNull(value))
        return 0;
    return long(core::leadingNumber(QStringLiteral("0") + value.toString().trimmed()));
}

ObjectSession::~ObjectSession()
{
    dropFilesBut(QString());
}

void ObjectSession::dropFilesBut(const QString &kept)
{
    for (const QString &file : std::as_const(m_files))
        if (file != kept)
            deleteFile(file);
    m_files.clear();
    if (!kept.isEmpty())
        m_files.append(kept);
}

QString ObjectSession::show(const Shown &shown)
{
    return m_display ? m_display(shown) : QString();
}

void ObjectSession::begin(long id)
{
    ++m_generation;
    m_shown = Shown();
    show(m_shown);
    dropFilesBut(QString());
    m_value = id != 0 ? QVariant(qlonglong(id)) : QVariant();
    m_loaded = id == 0;
    m_changed = false;
    m_deleted = false;
    m_differences = 0;
}

QString ObjectSession::load()
{
    const long id = idOf(m_value);
    m_loaded = true;
    if (id == 0)
        return {};
    QString file;
    bool isBitmap = false;
    Shown next;
    if (!m_storage.LoadObject(id, file, isBitmap, next.overlay, next.script)) {
        m_value = QVariant();
        return {};
    }
    m_files.append(file);
    QString error;
    if (isBitmap) {
        next.kind = ContentKind::Picture;
        next.pictureFile = file;
    } else {
        // The document lives in memory; its file is not needed any more.
        try {
            next.document = ole::documentOfFile(file);
            next.kind = ContentKind::Document;
        } catch (const ole::OleError &failure) {
            error = failure.description();
        }
        dropFilesBut(QString());
    }
    if (error.isEmpty())
        error = show(next);
    if (!error.isEmpty()) {
        // The row stays as stored; nothing is shown of it.
        show(m_shown);
        return error;
    }
    m_shown = std::move(next);
    return {};
}

QString ObjectSession::prepare(const QString &path, Shown &next, QString &made) const
{
    if (const QString refusal = quarvik::PictureImport::refusalOf(path); !refusal.isEmpty())
        return refusal;
    if (quarvik::PictureImport::countsAsPicture(path)) {
        const quarvik::PreparedPicture prepared = quarvik::PictureImport::prepare(path);
        if (!prepared.ok())
            return prepared.error;
        next.kind = ContentKind::Picture;
        next.pictureFile = prepared.path;
        if (prepared.temporary)
            made = prepared.path;
        return {};
    }
    try {
        next.document = ole::documentOfFile(path);
        next.kind = ContentKind::Document;
    } catch (const ole::OleError &failure) {
        return failure.description();
    }
    return {};
}

QString ObjectSession::insert(const QString &path, bool owned)
{
    Shown next;
    QString made;
    QString refusal = prepare(path, next, made);
    if (refusal.isEmpty()) {
        refusal = show(next);
        if (!refusal.isEmpty())
            show(m_shown);
    }
    if (!refusal.isEmpty()) {
        deleteFile(made);
        if (owned)
            deleteFile(path);
        return refusal;
    }
    // Only the file shown is kept: the converted copy, or the file made for
    // this content; what an earlier content needed goes.
    QString kept = made;
    if (owned) {
        if (kept.isEmpty() && next.kind == ContentKind::Picture)
            kept = path;
        else
            deleteFile(path);
    }
    dropFilesBut(kept);
    m_shown = std::move(next);
    // What the user chose stands; the row begun is not loaded over it.
    m_loaded = true;
    m_deleted = false;
    m_changed = true;
    m_differences = hasStoredRow() ? ChangeReplaced : ChangeInserted;
    return {};
}

QString ObjectSession::insertFor(Ticket ticket, const QString &path, bool owned)
{
    if (ticket == m_generation)
        return insert(path, owned);
    if (owned)
        deleteFile(path);
    return QStringLiteral("Das eingefügte Bild gehört zu einem Vorgang, der nicht mehr angezeigt wird; "
                          "es wurde verworfen.");
}

void ObjectSession::remove()
{
    m_shown = Shown();
    show(m_shown);
    dropFilesBut(QString());
    m_loaded = true;
    m_deleted = true;
    m_changed = true;
    m_differences = hasStoredRow() ? ChangeDeleted : 0;
}

void ObjectSession::annotate(std::shared_ptr<sendral::OverlayGraphic> overlay, const QString &script, bool changed)
{
    m_shown.overlay = std::move(overlay);
    m_shown.script = script;
    if (!changed)
        return;
    m_changed = true;
    m_differences |= ChangeAnnotated;
}

void ObjectSession::documentEdited(const ole::Document &document)
{
    if (m_shown.kind == ContentKind::Document)
        m_shown.document = document;
    m_changed = true;
    m_differences |= ChangeEdited;
}

void ObjectSession::pictureEdited()
{
    m_changed = true;
    m_differences |= ChangeEdited;
}

int ObjectSession::pendingChange() const
{
    if (!m_changed)
        return 0;
    return m_differences != 0 ? m_differences : int(ChangeEdited);
}

bool ObjectSession::save(const std::function<QVariant()> &newPrimary)
{
    long id = idOf(m_value);
    const bool deletedBefore = m_deleted;
    if (id == 0 && m_shown.kind != ContentKind::Empty) {
        id = idOf(newPrimary ? newPrimary() : QVariant());
        // Content without a number would be dropped without a word.
        if (id == 0)
            return false;
        // A new row: whatever is shown is written.
        m_changed = true;
        m_deleted = false;
    }
    long kept = id;
    if (id != 0 && !writeRow(id, kept)) {
        m_changed = true;
        m_deleted = deletedBefore;
        return false;
    }
    m_value = kept == 0 ? QVariant() : QVariant(qlonglong(kept));
    m_changed = false;
    m_deleted = false;
    m_differences = 0;
    return true;
}

bool ObjectSession::writeRow(long id, long &kept)
{
    try {
        if (m_deleted) {
            m_storage.DeleteObjectRecord(id);
            kept = 0;
            return true;
        }
        if (!m_changed)
            return true;
        switch (m_shown.kind) {
        case ContentKind::Picture:
            return m_storage.SaveObject(id, m_shown.pictureFile, m_shown.overlay.get(), m_shown.script);
        case ContentKind::Document:
            return writeDocumentRow(id);
        case ContentKind::Empty:
            // Nothing shown but nothing deleted either (a stored row that
            // could not be shown): the row stays as it is.
            return true;
        }
    } catch (const dao::DaoError &error) {
        core::showMessage(error.description(), core::MsgIcon::Exclamation, core::MsgButtons::Ok, QStringLiteral("Save"));
    } catch (const KelvaneError &error) {
        core::showMessage(error.error().Description, core::MsgIcon::Exclamation, core::MsgButtons::Ok,
                          QStringLiteral("Save"));
    }
    return false;
}

bool ObjectSession::writeDocumentRow(long id)
{
    const QString temp = MakeTempFileName(QStringLiteral("tmp") + QString::number(id), QStringLiteral("OLE"));
    QString error;
    if (temp.isEmpty()) {
        error = QStringLiteral("Für das Dokument ist im temporären Ordner kein freier Dateiname zu finden.");
    } else {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
            error = QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden: %2").arg(temp, file.errorString());
        } else {
            if (!ole::writeDocument(file, m_shown.document, &error) && error.isEmpty())
                error = QStringLiteral("Das Dokument kann nicht gespeichert werden.");
            file.close();
            if (error.isEmpty() && file.error() != QFileDevice::NoError)
                error = QStringLiteral("Das Dokument kann nicht gespeichert werden: %1").arg(file.errorString());
        }
    }
    bool saved = false;
    if (error.isEmpty())
        saved = m_storage.SaveObject(id, temp, nullptr, QString());
    else
        core::showMessage(error, core::MsgIcon::Exclamation, core::MsgButtons::Ok, QStringLiteral("Save"));
    deleteFile(temp);
    return saved;
}

} // namespace kelvane
