#pragma once

// What the logger-link tests share: the main window as a started program has it, and the
// virtual logger's memory as the event table a download must give.
#include "app/TFMain.h"
#include "data/DataUnit.h"
#include "link/PortChooser.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// Writes the settings a user of this logger model on this port would have.
void seedSettings(int model, int port);
// Ports of this machine (a real /dev/ttyS0, say) must not join the scans: every default port
// without an entry of its own gets one to a device that does not exist.
void blockMachinePorts();
// A main window as a started program has it, on a machine whose own ports stay out of the way.
std::unique_ptr<TFMain> openMain();
QString logOf(const QString& file);
// The commands the logger received, in order ("RX" lines of its exchange log).
QStringList received(const QString& logFile);
bool connected(const TFMain& w);
bool autoDetect(TFMain& w);

struct Expected {
    TDateTime start = 0;
    QList<TRainRecord> records;
};
// The memory file of the virtual logger as the event table a download must give.
Expected readMemory(const QString& file);
void expectTablesEqualMemory(const QString& memoryFile);

class FixedChooser final : public PortChooser {
public:
    explicit FixedChooser(int port) : m_port(port) { Install(this); }
    ~FixedChooser() override { Install(nullptr); }
    int choosePort() override { return m_port; }

private:
    int m_port;
};
