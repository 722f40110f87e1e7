#include "preview/PdfExport.h"

#include "report/PrintRequest.h"

#include "core/UserSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace report {
namespace {

const QString kSection = QStringLiteral("Print");
const QString kFolderKey = QStringLiteral("PdfFolder");

} // namespace

QString PdfExport::suggestedName(short kind, const QString &caseNumber, const QDate &today)
{
    if (kind == PrintKindList)
        return QStringLiteral("Schadensliste ") + today.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".pdf");
    QString number = caseNumber.trimmed();
    number.replace(u'/', u'-');
    number.replace(u'\\', u'-');
    return number.isEmpty() ? QStringLiteral("Schadensbericht.pdf")
                            : QStringLiteral("Schadensbericht ") + number + QStringLiteral(".pdf");
}

QString PdfExport::folder()
{
    const QString remembered = core::UserSettings::value(kSection, kFolderKey);
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    // Not every home has a documents folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void PdfExport::rememberFolder(const QString &file)
{
    core::UserSettings::setValue(kSection, kFolderKey, QFileInfo(file).absolutePath());
}

} // namespace report
