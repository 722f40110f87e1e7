#pragma once

#include <QImage>
#include <QString>

#include <memory>

class QColor;
class QFrame;
class QIODevice;
class QSize;
class QWidget;

namespace ole {
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

    // A file whose name contains ".OLE" is a stored document and is read
    // back; any other file is embedded.
    QString embed(const QString &path);
    // Links the picture file the viewer shows, so that its own application
    // edits that very file.
    QString linkPicture(const QString &path);
    // Opens the document in the desktop's application (the open verb).
    QString open();
    // "Objekt einfügen": the path chosen and embedded, "" when cancelled or
    // when it could not be embedded (then error tells why).
    QString insert(QString &error);
    // Empties the container: no document, class or source document.
    void clear();
    // Writes the document in the container's format to device.
    QString saveTo(QIODevice &device) const;

    // What the container shows, the same for the report; pictureWithin
    // draws it for a bound (printing). Null while it holds nothing.
    QImage picture() const;
    QImage pictureWithin(const QSize &bound) const;

    void setBackColor(const QColor &colour);

private:
    std::unique_ptr<ole::frmOle> m_form;
};

} // namespace kelvane
