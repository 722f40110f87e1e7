#pragma once

#include <QImage>
#include <QString>

#include <memory>

class QColor;
class QFrame;
class QSize;
class QWidget;

namespace ole {
struct Document;
class OleContainer;
class frmOle;
}

namespace kelvane {

// The attachment control's document side: the hidden form frmOle, whose
// Frame1 with the container OLE1 (the control's OLECTRL) lies in the
// control's window on the same rectangle as the picture viewer. The
// operations that can fail give the German description to show, "" when
// they succeeded; the control decides what the display does then.
class ControlDocument {
public:
    // Creates the form, sets the container up as the control needs it
    // (opened only on request, no drops, content fitted) and places the
    // frame, hidden, in host.
    explicit ControlDocument(QWidget &host);
    // Unloads the form; a document still open outside keeps its copy.
    ~ControlDocument();
    ControlDocument(const ControlDocument &) = delete;
    ControlDocument &operator=(const ControlDocument &) = delete;

    ole::OleContainer &OLECTRL() const;
    QFrame &OleFrame() const;
    QString className() const;

    // Holds document, as the control's content was read or embedded.
    void show(const ole::Document &document);
    // Links the picture file the viewer shows, so that its own application
    // edits that very file.
    QString linkPicture(const QString &path);
    // Opens the document in the desktop's application (the open verb).
    QString open();
    // Empties the container: no document, class or source document.
    void clear();
    // What the container shows, the same for the report; pictureWithin
    // draws it for a bound (printing). Null while it holds nothing.
    QImage picture() const;
    QImage pictureWithin(const QSize &bound) const;

    void setBackColor(const QColor &colour);

private:
    std::unique_ptr<ole::frmOle> m_form;
};

} // namespace kelvane
