#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quarvik {

struct ScannerDevice {
    QString name; // SANE device name, e.g. "epson2:libusb:001:004"
    QString vendor;
    QString model;
    QString type;
    // What the user picks from: "Vendor Model (name)".
    QString label() const;
    friend bool operator==(const ScannerDevice &, const ScannerDevice &) = default;
};

// The device list as `scanimage` gives it with the format of arguments().
class ScannerDeviceList {
public:
    // scanimage's arguments for one device a line, fields split by tabs.
    static QStringList arguments();
    // Lines that are not four fields with a device name are skipped.
    static QList<ScannerDevice> parse(const QByteArray &output);
    // The index of the device last used, else 0 (-1 for an empty list).
    static qsizetype preferred(const QList<ScannerDevice> &devices, const QString &lastUsed);
};

} // namespace quarvik
