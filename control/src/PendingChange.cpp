// The attachment control's change not stored yet, handed out for a recovery
// copy and put back from one.

#include "RAZOleCtrlWidget.h"

#include "kelvane/ErrorMessage.h"
#include "kelvane/FileRoutines.h"

#include "quarvik/PictureView.h"
#include "sendral/OverlayGraphic.h"

#include <QBuffer>
#include <QFileInfo>

namespace kelvane {
namespace {

const QString kTitle = QStringLiteral("Wiederherstellen");

// The recovered bytes as a file of the control's own, named for their type.
QString writeRecovered(const QString &fileName, const QString &fallbackExtension, const QByteArray &bytes)
{
    const QFileInfo name(fileName);
    const QString extension = name.suffix().isEmpty() ? fallbackExtension : name.suffix();
    const QString path = MakeTempFileName(QStringLiteral("Wiederhergestellt"), extension);
    if (path.isEmpty())
        return {};
    WriteFileBytes(path, bytes);
    return path;
}

} // namespace

PendingAttachment RAZOleCtrl::PendingChange()
{
    PendingAttachment change;
    if (!m_session.Changed())
        return change;
    switch (contentKind()) {
    case ContentKind::Empty:
        change.kind = PendingAttachment::Removed;
        break;
    case ContentKind::Picture:
        try {
            change.bytes = ReadFileBytes(m_view->fileName());
        } catch (const KelvaneError &) {
            return {};
        }
        change.kind = PendingAttachment::Picture;
        change.fileName = QFileInfo(m_view->fileName()).fileName();
        if (const auto &overlay = m_session.CurrentOverlay())
            change.overlay = overlay->Data().value_or(QByteArray());
        change.script = m_session.ScriptText();
        break;
    case ContentKind::Document: {
        QBuffer buffer(&change.bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!m_document->saveTo(buffer).isEmpty())
            return {};
        change.kind = PendingAttachment::Document;
        break;
    }
    }
    return change;
}

bool RAZOleCtrl::RestorePendingChange(const PendingAttachment &change)
{
    if (!m_started || m_locked)
        return false;
    // The stored row first, so that what comes back lies over it and a later
    // load does not cover it again.
    if (!m_session.Loaded()) {
        m_session.begin(idOf(m_session.Value()));
        ClearDisplay();
        if (idOf(m_session.Value()) != 0)
            loadNow();
        m_session.setLoaded(true);
    }
    try {
        switch (change.kind) {
        case PendingAttachment::Removed:
            DeleteObject();
            return true;
        case PendingAttachment::Picture: {
            const QString path = writeRecovered(change.fileName, QStringLiteral("jpg"), change.bytes);
            if (path.isEmpty())
                break;
            insertPicture(path, true);
            if (contentKind() != ContentKind::Picture || !m_session.Changed())
                return false;
            auto overlay = std::make_shared<sendral::OverlayGraphic>();
            if (!change.overlay.isEmpty() && overlay->SetData(change.overlay)) {
                m_session.setOverlay(overlay, change.script);
                m_view->setOverlay(overlay);
            }
            return true;
        }
        case PendingAttachment::Document: {
            const QString path = writeRecovered(QString(), QStringLiteral("OLE"), change.bytes);
            if (path.isEmpty())
                break;
            insertDocument(path, true);
            return contentKind() == ContentKind::Document && m_session.Changed();
        }
        default:
            return false;
        }
    } catch (const KelvaneError &error) {
        ShowErrorMessage(error.error(), QString(), 0, kTitle);
        return false;
    }
    refuse(QStringLiteral("Im temporären Ordner kann keine Datei angelegt werden."), kTitle);
    return false;
}

} // namespace kelvane
