#pragma once

#include <QImage>

namespace dao {
class Database;
}

namespace report {

// The picture of a stored attachment, for the OBJEKT element.
class AttachmentSource {
public:
    virtual ~AttachmentSource() = default;
    // A null image when there is no such picture.
    virtual QImage picture(long objectId, bool withOverlay) = 0;
    // The picture for printing, no larger than bound where the source can
    // decode it smaller; its resolution keeps its size on paper.
    virtual QImage printPicture(long objectId, bool withOverlay, const QSize &) { return picture(objectId, withOverlay); }
};

// Reads the picture file's bytes straight from the attachment's row;
// documents other than pictures have nothing to show.
class StoredPictureSource : public AttachmentSource {
public:
    explicit StoredPictureSource(dao::Database &db) : m_db(db) {}
    QImage picture(long objectId, bool withOverlay) override;

private:
    dao::Database &m_db;
};

} // namespace report
