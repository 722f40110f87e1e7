#pragma once

#include "ControlDocument.h"
#include "ControlToolbars.h"
#include "ObjectSession.h"
#include "UnreadablePicture.h"

#include "kelvane/RAZOleCtrl.h"

#include <QWidget>

#include <memory>
#include <optional>

class QLabel;

namespace quarvik {
class PictureView;
}
namespace sendral {
class MessageHook;
struct HookAnswer;
}

namespace kelvane {

// The attachment control: one Objekt row shown in the picture viewer or, a
// document, in the container of ControlDocument, with the two toolbars below
// them. What it decides lives in ObjectSession, ZoomSteps, ControlToolbars and
// ControlDocument; this class wires them to the widgets.
class RAZOleCtrl : public QWidget, public _RAZOleCtrl {
    Q_OBJECT
public:
    // userMode False: a control at design time, which loads nothing.
    RAZOleCtrl(QWidget *parent, bool userMode);
    ~RAZOleCtrl() override;

    QWidget *hWnd() override { return this; }
    bool Enabled() const override { return m_enabled; }
    void SetEnabled(bool enabled) override;
    void SetDatabase(dao::Database *database) override { m_session.setDatabase(database); }
    bool OptimizeLoad() const override { return m_optimizeLoad; }
    void SetOptimizeLoad(bool optimize) override { m_optimizeLoad = optimize; }
    bool Changed() const override { return !m_locked && m_session.Changed(); }
    void SetChanged(bool changed) override { m_session.setChanged(changed); }
    bool HasButtons() const override { return m_hasButtons; }
    void SetHasButtons(bool hasButtons) override;
    bool Locked() const override { return m_locked; }
    void SetLocked(bool locked) override;
    bool AllowAppStart() const override { return m_allowAppStart; }
    void SetAllowAppStart(bool allow) override { m_allowAppStart = allow; }
    QVariant Value() const override { return m_session.Value(); }
    void SetValue(const QVariant &newId) override;
    QString DataField() const override { return m_dataField; }
    void SetDataField(const QString &dataField) override { m_dataField = dataField; }
    QImage Picture(bool Overlay = false) override;
    QVariant Tag() const override { return m_tag; }
    void SetTag(const QVariant &tag) override { m_tag = tag; }
    bool DoAction(int cmd) override;
    bool Save() override;
    void SetDatabaseID(long ID) override;
    void PrintOut(QPainter *, long, long, long, long, bool) override {}
    QImage PictureWithin(bool Overlay, const QSize &bound) override;
    void Advise(__RAZOleCtrl *sink) override { m_sink = sink; }
    void WriteProperties(PropertyBag &bag) const override;
    PendingAttachment PendingContent() override;
    bool RestorePendingContent(const PendingAttachment &change) override;
    int PendingChange() const override { return m_session.pendingChange(); }
    bool SavePending() override;
    bool Busy() const override { return m_busy; }

    // Reads the persisted properties (an empty bag gives a newly placed
    // control's) and, in user mode, starts the control for run time.
    void ReadProperties(PropertyBag &bag);
    // Whether the control can be seen, so that its row is worth loading.
    bool IsOnScreen() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Run time, layout and the deferred load.
    void runTimeStart();
    void layOut();
    void deferredLoad();
    void previewAhead();
    void loadNow();
    ContentKind contentKind() const;
    // The attachment as the user knows it, for messages.
    QString attachmentName() const;
    // Shows the card "Vorschau nicht möglich" in the picture's place.
    void showUnreadable();
    QImage withOverlay(QImage picture) const;

    // The user's actions and what the display shows (ControlActions.cpp).
    void connectActions();
    void editButtonClick(const QString &key);
    void menuClick(const QString &key);
    void pictureButtonClick(const QString &key, bool pressed);
    void zoomListClick();
    // owned: the file was made for this control (a scan) and goes with it.
    void SetOleFile(const QString &path, bool owned = false);
    // Inserts through the session, for the row of ticket; a refusal is told.
    void insertFile(const QString &path, bool owned, ObjectSession::Ticket ticket);
    // The session's display: shows what it holds, "" or why it cannot.
    QString render(const ObjectSession::Shown &shown);
    // Shows the picture file in the viewer and switches to the picture area.
    bool showPicture(const QString &path);
    void EditAddOle();
    // "Vom Handy ...": each file the phone sends is inserted as this
    // control's content (PhoneActions.cpp).
    void fromPhone();
    // "" when the file became the content of the row of ticket, else why not.
    QString takeFromPhone(const QString &path, ObjectSession::Ticket ticket);
    void DeleteObject();
    void UpdateButtons();
    void SetSizeToFit(bool on);
    void UpdateZoomButtons();
    // Zoom steps from the zoom shown (also a fitted one), keeping the picture
    // point under place (none: the view's centre, for the buttons; the mouse
    // for the wheel) where it is.
    void stepZoom(int steps, const std::optional<QPointF> &place);
    // ObjGrafic: the annotation editor over the shown picture, its overlay and script.
    void EditOverlay();
    void ShowFitZoom();
    void DoubleClickAction();
    void DragDropSpy_WndProc(QWidget *hWnd, QEvent *message, sendral::HookAnswer &answer);
    void refuse(const QString &text, const QString &title);

    // The document side (DocumentActions.cpp): the container's events, the
    // document area, inserting, loading and opening documents.
    void connectDocument();
    void showDocumentArea();
    void insertFromDialog();
    void documentUpdated(int code);

    quarvik::PictureView *m_view;
    QLabel *m_card;
    // A picture the preview program could not read, shown as a card.
    UnreadablePicture m_unreadable;
    bool m_loading = false;
    // Made at run-time start; none at design time.
    std::unique_ptr<ControlDocument> m_document;
    ControlToolbars m_bars;
    ObjectSession m_session;
    sendral::MessageHook *m_dragDropSpy = nullptr;
    __RAZOleCtrl *m_sink = nullptr;
    const bool m_userMode;
    bool m_started = false;
    bool m_loadQueued = false;
    bool m_aheadQueued = false;
    bool m_enabled = true;
    bool m_hasButtons = true;
    bool m_locked = false;
    bool m_optimizeLoad = true;
    bool m_allowAppStart = true;
    QString m_dataField;
    QVariant m_tag;
    int m_lastMouseButton = 0;
    bool m_hadContent = false;      // as the host was last told
    // A file dialog or a scan is running.
    bool m_busy = false;
};

} // namespace kelvane
