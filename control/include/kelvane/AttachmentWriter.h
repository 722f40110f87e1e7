#pragma once

#include <QPointF>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace dao {
class Database;
}
namespace sendral {
class OverlayGraphic;
}

namespace kelvane {

// An overlay as the annotation editor leaves one: its script and its drawing
// at the picture's size.
struct Annotation {
    QString script;
    std::unique_ptr<sendral::OverlayGraphic> overlay;
};

// Reads and writes attachments of table Objekt without a control, for a host
// that keeps attachments of its own (the demo, a case's further
// attachments). Handed out by the library's
// entry KelvaneAttachmentWriter, so that the host finds it at run time as it
// finds the control; the caller owns it.
class IAttachmentWriter {
public:
    virtual ~IAttachmentWriter() = default;

    // As ObjectStorage::SaveObject on the database handed to the entry.
    virtual bool SaveObject(long id, const QString &filePath, const sendral::OverlayGraphic *overlay,
                            const QString &scriptText) = 0;

    // A red arrow coming from above left whose head touches the rim of the
    // damage around centre (radius its height; it is drawn 1.3 times as wide),
    // and word above the arrow's tail, sized for the picture and kept inside
    // it. Built from the editor's own shapes, written by its script writer and
    // drawn by the shapes' own drawing, so that the editor opens it as it drew it.
    virtual Annotation MarkDamage(QSize picture, QPointF centre, qreal radius, const QString &word) const = 0;

    // As ObjectStorage::LoadObject: row ID's bytes into a new temporary file
    // the caller deletes, its overlay and script for a picture.
    virtual bool LoadObject(long id, QString &tempFile, bool &isBitmap, QString &scriptText,
                            std::shared_ptr<sendral::OverlayGraphic> &overlay) = 0;
    // As ObjectStorage::DeleteObjectRecord: raises dao::DaoError.
    virtual void DeleteObjectRecord(long id) = 0;

    // The annotation editor over pictureFile with script, modal over parent;
    // nullopt when the user left it without saving or it drew nothing new.
    virtual std::optional<Annotation> EditAnnotation(const QString &pictureFile, const QString &script,
                                                     QWidget *parent) const = 0;
};

// The entry point by name, for QLibrary::resolve; database is borrowed.
using AttachmentWriterFn = IAttachmentWriter *(*)(dao::Database *database);
inline constexpr const char *AttachmentWriterEntry = "KelvaneAttachmentWriter";

} // namespace kelvane

extern "C" kelvane::IAttachmentWriter *KelvaneAttachmentWriter(dao::Database *database);
