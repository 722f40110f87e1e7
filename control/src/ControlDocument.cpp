#include "ControlDocument.h"

#include "ole/OleContainer.h"
#include "ole/frmOle.h"

#include <QFrame>

namespace kelvane {

ControlDocument::ControlDocument(QWidget &host) : m_form(std::make_unique<ole::frmOle>())
{
    ole::ContainerSettings settings;
    settings.autoActivate = ole::ContainerSettings::ActivateManual;
    settings.autoVerbMenu = false;
    settings.oleDropAllowed = false;
    settings.displayType = ole::ContainerSettings::DisplayContent;
    settings.updateOptions = ole::ContainerSettings::UpdateFrozen;
    settings.miscFlags = ole::ContainerSettings::MemoryStorage | ole::ContainerSettings::DisableInPlace;
    settings.sizeMode = ole::ContainerSettings::SizeZoom;
    OLECTRL().setSettings(settings);
    OleFrame().setParent(&host);
    OleFrame().hide();
}

ControlDocument::~ControlDocument() = default;

ole::OleContainer &ControlDocument::OLECTRL() const { return *m_form->OLE1(); }

QFrame &ControlDocument::OleFrame() const { return *m_form->Frame1(); }

QString ControlDocument::className() const { return OLECTRL().className(); }

void ControlDocument::show(const ole::Document &document) { OLECTRL().embedDocument(document); }

QString ControlDocument::linkPicture(const QString &path)
{
    try {
        OLECTRL().createLink(path);
    } catch (const ole::OleError &error) {
        return error.description();
    }
    return {};
}

QString ControlDocument::open()
{
    try {
        OLECTRL().doVerb(ole::OleContainer::OpenVerb);
    } catch (const ole::OleError &error) {
        return error.description();
    }
    return {};
}

void ControlDocument::clear()
{
    OLECTRL().deleteObject();
    OLECTRL().setSourceDoc(QString());
    OLECTRL().setClassName(QString());
}

QImage ControlDocument::picture() const
{
    // The picture is there only while the application counts as running; an
    // application really running outside keeps its flag.
    ole::OleContainer &container = OLECTRL();
    const bool running = container.appIsRunning();
    container.setAppIsRunning(true);
    const QImage picture = container.appIsRunning() ? container.picture() : QImage();
    container.setAppIsRunning(running);
    return picture;
}

QImage ControlDocument::pictureWithin(const QSize &bound) const { return OLECTRL().pictureAt(bound); }

void ControlDocument::setBackColor(const QColor &colour) { OLECTRL().setBackColor(colour); }

} // namespace kelvane
