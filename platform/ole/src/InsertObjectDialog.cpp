#include "ole/InsertObjectDialog.h"

#include "core/UserSettings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ole {
namespace {

const QString kSection = QStringLiteral("Objekt einfügen");
const QString kFolderKey = QStringLiteral("Ordner");

} // namespace

QString chooseInsertFile(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Objekt einfügen"),
                       core::UserSettings::value(kSection, kFolderKey, QDir::homePath()));
    dialog.setObjectName(QStringLiteral("dlgInsertObject"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("Alle Dateien (*)"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Einfügen"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Aus Datei erstellen:"));
    core::UserSettings::restoreFileDialog(&dialog, kSection);
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    core::UserSettings::saveFileDialog(&dialog, kSection);
    if (!accepted)
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    core::UserSettings::setValue(kSection, kFolderKey, QFileInfo(path).absolutePath());
    return path;
}

} // namespace ole
