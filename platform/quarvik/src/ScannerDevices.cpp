#include "quarvik/ScannerDevices.h"

namespace quarvik {

QString ScannerDevice::label() const
{
    const QString maker = QStringList{vendor, model}.join(u' ').trimmed();
    return maker.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(maker, name);
}

QStringList ScannerDeviceList::arguments()
{
    return {QStringLiteral("-f"), QStringLiteral("%d\t%v\t%m\t%t%n")};
}

QList<ScannerDevice> ScannerDeviceList::parse(const QByteArray &output)
{
    QList<ScannerDevice> devices;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 4)
            continue;
        ScannerDevice device{QString::fromLocal8Bit(fields[0]).trimmed(), QString::fromLocal8Bit(fields[1]).trimmed(),
                             QString::fromLocal8Bit(fields[2]).trimmed(), QString::fromLocal8Bit(fields[3]).trimmed()};
        if (!device.name.isEmpty() && !devices.contains(device))
            devices.append(device);
    }
    return devices;
}

qsizetype ScannerDeviceList::preferred(const QList<ScannerDevice> &devices, const QString &lastUsed)
{
    if (devices.isEmpty())
        return -1;
    for (qsizetype i = 0; i < devices.size(); ++i)
        if (devices[i].name == lastUsed)
            return i;
    return 0;
}

} // namespace quarvik
