// The conversations with a host of their own (no main window) against the virtual logger: what
// the host hears, and in which state the link leaves the tables when it says so.
#include "data/DataUnit.h"
#include "link/LinkHost.h"
#include "link/LoggerLink.h"
#include "link/SerialPort.h"
#include "tests/sim/SimHarness.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class TinyHost final : public LinkHost {
public:
    DeviceStatus status;
    int lastPort = 1;
    QList<int> remembered;
    QStringList heard; // the calls that change the host's state, in order
    QString note;
    int dailyDaysWhenTold = -1;
    bool held = false;

    const DeviceStatus& Status() const override { return status; }
    void StatusRead(const DeviceStatus& s) override {
        status = s;
        heard << QStringLiteral("StatusRead");
    }
    void NameChosen(const QString& name) override { status.DeviceName = name; }
    void LinkConnected() override {
        status.Connected = true;
        heard << QStringLiteral("LinkConnected");
    }
    void LinkDisconnected() override {
        status.Connected = false;
        heard << QStringLiteral("LinkDisconnected");
    }
    void HoldInput(bool hold) override { held = hold; }
    void ShowStatus(const QString& text, int) override { note = text; }
    void DataDownloaded() override {
        dailyDaysWhenTold = DataUnit::DailyCount();
        heard << QStringLiteral("DataDownloaded");
    }
    void ClockMeasured(double, const QDateTime&) override { ++clockReadings; }
    void DownloadCompleted(const QByteArray& bytes, bool ok) override {
        raw = bytes;
        crcOk = ok;
        heard << QStringLiteral("DownloadCompleted");
    }
    int LastPort() const override { return lastPort; }
    void RememberPort(int port) override { remembered << port; }
    QByteArray raw;
    bool crcOk = false;
    int clockReadings = 0;
};

bool connected(const TinyHost& host) {
    return host.status.Connected && !host.held;
}

} // namespace

// The status read after the ping fills the host's device status; a reply cut short after the
// day count still connects but leaves the version, battery and stored port as they were.
TEST(LoggerLinkHost, StatusReadAfterConnect) {
    struct Case {
        const char* fault;
        QString version;
        QString battery;
        QList<int> remembered;
    };
    const Case cases[] = {
        {"", "225", "3.60 Volts", {4}},
        {"status-short", "prev", "prev battery", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        QStringList arguments{"--port",    "4",   "--model",        "2",  "--fast",
                              "--records", "120", "--clock-offset", "-90"};
        if (*c.fault)
            arguments << "--fault" << c.fault;
        SimProcess sim(arguments);
        ASSERT_FALSE(sim.startLine().isEmpty());
        ScriptedPrompts prompts;
        TinyHost host;
        host.lastPort = 4;
        host.status.LoggerVersion = "prev";
        host.status.BatteryText = "prev battery";
        QWidget window;
        LoggerLink link(host, &window);
        link.ApplyModel(115200, "OK\r\n");

        link.StartAutoDetect();
        EXPECT_TRUE(host.held);
        ASSERT_TRUE(WaitUntil([&] { return connected(host); }, 5000));
        EXPECT_EQ(host.heard, QStringList({"StatusRead", "LinkConnected"}));
        EXPECT_EQ(host.clockReadings, 1); // the drift reading, taken with no clock setting
        EXPECT_EQ(host.status.DeviceName, "Hyetra Sim");
        EXPECT_EQ(host.status.RecordCount, 120);
        EXPECT_NEAR(host.status.ClockOffset * 86400, 90, 3);
        EXPECT_EQ(host.status.LoggerVersion, c.version);
        EXPECT_EQ(host.status.BatteryText, c.battery);
        EXPECT_EQ(host.remembered, c.remembered);
        EXPECT_EQ(link.ConnectDialog(), nullptr);
        EXPECT_TRUE(link.ComPort().Open());
    }
}

// The host hears of a download once both tables are built, and gets its input back.
TEST(LoggerLinkHost, DownloadFillsTheTablesBeforeTheHostHears) {
    SimProcess sim({"--port", "3", "--model", "2", "--fast", "--records", "300", "--seed", "5"});
    ASSERT_FALSE(sim.startLine().isEmpty());
    ScriptedPrompts prompts;
    TinyHost host;
    host.lastPort = 3;
    QWidget window;
    LoggerLink link(host, &window);
    link.ApplyModel(115200, "OK\r\n");
    link.StartAutoDetect();
    ASSERT_TRUE(WaitUntil([&] { return connected(host); }, 5000));

    host.heard.clear();
    link.MnuDownloadClick();
    EXPECT_TRUE(host.held);
    EXPECT_EQ(host.note, "Downloading...");
    ASSERT_NE(link.DownloadDialog(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !link.DownloadActive(); }, 10000));
    // The views first, then the bytes to keep, exactly as "download.txt" holds them.
    EXPECT_EQ(host.heard, QStringList({"DataDownloaded", "DownloadCompleted"}));
    EXPECT_TRUE(host.crcOk);
    QFile capture(QStringLiteral("download.txt"));
    ASSERT_TRUE(capture.open(QIODevice::ReadOnly));
    EXPECT_EQ(host.raw, capture.readAll());
    EXPECT_FALSE(host.held);
    EXPECT_EQ(host.note, "Download complete");
    EXPECT_EQ(DataUnit::EventCount(), 300 + 2); // the start and end records around the memory
    EXPECT_GT(host.dailyDaysWhenTold, 0);
    EXPECT_EQ(host.dailyDaysWhenTold, DataUnit::DailyCount());
    EXPECT_TRUE(WaitUntil([&] { return link.DownloadDialog() == nullptr; }, 1000));
}
