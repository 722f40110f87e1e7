#include "ObjectSession.h"

#include "kelvane/ErrorMessage.h"
#include "kelvane/FileRoutines.h"

#include "core/MessageService.h"
#include "core/Twips.h"
#include "dao/Dao.h"
#include "sendral/OverlayGraphic.h"

#include <QFile>

namespace kelvane {

ContentKind contentKindOf(bool displayReady, const QString &pictureFile, const QString &documentClass)
{
    if (!displayReady)
        return ContentKind::Empty;
    if (!pictureFile.isEmpty())
        return ContentKind::Picture;
    if (!documentClass.isEmpty())
        return ContentKind::Document;
    return ContentKind::Empty;
}

long idOf(const QVariant &value)
{
    if (dao::isNull(value))
        return 0;
    return long(core::leadingNumber(QStringLiteral("0") + value.toString().trimmed()));
}

ObjectSession::~ObjectSession()
{
    deleteTempFile();
}

void ObjectSession::deleteTempFile()
{
    DeleteTempFile(QString(), m_tempFile);
}

void ObjectSession::adoptTempFile(const QString &path)
{
    if (path == m_tempFile)
        return;
    deleteTempFile();
    m_tempFile = path;
}

void ObjectSession::reset()
{
    deleteTempFile();
    m_script.clear();
    m_overlay.reset();
    m_value = QVariant();
}

void ObjectSession::begin(long id)
{
    reset();
    if (id != 0)
        m_value = qlonglong(id);
    m_loaded = id == 0;
    m_changed = false;
    m_deleted = false;
}

bool ObjectSession::load()
{
    const long id = idOf(m_value);
    m_loaded = true;
    if (id == 0)
        return false;
    if (!m_storage.LoadObject(id, m_tempFile, m_isBitmap, m_overlay, m_script)) {
        m_value = QVariant();
        return false;
    }
    return true;
}

void ObjectSession::setOverlay(std::shared_ptr<sendral::OverlayGraphic> overlay, const QString &script)
{
    m_overlay = std::move(overlay);
    m_script = script;
}

void ObjectSession::markInserted()
{
    m_deleted = false;
    m_changed = true;
}

void ObjectSession::markDeleted()
{
    deleteTempFile();
    m_deleted = true;
    m_changed = true;
}

bool ObjectSession::save(const Content &content, const std::function<QVariant()> &newPrimary)
{
    const QVariant valueBefore = m_value;
    const bool deletedBefore = m_deleted;
    const bool changedBefore = m_changed;
    long id = idOf(m_value);
    if (id == 0 && content.kind != ContentKind::Empty) {
        id = idOf(newPrimary ? newPrimary() : QVariant());
        m_deleted = false;
        m_changed = true;
        // Content without a number would be dropped without a word.
        if (id == 0) {
            m_deleted = deletedBefore;
            m_changed = changedBefore;
            return false;
        }
    }
    long kept = id;
    const bool written = id == 0 || writeRow(id, content, kept);
    if (!written) {
        m_value = valueBefore;
        m_deleted = deletedBefore;
        m_changed = true;
        return false;
    }
    m_changed = false;
    m_deleted = false;
    m_value = kept == 0 ? QVariant() : QVariant(qlonglong(kept));
    return true;
}

bool ObjectSession::writeRow(long id, const Content &content, long &kept)
{
    try {
        if (m_deleted) {
            m_storage.DeleteObjectRecord(id);
            kept = 0;
            return true;
        }
        if (!m_changed)
            return true;
        switch (content.kind) {
        case ContentKind::Picture:
            return m_storage.SaveObject(id, content.pictureFile, m_overlay.get(), m_script);
        case ContentKind::Empty:
            m_storage.DeleteObjectRecord(id);
            kept = 0;
            return true;
        case ContentKind::Document:
            return writeDocumentRow(id, content);
        }
    } catch (const dao::DaoError &error) {
        core::showMessage(error.description(), core::MsgIcon::Exclamation, core::MsgButtons::Ok, QStringLiteral("Save"));
    } catch (const KelvaneError &error) {
        core::showMessage(error.error().Description, core::MsgIcon::Exclamation, core::MsgButtons::Ok,
                          QStringLiteral("Save"));
    }
    return false;
}

bool ObjectSession::writeDocumentRow(long id, const Content &content)
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
            error = content.writeDocument ? content.writeDocument(file)
                                          : QStringLiteral("Das Dokument kann nicht gespeichert werden.");
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
    QString none;
    if (!temp.isEmpty())
        DeleteTempFile(temp, none);
    return saved;
}

} // namespace kelvane
