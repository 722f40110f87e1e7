// The attachment control's document side: the container's events, the
// document area, inserting, loading and opening documents in their
// application.

#include "RAZOleCtrlWidget.h"

#include "kelvane/FileRoutines.h"

#include "core/WaitCursor.h"
#include "ole/OleContainer.h"
#include "quarvik/PictureImport.h"
#include "quarvik/PictureView.h"

#include <QApplication>
#include <QFrame>

namespace kelvane {

void RAZOleCtrl::connectDocument()
{
    ole::OleContainer &container = m_document->OLECTRL();
    connect(&container, &ole::OleContainer::Click, this, [this] {
        if (QApplication::focusWidget() != this)
            setFocus();
    });
    connect(&container, &ole::OleContainer::MouseDown, this, [this](int button) { m_lastMouseButton = button; });
    connect(&container, &ole::OleContainer::DblClick, this, [this] { DoubleClickAction(); });
    connect(&container, &ole::OleContainer::Updated, this, [this](int code) { documentUpdated(code); });
}

void RAZOleCtrl::showDocumentArea()
{
    m_view->hide();
    m_bars.setPictureBarVisible(false);
    m_document->OleFrame().show();
}

void RAZOleCtrl::insertDocument(const QString &path, bool owned)
{
    if (!m_document)
        return;
    const core::WaitCursor hourglass;
    ClearDisplay();
    const QString error = m_document->embed(path);
    if (owned) {
        // The container holds the bytes; the file made for the control goes.
        QString ownedFile = path;
        DeleteTempFile(QString(), ownedFile);
    }
    showDocumentArea();
    // Only a document taken counts as a change: a file the container could
    // not take must not turn into the deletion of the stored attachment.
    if (error.isEmpty()) {
        m_session.setOverlay(nullptr, QString());
        m_session.markInserted();
    }
    UpdateButtons();
    if (!error.isEmpty())
        refuse(error, QStringLiteral("SetOleFile"));
}

void RAZOleCtrl::showLoadedDocument()
{
    const QString error = m_document->embed(m_session.TempFile());
    // The container has read the stored document; its file is not needed.
    m_session.deleteTempFile();
    showDocumentArea();
    if (!error.isEmpty())
        refuse(error, QStringLiteral("Kelvane: LoadObject"));
}

void RAZOleCtrl::EditAddOle()
{
    if (!m_document)
        return;
    {
        const core::WaitCursor hourglass;
        const QString title = QStringLiteral("EditAddOle");
        // A picture is edited by its own application through a link to its file.
        if (contentKind() == ContentKind::Picture && !m_view->fileName().isEmpty() && m_document->className().isEmpty()) {
            const QString error = m_document->linkPicture(m_view->fileName());
            if (!error.isEmpty())
                refuse(error, title);
        }
        if (!m_document->className().isEmpty()) {
            const QString error = m_document->open();
            if (!error.isEmpty())
                refuse(error, title);
            return;
        }
    }
    insertFromDialog();
}

void RAZOleCtrl::insertFromDialog()
{
    QString error;
    const QString chosen = m_document->insert(error);
    if (!error.isEmpty())
        refuse(error, QStringLiteral("EditAddOle"));
    if (!chosen.isEmpty()) {
        if (IsPictureFileName(chosen) || quarvik::PictureImport::isPictureFile(chosen)) {
            // A picture goes to the viewer instead of being embedded.
            m_document->clear();
            SetOleFile(chosen);
            return;
        }
        m_session.setOverlay(nullptr, QString());
        m_session.markInserted();
    }
    showDocumentArea();
    UpdateButtons();
}

void RAZOleCtrl::documentUpdated(int code)
{
    if (code == ole::OleContainer::UpdatedChanged) {
        m_session.setChanged(true);
        return;
    }
    if (code != ole::OleContainer::UpdatedClosed || m_locked || contentKind() != ContentKind::Picture)
        return;
    // The picture's application saved the very file the viewer shows: that
    // is a change to store, and the viewer reloads it under the same overlay.
    m_session.setChanged(true);
    m_view->setFileName(m_view->fileName());
    m_view->setOverlay(m_session.CurrentOverlay());
}

} // namespace kelvane
