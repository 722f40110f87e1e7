#include "ole/InsertObjectDialog.h"

#include <QFileDialog>

namespace ole {

QString chooseInsertFile(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Objekt einfügen"));
    dialog.setObjectName(QStringLiteral("dlgInsertObject"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("Alle Dateien (*)"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Einfügen"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Aus Datei erstellen:"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace ole
