#pragma once

// OleContainer: the document container the attachment control hosts as
// OLE1 (OLECTRL) inside Frame1 of frmOle (frmOle.h). It holds one document.
//
// How the control uses it:
// - createEmbed(path) embeds a file (class = its MIME type, source document =
//   path); createLink(path) links a picture file the viewer shows, so that
//   doVerb opens that very file; deleteObject() empties it. className() is
//   empty while it holds nothing (content kind 0).
// - saveToFile(device)/readFromFile(device) write and read the document at
//   the device's position in the format of DocumentFormat.h; both raise
//   OleError with a German description, as do createEmbed and createLink.
// - doVerb(OpenVerb) (-2) or the primary verb (0) opens the document in the
//   desktop's application: an embedded one as a copy in a private temporary
//   folder (owner-only, one per container), which is watched; once a saved
//   change has come to rest the container takes the new bytes and raises
//   Updated(0). A linked file is watched in its own folder and a change on
//   disk raises Updated(2), after which the viewer reloads it.
// - insertObjectDialog() is "Objekt einfügen": a file of any type; the chosen
//   file is embedded and its path returned, "" when cancelled (nothing
//   changes then). The caller decides whether a picture goes to its viewer.
// - picture() is what the container shows (DocumentPicture.h), pictureAt(size)
//   the same drawn for a given size (printing), both waiting for the preview
//   program; the window itself shows "Vorschau wird erstellt ..." until the
//   program answers. setAppIsRunning(true) holds only while there is a
//   document.
// - Events: Click (mouse released over it), MouseDown(button: 1 left, 2 right,
//   4 middle), DblClick, Updated(code: 0 changed, 2 closed).
// - The settings of the classic container (activation, verb menu, dropping,
//   display type, update option, flags, size mode) are kept as given; this
//   container opens only through doVerb, takes no drops and always shows the
//   content fitted into its area. The background colour is painted.
//
// A document still open outside when the container goes away keeps its
// temporary copy, so the application can go on saving to it; that copy is
// removed when the program ends (the folder then belongs to the application
// object). A copy never opened outside is removed with the container.

#include "ole/Document.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

class QIODevice;

namespace sandbox {
class PreviewJob;
}

namespace ole {

class EditFolder;
class SettledFileWatch;

// The classic container's settings; kept, see above.
struct ContainerSettings {
    enum AutoActivate { ActivateManual = 0, ActivateGetFocus = 1, ActivateDoubleClick = 2, ActivateAutomatic = 3 };
    enum SizeMode { SizeClip = 0, SizeStretch = 1, SizeAutoSize = 2, SizeZoom = 3 };
    enum UpdateOptions { UpdateAutomatic = 0, UpdateFrozen = 1, UpdateManual = 2 };
    enum DisplayType { DisplayContent = 0, DisplayIcon = 1 };
    enum MiscFlags { MemoryStorage = 1, DisableInPlace = 2 };

    int autoActivate = ActivateDoubleClick;
    bool autoVerbMenu = true;
    bool oleDropAllowed = false;
    int displayType = DisplayContent;
    int updateOptions = UpdateAutomatic;
    int miscFlags = 0;
    int sizeMode = SizeClip;
};

class OleContainer : public QWidget {
    Q_OBJECT
public:
    enum Verb { PrimaryVerb = 0, OpenVerb = -2 };
    enum UpdatedCode { UpdatedChanged = 0, UpdatedClosed = 2 };

    explicit OleContainer(QWidget *parent = nullptr);
    ~OleContainer() override;

    void createEmbed(const QString &path);
    void createLink(const QString &path);
    // Holds document, read or embedded elsewhere, as an embedded one.
    void embedDocument(Document document) { setDocument(std::move(document), false); }
    void deleteObject();
    bool isLinked() const { return m_linked; }

    QString className() const { return m_document.className; }
    void setClassName(const QString &className);
    QString sourceDoc() const { return m_document.sourceDoc; }
    void setSourceDoc(const QString &sourceDoc);
    const Document &document() const { return m_document; }

    void saveToFile(QIODevice &device) const;
    void readFromFile(QIODevice &device);

    bool appIsRunning() const { return m_appIsRunning; }
    void setAppIsRunning(bool running);

    // Opens the document for OpenVerb and PrimaryVerb; other verbs do
    // nothing. False when there is no document or the verb does nothing.
    bool doVerb(int verb = PrimaryVerb);
    QString insertObjectDialog();

    QImage picture() const;
    QImage pictureAt(const QSize &size) const;
    // True while the preview program makes the picture shown (the card
    // "Vorschau wird erstellt ..." is shown meanwhile).
    bool isMakingPreview() const;
    // What the window shows now (null before its first paint).
    QImage shownImage() const { return m_shown; }

    const ContainerSettings &settings() const { return m_settings; }
    void setSettings(const ContainerSettings &settings) { m_settings = settings; }
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &colour);

    // The folder the document is opened from ("" before it was opened) and
    // how long a saved change must rest before it counts (milliseconds).
    QString editFolder() const;
    void setSettleTime(int milliseconds);

Q_SIGNALS:
    void Click();
    void MouseDown(int button);
    void DblClick();
    void Updated(int code);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void setDocument(Document document, bool linked);
    void releaseEditFolder();
    // Content saved outside: the copy's (Updated 0) or the linked file's (2).
    void takeBack(const QByteArray &content, int code);
    void forgetShown();
    // The picture for the window: cached, or the waiting card while a
    // preview program run makes it.
    QImage shownPicture(const QSize &pixels);

    Document m_document;
    bool m_linked = false;
    bool m_appIsRunning = false;
    ContainerSettings m_settings;
    QColor m_backColor = Qt::white;
    SettledFileWatch *m_watch;
    QPointer<EditFolder> m_folder;
    bool m_openedOutside = false;
    QImage m_shown;
    QSize m_shownFor;
    std::unique_ptr<sandbox::PreviewJob> m_making;
};

} // namespace ole
