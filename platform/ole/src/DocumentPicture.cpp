#include "ole/DocumentPicture.h"

#include "DocumentCard.h"

#include "sandbox/Previews.h"

#include <QImageReader>

namespace ole {

namespace {

bool isPdf(const Document &document) { return document.className == QLatin1String("application/pdf"); }

bool isPicture(const Document &document)
{
    const QString &type = document.className;
    return type == QLatin1String("image/heic") || type == QLatin1String("image/heif")
        || (type.startsWith(QLatin1String("image/")) && QImageReader::supportedMimeTypes().contains(type.toLatin1()));
}

} // namespace

bool showsContent(const Document &document) { return isPdf(document) || isPicture(document); }

std::optional<sandbox::PreviewRequest> previewRequest(const Document &document, const QSize &bound)
{
    if (document.isEmpty() || bound.isEmpty() || !showsContent(document))
        return std::nullopt;
    // A page for a large print stays within what the preview program draws.
    QSize size = bound.boundedTo(QSize(sandbox::MaxSide, sandbox::MaxSide));
    if (qint64(size.width()) * size.height() > sandbox::MaxPixels)
        size = size.scaled(QSize(8000, 5000), Qt::KeepAspectRatio);
    return sandbox::PreviewRequest{sandbox::PreviewMode::Fit, size.expandedTo(QSize(1, 1)), document.bytes};
}

QImage pictureOfResult(const Document &document, const QSize &bound, const sandbox::PreviewResult &result)
{
    if (result.ok() && !result.image.isNull())
        return result.image;
    return failureCard(document, bound, result.ok() ? sandbox::PreviewFailure::Garbage : result.failure);
}

QImage failureCard(const Document &document, const QSize &bound, sandbox::PreviewFailure failure)
{
    return documentCard(document, bound, QStringLiteral("Vorschau nicht möglich"),
                        sandbox::failureText(failure) + QLatin1Char('.'));
}

QImage waitingCard(const Document &document, const QSize &bound)
{
    return documentCard(document, bound, QStringLiteral("Vorschau wird erstellt ..."));
}

QImage documentPicture(const Document &document, const QSize &bound)
{
    if (document.isEmpty() || bound.isEmpty())
        return {};
    const std::optional<sandbox::PreviewRequest> request = previewRequest(document, bound);
    if (!request)
        return documentCard(document, bound);
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    const sandbox::PreviewResult result
        = previews ? previews->make(*request) : sandbox::PreviewResult{{}, {}, sandbox::PreviewFailure::NotStarted};
    return pictureOfResult(document, bound, result);
}

} // namespace ole
