#include "ole/OleContainer.h"

#include "DesktopApplication.h"
#include "EditFolder.h"
#include "SettledFileWatch.h"
#include "ole/DocumentFormat.h"
#include "ole/DocumentPicture.h"
#include "ole/InsertObjectDialog.h"

#include "core/MouseButton.h"

#include "sandbox/Previews.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace ole {

namespace {

// picture() draws for an A4 page at 150 dpi.
constexpr QSize PictureSize(1240, 1754);

} // namespace

OleContainer::OleContainer(QWidget *parent) : QWidget(parent), m_watch(new SettledFileWatch(this))
{
    setObjectName(QStringLiteral("OLE1"));
    // Once the window is up: made before it is needed, not on its first paint.
    QTimer::singleShot(0, this, [] {
        if (sandbox::Previews *previews = sandbox::Previews::ofApplication())
            previews->warmUp();
    });
    connect(m_watch, &SettledFileWatch::settled, this, [this](const QByteArray &content) {
        takeBack(content, m_linked ? UpdatedClosed : UpdatedChanged);
    });
}

OleContainer::~OleContainer() { releaseEditFolder(); }

void OleContainer::createEmbed(const QString &path) { setDocument(documentFromFile(path), false); }

void OleContainer::createLink(const QString &path) { setDocument(documentFromFile(path), true); }

void OleContainer::deleteObject() { setDocument({}, false); }

void OleContainer::setClassName(const QString &className)
{
    m_document.className = className;
    forgetShown();
}

void OleContainer::setSourceDoc(const QString &sourceDoc) { m_document.sourceDoc = sourceDoc; }

void OleContainer::saveToFile(QIODevice &device) const
{
    QString error;
    if (!writeDocument(device, m_document, &error))
        throw OleError(error);
}

void OleContainer::readFromFile(QIODevice &device)
{
    QString error;
    std::optional<Document> document = readDocument(device, &error);
    if (!document)
        throw OleError(error);
    setDocument(std::move(*document), false);
}

void OleContainer::setAppIsRunning(bool running) { m_appIsRunning = running && !m_document.isEmpty(); }

bool OleContainer::doVerb(int verb)
{
    if (m_document.isEmpty() || (verb != OpenVerb && verb != PrimaryVerb))
        return false;
    QString path;
    if (m_linked) {
        path = m_document.sourceDoc;
    } else {
        if (!m_folder)
            m_folder = new EditFolder(this);
        // A copy already opened holds whatever was taken back from it.
        path = m_watch->filePath();
        if (path.isEmpty() || !QFileInfo(path).isFile())
            path = m_folder->put(m_document.fileName, m_document.bytes);
    }
    // Told before anything is watched or started: with no application
    // nothing would happen, and the user would wait for it.
    requireDesktopApplication(path);
    if (m_watch->filePath() != path)
        m_watch->watch(path);
    openInDesktopApplication(path);
    m_openedOutside = !m_linked;
    m_appIsRunning = true;
    return true;
}

QString OleContainer::insertObjectDialog()
{
    const QString path = chooseInsertFile(this);
    if (!path.isEmpty())
        createEmbed(path);
    return path;
}

QImage OleContainer::picture() const { return pictureAt(PictureSize); }

QImage OleContainer::pictureAt(const QSize &size) const { return documentPicture(m_document, size); }

void OleContainer::setBackColor(const QColor &colour)
{
    m_backColor = colour;
    update();
}

QString OleContainer::editFolder() const { return m_folder ? m_folder->path() : QString(); }

void OleContainer::setSettleTime(int milliseconds) { m_watch->setSettleTime(milliseconds); }

void OleContainer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    if (m_document.isEmpty() || size().isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_shownFor != pixels) {
        m_shown = shownPicture(pixels);
        m_shownFor = pixels;
    }
    if (m_shown.isNull())
        return;
    const QSizeF shown = QSizeF(m_shown.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_shown);
}

void OleContainer::mousePressEvent(QMouseEvent *event) { Q_EMIT MouseDown(core::mouseButtonCode(event->button())); }

void OleContainer::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()))
        Q_EMIT Click();
}

void OleContainer::mouseDoubleClickEvent(QMouseEvent *) { Q_EMIT DblClick(); }

void OleContainer::setDocument(Document document, bool linked)
{
    m_watch->stop();
    releaseEditFolder();
    m_document = std::move(document);
    m_linked = linked && !m_document.isEmpty();
    m_appIsRunning = false;
    forgetShown();
}

void OleContainer::releaseEditFolder()
{
    if (!m_folder)
        return;
    // The application may still have the copy open and save to it again.
    if (m_openedOutside && QCoreApplication::instance())
        m_folder->setParent(QCoreApplication::instance());
    else
        delete m_folder;
    m_folder = nullptr;
    m_openedOutside = false;
}

void OleContainer::takeBack(const QByteArray &content, int code)
{
    m_document.bytes = content;
    forgetShown();
    Q_EMIT Updated(code);
}

QImage OleContainer::shownPicture(const QSize &pixels)
{
    m_making.reset();
    const std::optional<sandbox::PreviewRequest> request = previewRequest(m_document, pixels);
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    if (!request || !previews)
        return documentPicture(m_document, pixels);
    if (std::optional<sandbox::PreviewResult> result = previews->cached(*request))
        return pictureOfResult(m_document, pixels, *result);
    // The window goes on painting while the preview program works.
    m_making.reset(previews->start(*request, nullptr));
    if (m_making->isFinished()) // the program would not even start
        return pictureOfResult(m_document, pixels, std::exchange(m_making, nullptr)->result());
    connect(m_making.get(), &sandbox::PreviewJob::finished, this, [this, pixels] {
        m_shown = pictureOfResult(m_document, pixels, m_making->result());
        m_making.release()->deleteLater();
        update();
    });
    return waitingCard(m_document, pixels);
}

bool OleContainer::isMakingPreview() const { return m_making && !m_making->isFinished(); }

void OleContainer::forgetShown()
{
    m_making.reset();
    m_shown = {};
    m_shownFor = {};
    update();
}

} // namespace ole
