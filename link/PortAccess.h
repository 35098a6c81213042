#pragma once

#include <QList>
#include <QString>

// Why a port can or cannot be opened right now, and what a user denied access can do about it.
namespace PortAccess {

enum class State { Free, Missing, InUse, NoPermission, Unusable };

struct Probe {
    int port = 0;
    QString path;
    State state = State::Missing;
    QString group; // the device's group owner, for NoPermission
    QString error; // the serial layer's message when not free
};

// Tries to open port n exclusively and closes it again at once.
Probe ProbePort(int n);
// Every port whose device exists, probed.
QList<Probe> ProbeMappedPorts();

// The name of the group that owns the device ("" when it has none by name).
QString DeviceGroup(const QString& path);
// The fix for a user not allowed to open a device of this group.
QString GroupFix(const QString& group);
// One line for the port list: "no permission (group dialout)".
QString StateText(const Probe& probe);
// The message when every existing port was refused for lack of permission ("" when that is
// not the case: no port exists, or one failed for another reason).
QString NoPermissionMessage(const QList<Probe>& probes);

} // namespace PortAccess
