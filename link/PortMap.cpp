#include "link/PortMap.h"

#include "ui/Paths.h"

#include <QFileInfo>

namespace PortMap {

QString PortName(int n) {
    return QStringLiteral("COM%1").arg(n);
}

QString PortsFolder() {
    return UserConfigFolder() + QStringLiteral("/Ombrex2/ports/");
}

namespace {
QString DefaultDevice(int n) {
    if (n >= 1 && n <= 10)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 1);
    if (n >= 11 && n <= 20)
        return QStringLiteral("/dev/ttyACM%1").arg(n - 11);
    if (n >= 21 && n <= 30)
        return QStringLiteral("/dev/ttyS%1").arg(n - 21);
    return {};
}
} // namespace

QString DevicePath(int n) {
    if (n < FirstPort || n > LastPort)
        return {};
    const QFileInfo entry(PortsFolder() + PortName(n));
    if (entry.isSymLink()) {
        // Follow the whole chain, so two links to one device share its lock.
        const QString canonical = entry.canonicalFilePath();
        return canonical.isEmpty() ? entry.symLinkTarget() : canonical;
    }
    if (entry.exists())
        return entry.absoluteFilePath();
    return DefaultDevice(n);
}

QList<int> MappedPorts() {
    QList<int> ports;
    for (int n = FirstPort; n <= LastPort; ++n) {
        const QString path = DevicePath(n);
        if (!path.isEmpty() && QFileInfo::exists(path))
            ports << n;
    }
    return ports;
}

} // namespace PortMap
