// Faults of the logger and its line, end to end against the virtual logger: what the user is
// told, that the window is usable afterwards, and that nothing that arrived is lost.
#include "app/LoggerLink.h"
#include "app/StatusPanel.h"
#include "tests/app/LoggerLinkSupport.h"
#include "tests/sim/SimHarness.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <gtest/gtest.h>

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

// A logger that clears but never answers "c": once the erase dialog has run its 31 seconds the
// user is told the clearing failed, and a later status reply does not announce it as done.
TEST(LoggerFaults, ClearThatNeverAnswers) {
    SimProcess sim({"--port", "1", "--fault", "clear-silent", "--fast"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expect(Kind::Warning, "All data in the device will be lost, erase now?", Answer::Yes);
    w->Action("MnuClear")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->MainEnabled(); }, 3000));
    prompts.expect(Kind::Message, "Error clearing memory!", Answer::Ok);
    ASSERT_TRUE(WaitUntil([&] { return w->MainEnabled(); }, 40000));
    EXPECT_EQ(prompts.pending(), 0);
    EXPECT_EQ(w->Panel()->StatusLabel->text(), "Error, memory not cleared");
    // The next command ends, as every command does, with a status reply and its "OK".
    w->Action("MnuSetClock")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return connected(*w); }, 8000));
    SpinFor(300);
    EXPECT_NE(w->Panel()->StatusLabel->text(), "Memory cleared");
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
