#pragma once

#include <QList>
#include <QString>

// Maps the program's port numbers ("COM%d", 1 to 50) to devices of this machine.
// A link COMn in PortsFolder() overrides the default device of port n; it is read at every
// call, because the virtual logger creates and removes its link while the program runs.
namespace PortMap {

constexpr int FirstPort = 1;
constexpr int LastPort = 50;

QString PortName(int n); // "COM%d"
QString PortsFolder();   // UserConfigFolder() + "/Ombrex2/ports/"
// The device path of port n ("" when n is out of range or nothing maps it).
QString DevicePath(int n);
// Every port 1..50 whose device exists now, ascending.
QList<int> MappedPorts();

} // namespace PortMap
