#include "quarvik/ScannerAcquisition.h"

#include "quarvik/ScannerProcesses.h"

#include "core/MessageService.h"
#include "core/PrivateTempFolders.h"
#include "core/UserSettings.h"

#include <QEventLoop>
#include <QInputDialog>
#include <QProgressDialog>
#include <QTemporaryFile>
#include <QTimer>

#include <optional>

namespace quarvik {
namespace {

const QString kSection = QStringLiteral("Bildanzeige");
const QString kDeviceKey = QStringLiteral("Scanner");
const QString kTitle = QStringLiteral("Von Scanner einfügen");
// Short searches finish before their dialog would only flash up.
constexpr int kShowSearchAfterMs = 400;

std::unique_ptr<QProgressDialog> progressDialog(QWidget *parent, const QString &name, const QString &label,
                                                int showAfterMs)
{
    auto dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Abbrechen"), 0, 0, parent);
    dialog->setObjectName(name);
    dialog->setWindowTitle(kTitle);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(showAfterMs);
    return dialog;
}

} // namespace

ScannerAcquisition::ScannerAcquisition(QWidget *parent) : m_parent(parent) {}

QString ScannerAcquisition::lastDevice() { return core::UserSettings::value(kSection, kDeviceKey); }

QString ScannerAcquisition::run()
{
    const QList<ScannerDevice> devices = findDevices();
    if (devices.isEmpty())
        return {};
    const QString device = choose(devices);
    if (device.isEmpty())
        return {};
    core::UserSettings::setValue(kSection, kDeviceKey, device);
    return scan(device);
}

void ScannerAcquisition::tell(const QString &message) const
{
    core::showMessage(message, core::MsgIcon::Exclamation, core::MsgButtons::Ok, kTitle, m_parent);
}

QList<ScannerDevice> ScannerAcquisition::findDevices()
{
    DeviceSearch search;
    search.setProgram(m_program);
    auto dialog = progressDialog(m_parent, QStringLiteral("dlgScannerSuche"), QStringLiteral("Scanner werden gesucht ..."),
                                 kShowSearchAfterMs);
    QEventLoop loop;
    std::optional<QList<ScannerDevice>> found;
    QString error;
    QObject::connect(&search, &DeviceSearch::finished, &loop,
                     [&](const QList<ScannerDevice> &devices, const QString &message) {
                         found = devices;
                         error = message;
                         loop.quit();
                     });
    QObject::connect(dialog.get(), &QProgressDialog::canceled, &loop, [&] {
        search.cancel();
        loop.quit();
    });
    QTimer::singleShot(kShowSearchAfterMs, dialog.get(), [&] {
        if (!found)
            dialog->show();
    });
    search.start();
    loop.exec();
    dialog->hide();
    if (!found)
        return {}; // the user cancelled the search
    if (!error.isEmpty())
        tell(error);
    else if (found->isEmpty())
        tell(QStringLiteral("Es wurde kein Scanner gefunden. Bitte den Scanner einschalten und anschließen."));
    return *found;
}

QString ScannerAcquisition::choose(const QList<ScannerDevice> &devices)
{
    if (devices.size() == 1)
        return devices.constFirst().name;
    QStringList labels;
    for (const ScannerDevice &device : devices)
        labels.append(device.label());
    QInputDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("dlgScannerWahl"));
    dialog.setWindowTitle(kTitle);
    dialog.setLabelText(QStringLiteral("Scanner:"));
    dialog.setComboBoxItems(labels);
    dialog.setComboBoxEditable(false);
    dialog.setTextValue(labels.value(ScannerDeviceList::preferred(devices, lastDevice())));
    dialog.setOkButtonText(QStringLiteral("Scannen"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const qsizetype index = labels.indexOf(dialog.textValue());
    return index < 0 ? QString() : devices[index].name;
}

QString ScannerAcquisition::scan(const QString &device)
{
    QString path;
    {
        // Into the program's private folder: no other user sees the scan.
        const QString folder = core::PrivateTempFolders::ofSystemTemp();
        QTemporaryFile file(folder + QStringLiteral("/Scan-XXXXXX.png"));
        file.setAutoRemove(false);
        if (folder.isEmpty() || !file.open()) {
            tell(QStringLiteral("Für das gescannte Bild kann keine Datei angelegt werden."));
            return {};
        }
        path = file.fileName();
    }
    ScanJob job;
    job.setProgram(m_program);
    job.setDeviceOptions(m_options);
    auto dialog = progressDialog(m_parent, QStringLiteral("dlgScannen"), QStringLiteral("Das Bild wird gescannt ..."), 0);
    dialog->setRange(0, 100);
    QEventLoop loop;
    ScanOutcome outcome;
    QObject::connect(&job, &ScanJob::progress, dialog.get(), &QProgressDialog::setValue);
    QObject::connect(dialog.get(), &QProgressDialog::canceled, &job, &ScanJob::cancel);
    QObject::connect(&job, &ScanJob::finished, &loop, [&](const ScanOutcome &result) {
        outcome = result;
        loop.quit();
    });
    job.start(device, path);
    dialog->show();
    loop.exec();
    dialog->hide();
    switch (outcome.kind) {
    case ScanOutcome::Kind::Scanned: return path;
    case ScanOutcome::Kind::Cancelled: tell(QStringLiteral("Das Scannen wurde abgebrochen.")); return {};
    case ScanOutcome::Kind::Failed: tell(outcome.error); return {};
    }
    return {};
}

} // namespace quarvik
