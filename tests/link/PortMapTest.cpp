// Port numbers to devices, and whether a port can be opened now.
#include "link/PortMap.h"
#include "link/PortAvailable.h"
#include "link/SerialPort.h"
#include "tests/link/PtyPeer.h"
#include "ui/OmbrexError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

TEST(PortMap, DefaultDevicesByRange) {
    const struct {
        int port;
        const char* device;
    } cases[] = {
        {1, "/dev/ttyUSB0"},
        {10, "/dev/ttyUSB9"},
        {11, "/dev/ttyACM0"},
        {20, "/dev/ttyACM9"},
        {21, "/dev/ttyS0"},
        {30, "/dev/ttyS9"},
        {31, ""},
        {50, ""},
        {0, ""},
        {51, ""},
        {-3, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortMap::DevicePath(c.port).toStdString(), c.device) << "COM" << c.port;
    EXPECT_EQ(PortMap::PortName(7), "COM7");
    EXPECT_TRUE(PortMap::PortsFolder().endsWith("/config/Pluvatec/Ombrex2/ports/"));
}

TEST(PortMap, FolderLinkOverridesAndIsReadEachTime) {
    PtyPeer a(3);
    EXPECT_EQ(PortMap::DevicePath(3), a.devicePath());
    a.linkAs(42); // beyond the defaults: only through the folder
    EXPECT_EQ(PortMap::DevicePath(42), a.devicePath());
    EXPECT_EQ(PortMap::DevicePath(3), "/dev/ttyUSB2"); // link removed: default again
    // A link to a link resolves to the device itself.
    ASSERT_TRUE(QFile::link(PortMap::PortsFolder() + "COM42", PortMap::PortsFolder() + "COM44"));
    EXPECT_EQ(PortMap::DevicePath(44), a.devicePath());
    // A dangling link still maps, to a device that is not there.
    ASSERT_TRUE(QFile::link("/dev/no-such-tty", PortMap::PortsFolder() + "COM45"));
    EXPECT_EQ(PortMap::DevicePath(45), "/dev/no-such-tty");

    const QList<int> mapped = PortMap::MappedPorts();
    EXPECT_TRUE(mapped.contains(42));
    EXPECT_TRUE(mapped.contains(44));
    EXPECT_FALSE(mapped.contains(45));
    EXPECT_TRUE(std::is_sorted(mapped.begin(), mapped.end()));
    a.unlink();
    EXPECT_FALSE(PortMap::MappedPorts().contains(42));
}

TEST(PortAvailable, ZeroOutOfRangeMissingAndFree) {
    PtyPeer a(5);
    ASSERT_TRUE(QFile::link("/dev/no-such-tty", PortMap::PortsFolder() + "COM6"));
    EXPECT_FALSE(PortAvailable(0));
    EXPECT_FALSE(PortAvailable(51));
    EXPECT_FALSE(PortAvailable(-1));
    EXPECT_FALSE(PortAvailable(6));
    EXPECT_FALSE(PortAvailable(35)); // nothing maps it
    EXPECT_TRUE(PortAvailable(5));
    EXPECT_TRUE(PortAvailable(5)); // the test itself released it
}

TEST(PortAvailable, PortHeldBySerialPortIsNotAvailable) {
    PtyPeer a(5);
    a.linkAs(5);
    ASSERT_TRUE(QFile::link(a.devicePath(), PortMap::PortsFolder() + "COM8")); // same device
    SerialPort holder;
    holder.setComNumber(5);
    holder.setOpen(true);
    EXPECT_FALSE(PortAvailable(5));
    EXPECT_FALSE(PortAvailable(8)); // another name for the held device
    holder.setOpen(false);
    EXPECT_TRUE(PortAvailable(5));
}

TEST(PortAvailable, PortHeldByAnotherProgramIsNotAvailable) {
    PtyPeer a(9);
    QProcess other;
    other.start(QCoreApplication::applicationDirPath() + "/link_port_holder", {a.devicePath()});
    ASSERT_TRUE(other.waitForStarted(5000));
    ASSERT_TRUE(other.waitForReadyRead(5000));
    ASSERT_EQ(other.readLine().trimmed(), "held");
    EXPECT_FALSE(PortAvailable(9));
    SerialPort port;
    port.setComNumber(9);
    try {
        port.setOpen(true);
        ADD_FAILURE() << "opened a port another program holds";
    } catch (const OmbrexError& e) {
        EXPECT_LT(e.code(), 0);
        EXPECT_TRUE(e.message().contains("COM9")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("in use")) << e.message().toStdString();
    }
    EXPECT_FALSE(port.Open());
    other.closeWriteChannel();
    ASSERT_TRUE(other.waitForFinished(5000));
    EXPECT_TRUE(PortAvailable(9));
}
