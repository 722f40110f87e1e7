#pragma once

#include <QFrame>
#include <QPointer>
#include <QWidget>


namespace ole {

class OleContainer;

// The hidden host form of the document container: Frame1 holding OLE1, which
// fills it. The control makes Frame1 a child of its own window and places
// it; destroying the form (unloading it) removes Frame1 and OLE1 wherever
// they are by then.
class frmOle : public QWidget {
    Q_OBJECT
public:
    explicit frmOle(QWidget *parent = nullptr);
    ~frmOle() override;

    QFrame *Frame1() const { return m_frame; }
    OleContainer *OLE1() const { return m_ole; }

private:
    QPointer<QFrame> m_frame;
    QPointer<OleContainer> m_ole;
};

} // namespace ole
