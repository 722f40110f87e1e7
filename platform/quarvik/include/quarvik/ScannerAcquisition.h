#pragma once

#include <QString>

class QWidget;

namespace quarvik {

// One scan as the user sees it: the device list taken without blocking the
// window, a choice when there are several (the last one used comes first),
// a progress dialog with "Abbrechen", and German messages for no device, an
// empty or jammed feeder, a failed or cancelled scan.
class ScannerAcquisition {
public:
    explicit ScannerAcquisition(QWidget *parent);

    // The path of the scanned picture (a temporary PNG the caller owns), or
    // "" when nothing was scanned.
    QString run();

private:
    QWidget *m_parent;
};

} // namespace quarvik
