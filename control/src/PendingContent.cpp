// The attachment control's content not stored yet, handed out for a recovery
// copy and put back from one.

#include "RAZOleCtrlWidget.h"

#include "kelvane/ErrorMessage.h"
#include "kelvane/FileRoutines.h"

#include "ole/DocumentFormat.h"
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

PendingAttachment RAZOleCtrl::PendingContent()
{
    PendingAttachment change;
    if (m_session.pendingChange() == 0)
        return change;
    const ObjectSession::Shown &shown = m_session.shown();
    switch (shown.kind) {
    case ContentKind::Empty:
        change.kind = PendingAttachment::Removed;
        break;
    case ContentKind::Picture:
        try {
            change.bytes = ReadFileBytes(shown.pictureFile);
        } catch (const KelvaneError &) {
            return {};
        }
        change.kind = PendingAttachment::Picture;
        change.fileName = QFileInfo(shown.pictureFile).fileName();
        if (shown.overlay)
            change.overlay = shown.overlay->Data().value_or(QByteArray());
        change.script = shown.script;
        break;
    case ContentKind::Document: {
        QBuffer buffer(&change.bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!ole::writeDocument(buffer, shown.document))
            return {};
        change.kind = PendingAttachment::Document;
        break;
    }
    }
    return change;
}

bool RAZOleCtrl::RestorePendingContent(const PendingAttachment &change)
{
    if (!m_started || m_locked)
        return false;
    // The stored row first, so that what comes back lies over it and a later
    // load does not cover it again.
    if (!m_session.Loaded())
        loadNow();
    QString path;
    try {
        switch (change.kind) {
        case PendingAttachment::Removed:
            DeleteObject();
            return true;
        case PendingAttachment::Picture:
            path = writeRecovered(change.fileName, QStringLiteral("jpg"), change.bytes);
            break;
        case PendingAttachment::Document:
            path = writeRecovered(QString(), QStringLiteral("OLE"), change.bytes);
            break;
        default:
            return false;
        }
    } catch (const KelvaneError &error) {
        ShowErrorMessage(error.error(), QString(), 0, kTitle);
        return false;
    }
    if (path.isEmpty()) {
        refuse(QStringLiteral("Im temporären Ordner kann keine Datei angelegt werden."), kTitle);
        return false;
    }
    const QString refusal = m_session.insert(path, true);
    if (!refusal.isEmpty()) {
        UpdateButtons();
        refuse(refusal, kTitle);
        return false;
    }
    if (change.kind == PendingAttachment::Picture && !change.overlay.isEmpty()) {
        auto overlay = std::make_shared<sendral::OverlayGraphic>();
        if (overlay->SetData(change.overlay)) {
            m_session.annotate(overlay, change.script, true);
            m_view->setOverlay(m_session.CurrentOverlay());
        }
    }
    UpdateButtons();
    return true;
}

} // namespace kelvane
