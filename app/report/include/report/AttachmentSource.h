#pragma once

#include <QHash>
#include <QImage>
#include <QPair>

#include <functional>

namespace dao {
class Database;
}

namespace report {

class PageItemList;
struct ReportElement;

// The picture of a stored attachment, for the OBJEKT element.
class AttachmentSource {
public:
    virtual ~AttachmentSource() = default;
    // A null image when there is no such picture. Throws dao::DaoError when
    // the attachment cannot be read.
    virtual QImage picture(long objectId, bool withOverlay) = 0;
    // The picture for printing, no larger than bound where the source can
    // decode it smaller; its resolution keeps its size on paper.
    virtual QImage printPicture(long objectId, bool withOverlay, const QSize &) { return picture(objectId, withOverlay); }
};

// Reads the picture file's bytes straight from the attachment's row;
// documents other than pictures have nothing to show. A picture that cannot
// be read, or is beyond the viewer's size bounds, gives a null image.
class StoredPictureSource : public AttachmentSource {
public:
    explicit StoredPictureSource(dao::Database &db) : m_db(db) {}
    QImage picture(long objectId, bool withOverlay) override;
    QImage printPicture(long objectId, bool withOverlay, const QSize &bound) override;

private:
    dao::Database &m_db;
};

// The pictures of one page, read through a source before any of the page is
// drawn: a read that fails then leaves the page undrawn instead of drawn
// (or printed) without them.
class PagePictures : public AttachmentSource {
public:
    explicit PagePictures(AttachmentSource *source) : m_source(source) {}

    // The pixels a picture item needs on paper (PageRenderer::pictureBound).
    using BoundOf = std::function<QSize(const ReportElement &)>;

    // Reads the pictures of items [first, end), each decoded no larger than
    // its largest box on the page needs. Throws dao::DaoError.
    void prepare(const PageItemList &items, int first, int end, int page, const BoundOf &boundOf);
    int preparedPage() const { return m_page; }
    // A prepared picture; a null image for one not prepared.
    QImage picture(long objectId, bool withOverlay) override;
    QImage printPicture(long objectId, bool withOverlay, const QSize &) override { return picture(objectId, withOverlay); }

    // The attachment a picture item shows and whether with its overlay.
    static long objectIdOf(const QString &itemText);
    static bool withOverlay(int overlaySwitch) { return overlaySwitch == 0; }

private:
    AttachmentSource *m_source;
    QHash<QPair<long, bool>, QImage> m_images;
    int m_page = 0;
};

} // namespace report
