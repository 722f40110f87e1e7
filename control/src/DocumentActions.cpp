// The attachment control's document side: the container's events, the
// document area, "Objekt einfügen" and opening the content in its application.

#include "RAZOleCtrlWidget.h"

#include "core/WaitCursor.h"
#include "ole/OleContainer.h"
#include "ole/InsertObjectDialog.h"
#include "quarvik/PictureView.h"

#include <QApplication>
#include <QFrame>
#include <QScopedValueRollback>

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
    // Whatever is chosen takes the road of every insert: a picture goes to
    // the viewer, a refused file changes nothing.
    const ObjectSession::Ticket ticket = m_session.ticket();
    QString path;
    {
        const QScopedValueRollback<bool> waiting(m_busy, true);
        path = ole::chooseInsertFile(this);
    }
    if (!path.isEmpty())
        insertFile(path, false, ticket);
    UpdateButtons();
}

void RAZOleCtrl::documentUpdated(int code)
{
    if (code == ole::OleContainer::UpdatedChanged) {
        m_session.documentEdited(m_document->OLECTRL().document());
        return;
    }
    if (code != ole::OleContainer::UpdatedClosed || m_locked || contentKind() != ContentKind::Picture)
        return;
    // The picture's application saved the very file the viewer shows: that
    // is a change to store, and the viewer reloads it under the same overlay.
    m_session.pictureEdited();
    m_view->setFileName(m_view->fileName());
    m_view->setOverlay(m_session.CurrentOverlay());
}

} // namespace kelvane
