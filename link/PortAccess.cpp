#include "link/PortAccess.h"

#include "link/LinkErrors.h"
#include "link/PortMap.h"
#include "link/SerialDevice.h"

#include <QFile>
#include <QStringList>
#include <grp.h>
#include <sys/stat.h>

namespace PortAccess {

Probe ProbePort(int n) {
    Probe p;
    p.port = n;
    p.path = PortMap::DevicePath(n);
    if (n < PortMap::FirstPort || n > PortMap::LastPort)
        return p;
    SerialDevice device;
    try {
        device.open(PortMap::PortName(n), p.path, 9600);
        device.close();
        p.state = State::Free;
    } catch (const OmbrexError& e) {
        p.error = e.message();
        switch (e.code()) {
        case LinkError::DeviceMissing:
            p.state = State::Missing;
            break;
        case LinkError::DeviceInUse:
            p.state = State::InUse;
            break;
        case LinkError::PermissionDenied:
            p.state = State::NoPermission;
            p.group = DeviceGroup(p.path);
            break;
        default:
            p.state = State::Unusable;
            break;
        }
    }
    return p;
}

QList<Probe> ProbeMappedPorts() {
    QList<Probe> probes;
    for (const int n : PortMap::MappedPorts())
        probes << ProbePort(n);
    return probes;
}

QString DeviceGroup(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const group* g = ::getgrgid(info.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString();
}

// A device of root's own group is for root alone: joining that group is no fix to offer.
QString GroupFix(const QString& group) {
    if (group.isEmpty() || group == QLatin1String("root"))
        return QStringLiteral("Only the administrator may open it: ask for the device to be given "
                              "to the group \"dialout\" (a udev rule), then add your user to "
                              "that group.");
    return QStringLiteral("Add your user to the group \"%1\":\n    sudo usermod -aG %1 $USER\n"
                          "then log out and log in again.")
        .arg(group);
}

QString StateText(const Probe& p) {
    switch (p.state) {
    case State::Free:
        return QStringLiteral("free");
    case State::Missing:
        return QStringLiteral("missing");
    case State::InUse:
        return QStringLiteral("in use");
    case State::NoPermission:
        return p.group.isEmpty() || p.group == QLatin1String("root")
                   ? QStringLiteral("no permission (only the administrator may open it)")
                   : QStringLiteral("no permission: join the group %1 (sudo usermod -aG %1 "
                                    "$USER, then log out and in)")
                         .arg(p.group);
    case State::Unusable:
        return QStringLiteral("cannot be used");
    }
    return {};
}

QString NoPermissionMessage(const QList<Probe>& probes) {
    if (probes.isEmpty())
        return {};
    QStringList ports;
    QStringList groups;
    for (const Probe& p : probes) {
        if (p.state != State::NoPermission)
            return {};
        ports << QStringLiteral("    %1 (%2), group \"%3\"")
                     .arg(PortMap::PortName(p.port), p.path,
                          p.group.isEmpty() ? QStringLiteral("?") : p.group);
        if (!groups.contains(p.group))
            groups << p.group;
    }
    QString text =
        QStringLiteral("Your user may not open the serial port%1 on this computer:\n%2\n\n")
            .arg(ports.size() == 1 ? QString() : QStringLiteral("s"), ports.join('\n'));
    for (const QString& g : groups)
        text += GroupFix(g) + QLatin1Char('\n');
    return text.trimmed();
}

} // namespace PortAccess
