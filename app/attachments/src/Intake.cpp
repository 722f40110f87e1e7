#include "attachments/Intake.h"

#include "report/FurtherAttachments.h"

#include "core/Clock.h"
#include "core/PrivateTempFolders.h"
#include "ole/Document.h"
#include "ole/DocumentFormat.h"
#include "quarvik/PictureImport.h"
#include "sandbox/Previews.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace attachments {
namespace {

// A PDF's first page drawn this small proves it readable.
const QSize kCheckSize(64, 64);

// A new file of ours in the private temporary folder, named like name.
QString copyInto(const QString &source, const QString &suffix, QString *refusal)
{
    const QString folder = core::PrivateTempFolders::ofSystemTemp();
    QTemporaryFile copy(folder + QStringLiteral("/Anhang-XXXXXX.") + suffix);
    copy.setAutoRemove(false);
    QFile in(source);
    if (folder.isEmpty() || !copy.open() || !in.open(QIODevice::ReadOnly)) {
        *refusal = QStringLiteral("Im temporären Ordner kann keine Datei angelegt werden.");
        copy.remove();
        return {};
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || copy.write(chunk) != chunk.size()) {
            *refusal = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.").arg(QFileInfo(source).fileName());
            copy.remove();
            return {};
        }
    }
    return copy.fileName();
}

QString documentContainer(const QString &source, QString *refusal)
{
    const QString folder = core::PrivateTempFolders::ofSystemTemp();
    QTemporaryFile stored(folder + QStringLiteral("/Anhang-XXXXXX.OLE"));
    stored.setAutoRemove(false);
    if (folder.isEmpty() || !stored.open()) {
        *refusal = QStringLiteral("Im temporären Ordner kann keine Datei angelegt werden.");
        return {};
    }
    try {
        if (ole::writeDocument(stored, ole::documentFromFile(source), refusal))
            return stored.fileName();
    } catch (const ole::OleError &failure) {
        *refusal = failure.description();
    }
    stored.remove();
    return {};
}

bool pdfReadable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !report::isPdf(file.peek(8)))
        return false;
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    return previews && previews->make({sandbox::PreviewMode::Fit, kCheckSize, file.readAll()}).ok();
}

} // namespace

Intake takeIn(const IncomingFile &file)
{
    Intake result;
    const QString name = file.originalName.isEmpty() ? QFileInfo(file.path).fileName() : file.originalName;
    result.refusal = quarvik::PictureImport::refusalOf(file.path);
    if (!result.refusal.isEmpty())
        return result;
    CaseAttachment item;
    item.name = name;
    item.added = core::Clock::now();
    item.taken = file.taken;
    item.sha256 = file.sha256;
    if (quarvik::PictureImport::countsAsPicture(file.path)) {
        const quarvik::PreparedPicture prepared = quarvik::PictureImport::prepare(file.path);
        if (!prepared.ok()) {
            result.refusal = prepared.error;
            return result;
        }
        item.picture = true;
        item.file = prepared.temporary
            ? prepared.path
            : copyInto(prepared.path, QFileInfo(prepared.path).suffix().toLower(), &result.refusal);
    } else if (pdfReadable(file.path)) {
        item.file = documentContainer(file.path, &result.refusal);
    } else {
        result.refusal = QStringLiteral("Die Datei \"%1\" ist weder ein Bild noch ein lesbares PDF-Dokument; "
                                        "angehängt werden können nur Bilder und PDF-Dokumente.")
                             .arg(name);
        return result;
    }
    if (item.file.isEmpty())
        return result;
    item.size = QFileInfo(file.path).size();
    result.item = std::move(item);
    return result;
}

QByteArray contentOf(const QByteArray &stored, bool picture)
{
    return picture ? stored : report::documentContent(stored);
}

} // namespace attachments
