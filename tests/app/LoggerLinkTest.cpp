// The logger conversations end to end: the main window against the virtual logger on a
// pseudo-terminal, with the link's real timings.
#include "link/LoggerLink.h"
#include "app/SettingsStore.h"
#include "app/StatusPanel.h"
#include "app/TFMain.h"
#include "data/DataUnit.h"
#include "link/ModemLines.h"
#include "link/PortChooser.h"
#include "link/SerialPort.h"
#include "link/dialogs/TDLForm.h"
#include "link/dialogs/TFConnect.h"
#include "link/dialogs/TFName.h"
#include "link/dialogs/TFormErase.h"
#include "tests/app/LoggerLinkSupport.h"
#include "tests/sim/SimHarness.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "ui/IntervalTimer.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

using Prompts::Answer;
using Prompts::Kind;

// A whole session with the USB logger: found on its stored port, read, downloaded, clock and
// name set, cleared.
TEST(LoggerLink, SessionWithTheUsbLogger) {
    const QString log = TestFolder() + "/sim.log";
    const QString memory = TestFolder() + "/memory.txt";
    SimProcess sim({"--port", "5", "--model", "2", "--fast", "--records", "400", "--seed", "7",
                    "--clock-offset", "-90", "--clear-delay", "1", "--log", log, "--write-memory",
                    memory, "--state", TestFolder() + "/state.json"});
    ASSERT_FALSE(sim.startLine().isEmpty());
    seedSettings(2, 5);
    ScriptedPrompts prompts;
    auto w = openMain();

    ASSERT_TRUE(autoDetect(*w));
    EXPECT_EQ(received(log), QStringList({":", "Q"})); // one ping, one status request
    EXPECT_EQ(w->windowTitle(), "Ombrex V2.4 - Hyetra Sim");
    EXPECT_EQ(w->Status().LoggerVersion, "225");
    EXPECT_EQ(w->Status().BatteryText, "3.60 Volts");
    EXPECT_EQ(w->Status().RecordCount, 400);
    EXPECT_NEAR(w->Status().ClockOffset * 86400, 90, 3);
    EXPECT_EQ(SettingsStore().ReadInteger("Settings", "Port Number", 0), 5);
    EXPECT_TRUE(w->Action("MnuDownload")->isEnabled());
    EXPECT_FALSE(w->Action("MnuAutoDetect")->isEnabled());
    EXPECT_EQ(w->Panel()->ConnectLabel->text(), " Connected");

    // Download: the tables are the logger's memory.
    w->Action("MnuDownload")->trigger();
    ASSERT_NE(w->Link().DownloadDialog(), nullptr);
    EXPECT_FALSE(w->MainEnabled());
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 10000));
    EXPECT_TRUE(w->MainEnabled());
    expectTablesEqualMemory(memory);
    EXPECT_TRUE(w->Action("MnuSave")->isEnabled());
    EXPECT_TRUE(w->Action("MnuExport")->isEnabled());
    EXPECT_TRUE(w->Panel()->StatusLabel->text().startsWith("Download complete"));
    QFile raw(TestFolder() + "/download.txt");
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.readAll().contains("!"));
    EXPECT_EQ(received(log).mid(2), QStringList({":", "y"}));

    // Set clock: the next status reply shows the logger in step with the PC.
    w->Action("MnuSetClock")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return received(log).size() >= 8 && connected(*w); }, 5000));
    SpinFor(300);
    const QStringList clockExchange = received(log).mid(4, 3);
    ASSERT_EQ(clockExchange.size(), 3);
    EXPECT_EQ(clockExchange[0], ":");
    EXPECT_TRUE(QRegularExpression("^k\\d{12}$").match(clockExchange[1]).hasMatch())
        << clockExchange[1].toStdString();
    EXPECT_NEAR(w->Status().ClockOffset * 86400, 0, 3);
    EXPECT_TRUE(WaitUntil([&] { return w->Panel()->StatusLabel->text() == "Clock Set"; }, 100));

    // Set name: the dialog hands the name over; the exchange starts after it closed.
    w->Action("MnuSetId")->trigger();
    auto* dialog = w->findChild<TFName*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Edit1->text(), "Hyetra Sim");
    EXPECT_EQ(dialog->Edit1->maxLength(), 32);
    dialog->Edit1->setText("North Field Gauge");
    dialog->OKBtn->click();
    ASSERT_TRUE(
        WaitUntil([&] { return w->windowTitle() == "Ombrex V2.4 - North Field Gauge"; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return connected(*w); }, 2000));
    EXPECT_EQ(ReadJson(TestFolder() + "/state.json").value("name").toString(), "North Field Gauge");

    // Clear: the warning question, the erase dialog, then the emptied memory.
    prompts.expect(Kind::Warning, "All data in the device will be lost, erase now?", Answer::Yes);
    w->Action("MnuClear")->trigger();
    // The clearing starts once the clock setting that comes first has been answered.
    EXPECT_TRUE(WaitUntil([&] { return w->Link().EraseDialog()->isVisible(); }, 3000));
    EXPECT_FALSE(w->MainEnabled());
    ASSERT_TRUE(WaitUntil([&] { return connected(*w) && w->Status().RecordCount == 0; }, 8000));
    EXPECT_FALSE(w->Link().EraseDialog()->isVisible());
    EXPECT_EQ(w->Panel()->StatusLabel->text(), "Memory cleared");
}

TEST(LoggerLink, OldFormatDownloadFromTheSerialLogger) {
    const QString memory = TestFolder() + "/memory.txt";
    SimProcess sim({"--port", "3", "--model", "1", "--version", "114", "--fast", "--records", "300",
                    "--seed", "11", "--write-memory", memory});
    ASSERT_FALSE(sim.startLine().isEmpty());
    seedSettings(1, 3);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 20000));
    expectTablesEqualMemory(memory);
}

// The stored port is silent: five pings there, then the scan from port 1 (the stored port a
// second time in its turn) until the logger on port 7 answers.
TEST(LoggerLink, ScanFindsTheLoggerPastASilentStoredPort) {
    const QString silentLog = TestFolder() + "/silent.log";
    SimProcess silent({"--port", "5", "--fault", "silent", "--fast", "--log", silentLog});
    SimProcess sim({"--port", "7", "--model", "1", "--fast"});
    ASSERT_FALSE(sim.startLine().isEmpty());
    seedSettings(1, 5);
    ScriptedPrompts prompts;
    auto w = openMain();
    QElapsedTimer clock;
    clock.start();
    w->Action("MnuAutoDetect")->trigger();
    EXPECT_FALSE(w->MainEnabled());
    ASSERT_TRUE(WaitUntil([&] { return connected(*w); }, 16000));
    EXPECT_GE(clock.elapsed(), 9500);
    EXPECT_EQ(received(silentLog).filter(QRegularExpression("^:")).size(), 10);
    EXPECT_TRUE(received(silentLog).filter("Q").isEmpty());
    EXPECT_EQ(SettingsStore().ReadInteger("Settings", "Port Number", 0), 7);
    EXPECT_EQ(w->Link().ConnectDialog(), nullptr);
}

TEST(LoggerLink, ManualConnectToASilentPortGivesUp) {
    const QString log = TestFolder() + "/silent.log";
    SimProcess silent({"--port", "4", "--fault", "silent", "--fast", "--log", log});
    SimProcess other({"--port", "6", "--fast"});
    seedSettings(1, 1);
    ScriptedPrompts prompts;
    FixedChooser chooser(4);
    auto w = openMain();
    prompts.expect(Kind::Error, "No devices were found!", Answer::Ok);
    w->Action("MnuManualConnect")->trigger();
    ASSERT_NE(w->Link().ConnectDialog(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return prompts.pending() == 0; }, 8000));
    EXPECT_EQ(received(log).filter(QRegularExpression("^:")).size(), 5);
    EXPECT_FALSE(w->Status().Connected);
    EXPECT_TRUE(w->MainEnabled());
    EXPECT_FALSE(w->ComPortOpen());
}

TEST(LoggerLink, StatusReplyCutAfterTheDayCount) {
    SimProcess sim({"--port", "2", "--fault", "status-short", "--fast"});
    seedSettings(1, 2);
    ScriptedPrompts prompts;
    auto w = openMain();
    w->SetLoggerVersion("prev");
    ASSERT_TRUE(autoDetect(*w));
    EXPECT_EQ(w->windowTitle(), "Ombrex V2.4 - Hyetra Sim");
    EXPECT_EQ(w->Status().LoggerVersion, "prev");
    EXPECT_EQ(SettingsStore().ReadInteger("Settings", "Port Number", 0), 2); // as seeded
    QFile f(SettingsStore::Location());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("Port Number=2"));
}

TEST(LoggerLink, NoPortsAndNoStatus) {
    seedSettings(1, 1);
    {
        ScriptedPrompts prompts;
        prompts.expect(Kind::Message, "No Available serial ports!", Answer::Ok);
        auto w = openMain();
        w->Action("MnuAutoDetect")->trigger();
        EXPECT_EQ(w->Link().ConnectDialog(), nullptr);
        EXPECT_TRUE(w->MainEnabled());
    }
    // A logger that answers the prompt but never the status request.
    QFile::remove(SimProcess::LinkPath(1));
    SimProcess sim({"--port", "1", "--fault", "no-status", "--fast"});
    ScriptedPrompts prompts;
    prompts.expect(Kind::Message, "The unit is not responding correctly", Answer::Ok);
    auto w = openMain();
    w->Action("MnuAutoDetect")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return prompts.pending() == 0; }, 8000));
    EXPECT_FALSE(w->Status().Connected);
    EXPECT_FALSE(w->ComPortOpen());
    EXPECT_TRUE(w->MainEnabled());
}

TEST(LoggerLink, WrongChecksumWarnsAndKeepsTheData) {
    SimProcess sim({"--port", "1", "--fault", "wrong-crc", "--fast", "--records", "50"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expect(Kind::Error,
                   "CRC Error!\rThe downloaded data's checksum failed.\rThe integrity of the data "
                   "can not be guarenteed.\rTry downloading again.",
                   Answer::Ok);
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 10000));
    EXPECT_EQ(DataUnit::EventCount(), 52);
}

// A pause longer than the watchdog: its message, then the download completes all the same.
TEST(LoggerLink, WatchdogDuringALongPause) {
    SimProcess sim(
        {"--port", "1", "--fault", "download-pause", "--pause", "9", "--fast", "--records", "60"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expectContaining(Kind::Message, "The Hyetra has not sent data for some time.",
                             Answer::Ok);
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 15000));
    EXPECT_EQ(prompts.pending(), 0);
    EXPECT_EQ(DataUnit::EventCount(), 62);
}

// Abort keeps what arrived in download.txt and leaves the tables empty; a new download then
// starts from an empty capture.
TEST(LoggerLink, AbortAndDownloadAgain) {
    SimProcess sim({"--port", "1", "--model", "1", "--records", "1500"}); // real 9600 baud
    seedSettings(1, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    w->Action("MnuDownload")->trigger();
    SpinFor(1500);
    ASSERT_NE(w->Link().DownloadDialog(), nullptr);
    EXPECT_GT(w->Link().DownloadDialog()->Gauge->value(), 0);
    w->Link().DownloadDialog()->AbortButton->click();
    EXPECT_FALSE(w->Link().DownloadActive());
    EXPECT_TRUE(w->MainEnabled());
    EXPECT_EQ(w->Panel()->StatusLabel->text(), "Download Error!");
    EXPECT_EQ(DataUnit::EventCount(), 0);
    QFile raw(TestFolder() + "/download.txt");
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray partial = raw.readAll();
    EXPECT_GT(partial.size(), 100);
    EXPECT_FALSE(partial.contains('!'));
}

// The line watch: a change of the clear-to-send line while connected ends the connection
// without a message. Pseudo-terminals have no modem lines, so the test sets them.
TEST(LoggerLink, LineChangeDisconnects) {
    SettableModemLines lines(0);
    ModemLines::InstallDefault(&lines);
    SimProcess sim({"--port", "1", "--fast"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    lines.setCts(true);
    EXPECT_TRUE(WaitUntil([&] { return !w->Status().Connected; }, 3000));
    EXPECT_EQ(w->Panel()->ConnectLabel->text(), " Not Connected");
    EXPECT_TRUE(w->Action("MnuAutoDetect")->isEnabled());
    EXPECT_FALSE(w->Action("MnuDownload")->isEnabled());
    EXPECT_TRUE(w->ComPortOpen()); // the next command closes it
    ModemLines::InstallDefault(nullptr);
}

// The logger unplugged mid-download: the loss is reported once, the download ends as an abort
// does, and what arrived is in download.txt.
TEST(LoggerLink, LoggerUnpluggedMidDownload) {
    SimProcess sim({"--port", "1", "--fault", "vanish", "--fast", "--records", "2000"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expectContaining(Kind::Error, "the serial device was lost", Answer::Ok);
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 10000));
    EXPECT_TRUE(w->MainEnabled());
    EXPECT_EQ(w->Panel()->StatusLabel->text(), "Download Error!");
    EXPECT_EQ(DataUnit::EventCount(), 0);
    QFile raw(TestFolder() + "/download.txt");
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_GT(raw.size(), 1000);
    // The window can start again: Auto Detect is offered once the port is closed.
    w->Action("MnuDisconnect")->trigger();
    EXPECT_TRUE(w->Action("MnuAutoDetect")->isEnabled());
}

// Enter in the name edit answers OK once: the logger receives one name exchange and nothing
// else. (Answered twice, the second exchange ran into the first, and the "c" of "cedar" was
// once read as the clear command.)
TEST(LoggerLink, EnterInTheNameEditSendsTheNameOnce) {
    const QString log = TestFolder() + "/sim.log";
    const QString state = TestFolder() + "/state.json";
    SimProcess sim({"--port", "1", "--fast", "--records", "20", "--log", log, "--state", state});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    w->Action("MnuSetId")->trigger();
    QPointer<TFName> dialog = w->findChild<TFName*>();
    ASSERT_NE(dialog, nullptr);
    dialog->Edit1->selectAll();
    QTest::keyClicks(dialog->Edit1, "cedar");
    QTest::keyClick(dialog->Edit1, Qt::Key_Return);
    EXPECT_TRUE(!dialog || !dialog->isVisible());
    EXPECT_EQ(received(log).size(), 2); // the name goes out once the dialog has closed
    ASSERT_TRUE(WaitUntil([&] { return w->windowTitle() == "Ombrex V2.4 - cedar"; }, 5000));
    SpinFor(1500); // a second exchange would have arrived by now
    EXPECT_TRUE(connected(*w));
    EXPECT_EQ(received(log).mid(2), QStringList({":", "mcedar\\r\\n", ":", "Q"}));
    const QJsonObject json = ReadJson(state);
    EXPECT_EQ(json.value("renames").toInt(), 1);
    EXPECT_EQ(json.value("clears").toInt(), 0);
    EXPECT_EQ(json.value("downloads").toInt(), 0);
}

// Escape and a close request from the window manager cancel the name dialog: nothing is sent
// and the main window takes input again.
TEST(LoggerLink, NameDialogClosedOrEscapedIsCancel) {
    const QString log = TestFolder() + "/sim.log";
    SimProcess sim({"--port", "1", "--fast", "--records", "20", "--log", log});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    const std::function<void(TFName*)> ways[] = {
        [](TFName* d) { d->close(); },
        [](TFName* d) { QTest::keyClick(d->Edit1, Qt::Key_Escape); },
    };
    for (const auto& dismiss : ways) {
        w->Action("MnuSetId")->trigger();
        QPointer<TFName> dialog = w->findChild<TFName*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(w->MainEnabled());
        dialog->Edit1->setText("Never Sent");
        dismiss(dialog);
        EXPECT_TRUE(!dialog || !dialog->isVisible());
        EXPECT_TRUE(w->MainEnabled());
        SpinFor(300);
    }
    EXPECT_EQ(received(log), QStringList({":", "Q"}));
    EXPECT_EQ(w->Status().DeviceName, "Hyetra Sim");
}

// The erase window cannot be closed: a close request or Escape leaves it running; becoming the
// active window again starts its bar from 0; the logger's answer then ends it.
TEST(LoggerLink, EraseWindowRefusesToCloseAndRestartsWhenActivated) {
    SimProcess sim({"--port", "1", "--fast", "--records", "20", "--clear-delay", "4"});
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    prompts.expect(Kind::Warning, "All data in the device will be lost, erase now?", Answer::Yes);
    w->Action("MnuClear")->trigger();
    TFormErase* erase = w->Link().EraseDialog();
    ASSERT_TRUE(WaitUntil([&] { return erase->isVisible(); }, 3000));
    ASSERT_TRUE(WaitUntil([&] { return erase->ProgressBar1->value() >= 1; }, 2500));

    EXPECT_FALSE(erase->close());
    QCloseEvent request;
    QCoreApplication::sendEvent(erase, &request);
    EXPECT_FALSE(request.isAccepted());
    QTest::keyClick(erase, Qt::Key_Escape);
    EXPECT_TRUE(erase->isVisible());
    EXPECT_TRUE(erase->Timer1->enabled());
    EXPECT_FALSE(w->MainEnabled());

    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(erase, &activate);
    EXPECT_EQ(erase->ProgressBar1->value(), 0);

    ASSERT_TRUE(WaitUntil([&] { return connected(*w) && w->Status().RecordCount == 0; }, 8000));
    EXPECT_FALSE(erase->isVisible());
    EXPECT_FALSE(erase->Timer1->enabled());
    EXPECT_EQ(w->Panel()->StatusLabel->text(), "Memory cleared");
}

// Escape or a close request in the Connect dialog cancel the scan: the port is closed, no more
// pings go out, no message follows, and the main window takes input.
TEST(LoggerLink, ConnectDialogEscapedOrClosedCancelsTheScan) {
    const QString log = TestFolder() + "/silent.log";
    SimProcess silent({"--port", "1", "--fault", "silent", "--fast", "--log", log});
    seedSettings(2, 1);
    ScriptedPrompts prompts; // "No devices were found!" would fail the test
    auto w = openMain();
    const std::function<void(TFConnect*)> ways[] = {
        [](TFConnect* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](TFConnect* d) { d->close(); },
    };
    for (const auto& dismiss : ways) {
        w->Action("MnuAutoDetect")->trigger();
        ASSERT_NE(w->Link().ConnectDialog(), nullptr);
        SpinFor(1300);
        dismiss(w->Link().ConnectDialog());
        EXPECT_EQ(w->Link().ConnectDialog(), nullptr);
        EXPECT_FALSE(w->ComPortOpen());
        EXPECT_TRUE(w->MainEnabled());
        const qsizetype pings = received(log).size();
        SpinFor(2500);
        EXPECT_EQ(received(log).size(), pings);
        EXPECT_FALSE(w->Status().Connected);
    }
}
