#pragma once

#include "report/AttachmentSource.h"

#include <memory>

namespace kelvane {
class _RAZOleCtrl;
}

namespace report {

// The pictures of a report as the attachment control gives them, so that an
// annotated picture prints with its overlay: the preview's control `Ole`,
// made by its ProgID. Without the control's library the stored pictures are
// printed as they are, without overlays.
class ControlPictureSource : public AttachmentSource {
public:
    explicit ControlPictureSource(dao::Database &db);
    ~ControlPictureSource() override;

    QImage picture(long objectId, bool withOverlay) override;
    QImage printPicture(long objectId, bool withOverlay, const QSize &bound) override;
    bool hasControl() const { return m_control != nullptr; }

private:
    std::unique_ptr<kelvane::_RAZOleCtrl> m_control;
    StoredPictureSource m_stored;
};

} // namespace report
