#include "report/ControlPictureSource.h"

#include "varnholt/ControlLibrary.h"

#include "kelvane/MapPropertyBag.h"

#include <QWidget>

namespace report {

ControlPictureSource::ControlPictureSource(dao::Database &db) : m_stored(db)
{
    // Never shown: it loads on Value, not on its first paint.
    kelvane::MapPropertyBag placed({{QStringLiteral("OptimizeLoad"), false}, {QStringLiteral("HasButtons"), false}});
    m_control.reset(varnholt::ControlLibrary::program().create(nullptr, &placed));
    if (!m_control)
        return;
    m_control->hWnd()->setObjectName(QStringLiteral("Ole"));
    m_control->SetDatabase(&db);
}

ControlPictureSource::~ControlPictureSource() = default;

QImage ControlPictureSource::picture(long objectId, bool withOverlay)
{
    if (!m_control)
        return m_stored.picture(objectId, withOverlay);
    if (objectId <= 0)
        return {};
    m_control->SetValue(qlonglong(objectId));
    return m_control->Picture(withOverlay);
}

QImage ControlPictureSource::printPicture(long objectId, bool withOverlay, const QSize &bound)
{
    if (!m_control)
        return m_stored.picture(objectId, withOverlay);
    if (objectId <= 0)
        return {};
    m_control->SetValue(qlonglong(objectId));
    return m_control->PictureWithin(withOverlay, bound);
}

} // namespace report
