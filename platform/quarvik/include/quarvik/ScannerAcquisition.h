#pragma once

#include "quarvik/ScannerDevices.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace quarvik {

// One scan as the user sees it: the device list taken without blocking the
// window ("Scanner werden gesucht ..." with "Abbrechen"), a choice when there
// are several (the one used last comes preselected and is remembered in the
// per-user settings), a progress dialog with "Abbrechen" while scanning, and
// German messages for no device, an empty or jammed feeder, a failed or a
// cancelled scan.
class ScannerAcquisition {
public:
    explicit ScannerAcquisition(QWidget *parent);

    // Another scanimage (tests, other installations) and device options.
    void setProgram(const QString &program) { m_program = program; }
    void setDeviceOptions(const QStringList &options) { m_options = options; }

    // The path of the scanned picture (a temporary PNG the caller owns), or
    // "" when nothing was scanned.
    QString run();

    static QString lastDevice();

private:
    // Empty when cancelled or nothing was found (told).
    QList<ScannerDevice> findDevices();
    // The device to scan from; empty when the user cancelled the choice.
    QString choose(const QList<ScannerDevice> &devices);
    QString scan(const QString &device);
    void tell(const QString &message) const;

    QWidget *m_parent;
    QString m_program = QStringLiteral("scanimage");
    QStringList m_options;
};

} // namespace quarvik
