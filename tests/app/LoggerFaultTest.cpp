// Faults of the logger and its line, end to end against the virtual logger: what the user is
// told, that the window is usable afterwards, and that nothing that arrived is lost.
#include "app/DeviceManager.h"
#include "app/StatusPanel.h"
#include "link/LoggerLink.h"
#include "link/ModemLines.h"
#include "link/PacketMatcher.h"
#include "link/SerialPort.h"
#include "link/dialogs/TFormErase.h"
#include "tests/app/LoggerLinkSupport.h"
#include "tests/sim/SimHarness.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <csignal>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using Prompts::Answer;
using Prompts::Kind;

QByteArray downloadFile() {
    QFile raw(TestFolder() + "/download.txt");
    return raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
}

// Line noise between the download's lines: the check sum fails and says so, the lines that no
// longer parse are counted, and the event table stays empty rather than half right. What arrived is
// kept in download.txt, noise and all, and the logger still holds its memory.
TEST(LoggerFaults, GarbageBetweenLines) {
    const QString memory = TestFolder() + "/memory.txt";
    SimProcess sim({"--port", "1", "--fault", "garbage", "--fast", "--records", "200",
                    "--write-memory", memory});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expectContaining(Kind::Error, "The downloaded data's checksum failed.", Answer::Ok);
    prompts.expectContaining(Kind::Error, "errors processing data!", Answer::Ok);
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(
        WaitUntil([&] { return !w->Link().DownloadActive() && prompts.pending() == 0; }, 10000));
    EXPECT_EQ(DataUnit::EventCount(), 0);
    EXPECT_TRUE(w->MainEnabled());
    const QByteArray raw = downloadFile();
    const Expected e = readMemory(memory);
    EXPECT_GT(raw.size(), 200 * 16);
    EXPECT_TRUE(raw.contains('!'));
    // Every record line is still in the raw file: noise was added, nothing taken away.
    const QByteArray last = LoggerTimeText(e.records.last().DateTime).toLatin1();
    EXPECT_TRUE(raw.contains(last)) << last.constData();
    // A second try from the same logger works once the line is clean.
    EXPECT_TRUE(connected(*w));
}

// A status reply that stops in its clock line and never ends: after the status time-out the
// user is told, and the window is back where it started.
TEST(LoggerFaults, StatusReplyStoppingHalfWay) {
    SimProcess sim({"--port", "1", "--fault", "status-half", "--fast"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    prompts.expect(Kind::Message, "The unit is not responding correctly", Answer::Ok);
    auto w = openMain();
    w->Action("MnuAutoDetect")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return prompts.pending() == 0; }, 9000));
    EXPECT_FALSE(w->Status().Connected);
    EXPECT_TRUE(w->MainEnabled());
    EXPECT_FALSE(w->ComPortOpen());
    EXPECT_EQ(w->Link().ConnectDialog(), nullptr);
    EXPECT_TRUE(w->Action("MnuAutoDetect")->isEnabled());
}

// A line so slow that every line takes 0.3 s: the status and the download still come
// through whole, and no watchdog warning is raised while data keeps coming.
TEST(LoggerFaults, VerySlowLine) {
    const QString memory = TestFolder() + "/memory.txt";
    SimProcess sim({"--port", "1", "--fault", "slow-lines", "--line-delay", "300", "--fast",
                    "--records", "15", "--write-memory", memory});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    w->Action("MnuAutoDetect")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return connected(*w); }, 9000));
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 20000));
    expectTablesEqualMemory(memory);
    EXPECT_TRUE(w->Panel()->StatusLabel->text().startsWith("Download complete"));
}

// A logger that clears but never answers "c": the erase window ends after its 31 seconds and the
// main window takes input, without a message (nothing is known to have failed). The clear
// matcher stays armed, and the "OK" of a later command's replies is not taken for the clear's.
TEST(LoggerFaults, ClearThatNeverAnswers) {
    SimProcess sim({"--port", "1", "--fault", "clear-silent", "--fast"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expect(Kind::Warning, "All data in the device will be lost, erase now?", Answer::Yes);
    w->Action("MnuClear")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->MainEnabled(); }, 3000));
    ASSERT_TRUE(WaitUntil([&] { return w->MainEnabled(); }, 40000));
    EXPECT_FALSE(w->Link().EraseDialog()->isVisible());
    EXPECT_TRUE(w->Link().CPacket().Enabled());
    // The next command ends, as every command does, with a status reply and its "OK".
    w->Action("MnuSetClock")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return connected(*w); }, 8000));
    SpinFor(300);
    EXPECT_NE(w->Panel()->StatusLabel->text(), "Memory cleared");
    EXPECT_TRUE(w->Link().CPacket().Enabled());
    EXPECT_TRUE(w->MainEnabled());
}

// An erase that takes 36 seconds: the erase window closes after its 31 and the main window takes
// input; the logger's answer five seconds later is still handled: "Memory cleared", the status
// read again, the emptied memory shown.
TEST(LoggerFaults, ClearAnsweredAfterTheEraseWindow) {
    const QString state = TestFolder() + "/state.json";
    SimProcess sim(
        {"--port", "1", "--fast", "--records", "120", "--clear-delay", "36", "--state", state});
    seedSettings(2, 1);
    ScriptedPrompts prompts; // no message at any point
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    ASSERT_EQ(w->Status().RecordCount, 120);
    prompts.expect(Kind::Warning, "All data in the device will be lost, erase now?", Answer::Yes);
    w->Action("MnuClear")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return w->Link().EraseDialog()->isVisible(); }, 3000));
    ASSERT_TRUE(WaitUntil([&] { return w->MainEnabled(); }, 33000));
    EXPECT_FALSE(w->Link().EraseDialog()->isVisible());
    EXPECT_TRUE(w->Link().CPacket().Enabled());
    EXPECT_EQ(w->Status().RecordCount, 120);

    ASSERT_TRUE(WaitUntil([&] { return w->Status().RecordCount == 0; }, 9000));
    EXPECT_TRUE(WaitUntil([&] { return connected(*w); }, 2000));
    EXPECT_FALSE(w->Link().CPacket().Enabled());
    EXPECT_EQ(w->Panel()->StatusLabel->text(), "Memory cleared");
    EXPECT_EQ(ReadJson(state).value("clears").toInt(), 1);
}

// A logger unplugged while connected and idle: one message, then the program is disconnected at
// once, the port closed, and Auto Detect offered again (not a Download that can only time out).
TEST(LoggerFaults, LoggerUnpluggedWhileIdle) {
    SimProcess sim({"--port", "1", "--fast", "--records", "20"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expectContaining(Kind::Error, "the serial device was lost", Answer::Ok);
    ASSERT_EQ(sim.stop(SIGTERM), 0);
    ASSERT_TRUE(WaitUntil([&] { return !w->Status().Connected; }, 3000));
    EXPECT_EQ(prompts.pending(), 0);
    EXPECT_EQ(w->Panel()->ConnectLabel->text(), " Not Connected");
    EXPECT_FALSE(w->Action("MnuDownload")->isEnabled());
    EXPECT_TRUE(w->Action("MnuAutoDetect")->isEnabled());
    EXPECT_FALSE(w->ComPortOpen());
    EXPECT_TRUE(w->MainEnabled());
}

// The clear-to-send line changes while a clearing waits for the logger: the connection ends and
// the main window takes input at once, instead of staying disabled.
TEST(LoggerFaults, LineChangeDuringACommandFreesTheWindow) {
    SettableModemLines lines(0);
    ModemLines::InstallDefault(&lines);
    SimProcess sim({"--port", "1", "--fast", "--records", "20", "--clear-delay", "6"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expect(Kind::Warning, "All data in the device will be lost, erase now?", Answer::Yes);
    w->Action("MnuClear")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return w->Link().EraseDialog()->isVisible(); }, 3000));
    EXPECT_FALSE(w->MainEnabled());
    lines.setCts(true);
    ASSERT_TRUE(WaitUntil([&] { return !w->Status().Connected; }, 2000));
    EXPECT_TRUE(w->MainEnabled());
    EXPECT_FALSE(w->Link().EraseDialog()->isVisible());
    EXPECT_FALSE(w->Link().CPacket().Enabled());
    EXPECT_TRUE(w->Action("MnuAutoDetect")->isEnabled());
    ModemLines::InstallDefault(nullptr);
}

// Every port held open by another program: the scan finds nothing free and says so, instead of
// talking to a logger another program is using.
TEST(LoggerFaults, EveryPortHeldByAnotherProgram) {
    SimProcess sim({"--port", "1", "--fast"});
    seedSettings(2, 1);
    QProcess other;
    other.start(QCoreApplication::applicationDirPath() + "/link_port_holder",
                {QFileInfo(SimProcess::LinkPath(1)).symLinkTarget()});
    ASSERT_TRUE(other.waitForReadyRead(5000));
    ASSERT_EQ(other.readLine().trimmed(), "held");
    ScriptedPrompts prompts;
    auto w = openMain();
    prompts.expect(Kind::Message, "No Available serial ports!", Answer::Ok);
    w->Action("MnuAutoDetect")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return prompts.pending() == 0; }, 3000));
    EXPECT_FALSE(w->Status().Connected);
    EXPECT_TRUE(w->MainEnabled());
    EXPECT_FALSE(w->ComPortOpen());
    other.closeWriteChannel();
    ASSERT_TRUE(other.waitForFinished(3000));
    // Once the other program lets go, the logger is found.
    EXPECT_TRUE(autoDetect(*w));
}

// Root opens every device, so the test gives up the permission override for as long as it
// lives: the kernel then refuses the open as it refuses an ordinary user's.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_ok = ::syscall(SYS_capget, &m_header, m_saved) == 0;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_ok = m_ok && ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutPermissionOverride() { ::syscall(SYS_capset, &m_header, m_saved); }
    bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
};

// The only serial device belongs to another user and a group the user is not in: the scan says
// so, names the device and its group, and gives the fix; the port list shows the same.
TEST(LoggerFaults, PermissionDeniedNamesTheGroupAndTheFix) {
    SimProcess sim({"--port", "1", "--fast"});
    seedSettings(2, 1);
    const QString device = QFileInfo(SimProcess::LinkPath(1)).symLinkTarget();
    const QByteArray native = QFile::encodeName(device);
    struct stat before {};
    ASSERT_EQ(::stat(native.constData(), &before), 0);
    ScriptedPrompts prompts;
    auto w = openMain();
    for (const char* groupName : {"dialout", "plugdev"}) {
        const group* g = ::getgrnam(groupName);
        ASSERT_NE(g, nullptr) << groupName;
        ASSERT_EQ(::chown(native.constData(), 4242, g->gr_gid), 0);
        ASSERT_EQ(::chmod(native.constData(), 0660), 0);
        {
            WithoutPermissionOverride denied;
            ASSERT_TRUE(denied.ok());
            const QString group = QString::fromLatin1(groupName);
            prompts.expectContaining(
                Kind::Error, QString("COM1 (%1), group \"%2\"").arg(device, group), Answer::Ok);
            w->Action("MnuAutoDetect")->trigger();
            ASSERT_EQ(prompts.pending(), 0);
            const QString text = prompts.seen().last().text;
            EXPECT_TRUE(text.contains("sudo usermod -aG " + group + " $USER"))
                << text.toStdString();
            EXPECT_TRUE(text.contains("log out")) << text.toStdString();
            EXPECT_FALSE(w->ComPortOpen());
            EXPECT_TRUE(w->MainEnabled());

            const QList<DevicePortRow> rows = DevicePortRows();
            ASSERT_EQ(rows.size(), 1);
            EXPECT_EQ(rows[0].name, "COM1");
            EXPECT_TRUE(rows[0].state.contains("no permission")) << rows[0].state.toStdString();
            EXPECT_TRUE(rows[0].state.contains("sudo usermod -aG " + group))
                << rows[0].state.toStdString();
        }
    }
    ASSERT_EQ(::chown(native.constData(), before.st_uid, before.st_gid), 0);
    ASSERT_EQ(::chmod(native.constData(), before.st_mode & 07777), 0);
    // Allowed again, the logger is found.
    EXPECT_TRUE(autoDetect(*w));
    EXPECT_EQ(DevicePortRows().value(0).state, "in use"); // by this program now
}
