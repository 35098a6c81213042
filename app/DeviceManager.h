#pragma once

class QWidget;

// "Device Manager": the serial ports the program can see and what they map to.
void ShowDeviceManager(QWidget* parent);
