#pragma once

#include <QList>
#include <QString>

class QWidget;

// One line of the port list: a COM number, its device and what the program can do with it now.
struct DevicePortRow {
    QString name, path, description, maker, usb, state;
};
// Every port whose device exists, as "Device Manager" lists it.
QList<DevicePortRow> DevicePortRows();

// "Device Manager": the serial ports the program can see and what they map to.
void ShowDeviceManager(QWidget* parent);
