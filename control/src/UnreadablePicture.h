#pragma once

#include "ole/Document.h"

#include "sandbox/PreviewResult.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace kelvane {

// A stored picture is decoded by the preview program first, at a small size
// (quarvik::PictureImport::checkDecode): a file that would fault, hang or
// exhaust a decoder stops there and never reaches the viewer in this process. Such a
// picture stays stored and is saved as it is; the control shows and prints
// the card "Vorschau nicht möglich" in its place.
class UnreadablePicture {
public:
    // Checks the file; true when it is readable (the viewer may show it).
    // name is the attachment as the user knows it.
    bool check(const QString &path, const QString &name);
    void clear();
    bool isSet() const { return !m_path.isEmpty(); }
    // The stored file that is kept as it is.
    const QString &path() const { return m_path; }
    // What the user is told, naming the attachment.
    QString message() const;
    QImage card(const QSize &bound) const;

private:
    QString m_path;
    ole::Document m_document;
    sandbox::PreviewFailure m_failure = sandbox::PreviewFailure::None;
};

} // namespace kelvane
