#include "ole/InsertObjectDialog.h"

#include "core/UserSettings.h"

#include <QFileDialog>

namespace ole {
namespace {

const QString kSection = QStringLiteral("Objekt einfügen");
const QString kFolderKey = QStringLiteral("Ordner");

} // namespace

QString chooseInsertFile(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Objekt einfügen"));
    dialog.setObjectName(QStringLiteral("dlgInsertObject"));
    dialog.setNameFilter(QStringLiteral("Alle Dateien (*)"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Einfügen"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Aus Datei erstellen:"));
    return core::UserSettings::chooseExistingFile(dialog, kSection, kSection, kFolderKey);
}

} // namespace ole
