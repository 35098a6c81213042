// The serial port over real pseudo-terminals: opening, errors, sending, flushing, the CTS watch,
// handler boundaries, a vanishing device and a long transfer at full speed.
#include "link/LinkErrors.h"
#include "link/ModemLines.h"
#include "link/PauseTicks.h"
#include "link/PortAvailable.h"
#include "link/PortChooser.h"
#include "link/PortMap.h"
#include "tests/link/LinkHarness.h"
#include "tests/support/ScriptedPrompts.h"

#include <QFile>
#include <gtest/gtest.h>
#include <thread>

using Prompts::Answer;
using Prompts::Kind;

namespace {

template <class F> OmbrexError Raised(F&& operation) {
    try {
        operation();
    } catch (const OmbrexError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return OmbrexError(0, QString());
}

struct FixedChooser : PortChooser {
    explicit FixedChooser(int n) : answer(n) { Install(this); }
    ~FixedChooser() override { Install(nullptr); }
    int choosePort() override {
        ++asked;
        return answer;
    }
    int answer;
    int asked = 0;
};

} // namespace

TEST(SerialPort, OpeningFailsWithTheCauseAndStaysClosed) {
    SerialPort port;
    port.setComNumber(5); // default /dev/ttyUSB4: not on this machine
    if (!QFile::exists("/dev/ttyUSB4")) {
        const OmbrexError missing = Raised([&] { port.setOpen(true); });
        EXPECT_EQ(missing.code(), LinkError::DeviceMissing);
        EXPECT_TRUE(missing.message().contains("COM5 (/dev/ttyUSB4)"))
            << missing.message().toStdString();
        EXPECT_FALSE(port.Open());
    }
    port.setComNumber(40); // beyond the defaults and not in the folder
    EXPECT_EQ(Raised([&] { port.setOpen(true); }).code(), LinkError::DeviceMissing);

    PtyPeer a(4);
    SerialPort first;
    first.setComNumber(4);
    first.setOpen(true);
    SerialPort second;
    second.setComNumber(4);
    const OmbrexError inUse = Raised([&] { second.setOpen(true); });
    EXPECT_EQ(inUse.code(), LinkError::DeviceInUse);
    EXPECT_TRUE(inUse.message().contains(a.devicePath())) << inUse.message().toStdString();
    EXPECT_FALSE(second.Open());

    first.setOpen(false);
    second.setBaud(12345);
    const OmbrexError rejected = Raised([&] { second.setOpen(true); });
    EXPECT_EQ(rejected.code(), LinkError::SettingsRejected);
    EXPECT_TRUE(rejected.message().contains("12345")) << rejected.message().toStdString();
    EXPECT_FALSE(second.Open());
    EXPECT_TRUE(PortAvailable(4)); // nothing was left held
}

TEST(SerialPort, PortZeroAsksTheChooser) {
    PtyPeer a(6);
    SerialPort port;
    EXPECT_EQ(Raised([&] { port.setOpen(true); }).code(),
              LinkError::NoPortSelected); // none installed
    {
        FixedChooser cancel(0);
        EXPECT_EQ(Raised([&] { port.setOpen(true); }).code(), LinkError::NoPortSelected);
        EXPECT_EQ(cancel.asked, 1);
        EXPECT_EQ(port.ComNumber(), 0);
        port.setPromptForPort(false);
        EXPECT_EQ(Raised([&] { port.setOpen(true); }).code(), LinkError::NoPortSelected);
        EXPECT_EQ(cancel.asked, 1);
        port.setPromptForPort(true);
    }
    FixedChooser six(6);
    port.setOpen(true);
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.ComNumber(), 6);
    EXPECT_EQ(port.DevicePath(), a.devicePath());
}

TEST(SerialPort, EveryOperationOnAClosedPortFails) {
    SerialPort port;
    port.setComNumber(3);
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"SendChar", [&] { port.SendChar(':'); }},
        {"SendString", [&] { port.SendString("Q"); }},
        {"FlushInput", [&] { port.FlushInput(); }},
        {"WatchCtsChange", [&] { port.WatchCtsChange(); }},
    };
    for (const auto& [name, operation] : operations) {
        const OmbrexError e = Raised(operation);
        EXPECT_EQ(e.code(), LinkError::PortNotOpen) << name;
        EXPECT_TRUE(e.message().contains("COM3") && e.message().contains("not open"))
            << name << ": " << e.message().toStdString();
    }
    EXPECT_EQ(Raised([&] { port.ReadChar(); }).code(), LinkError::NoByteToRead);
}

TEST(SerialPort, SendsBytesAsTheyAreWithoutTerminator) {
    LinkHarness h(3);
    h.port.SendChar(':');
    h.port.SendString(QByteArray("k250307140509"));
    h.port.SendString(QByteArray("\0\xff", 2));
    EXPECT_EQ(h.peer.read(16, 2000), QByteArray(":k250307140509\0\xff", 16));
    EXPECT_EQ(h.peer.readAvailable(50), QByteArray());
    EXPECT_EQ(h.port.Describe(), "COM3 (" + h.peer.devicePath() + ")");
}

TEST(SerialPort, TransmitQueueRefusesWhatDoesNotFit) {
    LinkHarness h(3);
    const OmbrexError tooBig = Raised([&] { h.port.SendString(QByteArray(4097, 'x')); });
    EXPECT_EQ(tooBig.code(), LinkError::TransmitQueueFull);
    EXPECT_EQ(h.peer.readAvailable(100), QByteArray()); // nothing of it was queued

    // The far end reads nothing: the line fills up and the queue with it.
    qsizetype accepted = 0;
    bool refused = false;
    for (int i = 0; i < 2000 && !refused; ++i) {
        const QByteArray block(1000, char('a' + i % 26));
        try {
            h.port.SendString(block);
            accepted += block.size();
        } catch (const OmbrexError& e) {
            EXPECT_EQ(e.code(), LinkError::TransmitQueueFull);
            refused = true;
        }
        if (i % 8 == 0)
            SpinFor(2);
    }
    ASSERT_TRUE(refused);
    const QByteArray got = h.peer.read(accepted + 1, 5000);
    ASSERT_EQ(got.size(), accepted); // every accepted block once, none of the refused one
    for (qsizetype i = 0; i < got.size(); i += 1000)
        ASSERT_EQ(got.at(i), char('a' + (i / 1000) % 26)) << i;
}

TEST(SerialPort, BaudAndComNumberChangesOnAnOpenPort) {
    LinkHarness h(3);
    EXPECT_EQ(h.peer.outputSpeed(), 9600);
    h.port.setBaud(115200);
    EXPECT_EQ(h.peer.outputSpeed(), 115200);
    EXPECT_EQ(Raised([&] { h.port.setBaud(12345); }).code(), LinkError::SettingsRejected);
    EXPECT_EQ(h.port.Baud(), 115200);
    EXPECT_TRUE(h.port.Open());

    PtyPeer other(4);
    PacketMatcher& m = h.anyData("Q", "OK\r\n");
    m.setEnabled(true);
    ASSERT_TRUE(h.feed("part"));
    h.port.setComNumber(4); // closes, changes, opens again
    EXPECT_TRUE(h.port.Open());
    EXPECT_EQ(h.port.DevicePath(), other.devicePath());
    EXPECT_EQ(other.outputSpeed(), 115200);
    EXPECT_TRUE(PortAvailable(3));
    EXPECT_TRUE(m.Enabled());
    other.write("fresh OK\r\n"); // the matcher starts again from the reopening
    ASSERT_TRUE(WaitUntil([&] { return !h.packets.isEmpty(); }, 3000));
    EXPECT_EQ(h.packets, QStringList{"Q:fresh OK\r\n"});
}

TEST(SerialPort, FlushInputDropsUndispatchedBytesOnly) {
    LinkHarness h(3);
    PacketMatcher& m = h.anyData("Q", "\r\n");
    m.setEnabled(true);
    ASSERT_TRUE(h.feed("ab"));
    // Bytes that arrive while the GUI thread is busy wait in the ring and the device.
    h.peer.write("stale");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    h.port.FlushInput();
    ASSERT_TRUE(h.feed("cd\r\n"));
    EXPECT_EQ(h.avail, "abcd\r\n");
    EXPECT_EQ(h.packets, QStringList{"Q:abcd\r\n"}); // what the matcher had collected stayed
}

TEST(SerialPort, CtsWatchFiresOnceThroughModemLines) {
    LinkHarness h(3);
    int changes = 0;
    h.port.OnTriggerModemStatus = [&](SerialPort&) { ++changes; };
    // A pseudo-terminal has no modem lines: the watch is armed and never fires.
    h.port.WatchCtsChange();
    SpinFor(150);
    EXPECT_EQ(changes, 0);

    SettableModemLines lines(ModemLines::CtsOn);
    h.port.setModemLines(&lines);
    h.port.WatchCtsChange();
    SpinFor(120);
    EXPECT_EQ(changes, 0);
    lines.setCts(false);
    ASSERT_TRUE(WaitUntil([&] { return changes == 1; }, 1000));
    lines.setCts(true);
    SpinFor(150);
    EXPECT_EQ(changes, 1);              // one-shot
    h.port.WatchCtsChange();            // a new watch records the present level (on)
    lines.setStatus(ModemLines::DsrOn); // CTS off, another line on
    ASSERT_TRUE(WaitUntil([&] { return changes == 2; }, 1000));
    h.port.setOpen(false);
    h.port.setOpen(true);
    lines.setCts(true);
    SpinFor(150);
    EXPECT_EQ(changes, 2); // closing ended the watch
}

TEST(SerialPort, HandlerErrorsAreShownAndDispatchGoesOn) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Error, "boom 1", Answer::Ok).expect(Kind::Error, "boom 2", Answer::Ok);
    LinkHarness h(3);
    PacketMatcher& m = h.anyData("L", "\n");
    m.setAutoEnable(true);
    int packets = 0;
    m.OnStringPacket = [&](PacketMatcher&, const QByteArray&) {
        ++packets;
        if (packets <= 2)
            throw OmbrexError(-1, QStringLiteral("boom %1").arg(packets));
    };
    m.setEnabled(true);
    ASSERT_TRUE(h.feed("a\n"));
    ASSERT_TRUE(h.feed("b\n"));
    ASSERT_TRUE(h.feed("c\n"));
    EXPECT_EQ(packets, 3);
    EXPECT_EQ(h.avail, "a\nb\nc\n");
}

TEST(SerialPort, NoEventOfThePortWhileAHandlerPauses) {
    LinkHarness h(3);
    PacketMatcher& m = h.anyData("L", "\n");
    m.setAutoEnable(true);
    bool inHandler = false;
    bool overlapped = false;
    int otherEvents = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++otherEvents; });
    other.start(20);
    m.OnStringPacket = [&](PacketMatcher&, const QByteArray& text) {
        if (inHandler)
            overlapped = true;
        h.packets << QString::fromLatin1(text);
        if (text == "first\n") {
            inHandler = true;
            h.peer.write("second\nthird\n");
            PauseTicks(4); // other events run; this port's wait
            inHandler = false;
        }
    };
    const auto availBefore = h.port.OnTriggerAvail;
    h.port.OnTriggerAvail = [&](SerialPort& p, int count) {
        if (inHandler)
            overlapped = true;
        availBefore(p, count);
    };
    m.setEnabled(true);
    ASSERT_TRUE(h.feed("first\n"));
    ASSERT_TRUE(WaitUntil([&] { return h.packets.size() == 3; }, 3000));
    EXPECT_FALSE(overlapped);
    EXPECT_GE(otherEvents, 5);
    EXPECT_EQ(h.packets, (QStringList{"first\n", "second\n", "third\n"}));
    EXPECT_EQ(h.avail, "first\nsecond\nthird\n");
}

// A time-out that falls due while a data handler pauses comes after that handler returned.
TEST(SerialPort, TimeOutWaitsForTheRunningHandler) {
    LinkHarness h(3);
    PacketMatcher& k = h.anyData("K", "\r", 1); // 55 to 110 ms
    bool inHandler = false;
    bool overlapped = false;
    k.OnTimeout = [&](PacketMatcher&) {
        overlapped = overlapped || inHandler;
        h.packets << "K:timeout";
    };
    const auto availBefore = h.port.OnTriggerAvail;
    h.port.OnTriggerAvail = [&](SerialPort& p, int count) {
        availBefore(p, count);
        inHandler = true;
        PauseTicks(5);
        inHandler = false;
    };
    k.setEnabled(true);
    ASSERT_TRUE(h.feed("x"));
    ASSERT_TRUE(WaitUntil([&] { return !h.packets.isEmpty(); }, 2000));
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(h.packets, QStringList{"K:timeout"});
}

TEST(SerialPort, ClosingInsideAHandler) {
    LinkHarness h(3);
    PacketMatcher& m = h.anyData("Q", "OK\r\n");
    m.OnStringPacket = [&](PacketMatcher&, const QByteArray& text) {
        h.packets << QString::fromLatin1(text);
        h.port.setOpen(false);
        EXPECT_FALSE(h.port.Open());
    };
    m.setEnabled(true);
    h.peer.write("xOK\r\nrest");
    ASSERT_TRUE(WaitUntil([&] { return !h.packets.isEmpty(); }, 3000));
    SpinFor(100);
    EXPECT_FALSE(h.port.Open());
    EXPECT_EQ(h.avail, ""); // the batch's data event did not come after the close
    EXPECT_TRUE(PortAvailable(3));
    h.port.setOpen(true);
    EXPECT_TRUE(h.feed("again"));
}

TEST(SerialPort, VanishingDeviceIsReportedOnce) {
    ScriptedPrompts prompts;
    prompts.expectContaining(Kind::Error, "COM3", Answer::Ok);
    LinkHarness h(3);
    PacketMatcher& o = h.framed("O", "O", "K\r\n");
    o.setIncludeStrings(false);
    o.setEnabled(true);
    ASSERT_TRUE(h.feed("O1234"));
    h.peer.vanish();
    ASSERT_TRUE(WaitUntil([&] { return prompts.pending() == 0; }, 3000));
    EXPECT_TRUE(prompts.seen().front().text.contains("lost"))
        << prompts.seen().front().text.toStdString();
    SpinFor(200);
    EXPECT_EQ(prompts.seen().size(), 1);
    EXPECT_TRUE(h.packets.isEmpty());
    // The program's own time-outs end its conversation; sending does not raise again.
    h.port.SendChar(':');
    h.port.FlushInput();
    h.port.setOpen(false);
    EXPECT_FALSE(h.port.Open());
}

// Megabytes at full speed: every byte once to the matchers, once to OnTriggerAvail.
TEST(SerialPort, LongTransferArrivesComplete) {
    LinkHarness h(3);
    QByteArray data;
    for (int i = 0; data.size() < 4 * 1024 * 1024; ++i)
        data += QByteArray::number(i) + " 04/12/25 13:05 " + QByteArray(i % 37, 'r') + "\r\n";
    QByteArray matched;
    int lines = 0;
    PacketMatcher& m = h.anyData("L", "\r\n");
    m.setAutoEnable(true);
    m.OnStringPacket = [&](PacketMatcher&, const QByteArray& text) {
        matched += text;
        ++lines;
    };
    m.setEnabled(true);
    h.peer.writeAsync(data);
    ASSERT_TRUE(WaitUntil([&] { return h.avail.size() >= data.size(); }, 60000))
        << h.avail.size() << " of " << data.size();
    h.peer.waitWritten();
    EXPECT_TRUE(h.avail == data);
    EXPECT_TRUE(matched == data);
    EXPECT_EQ(lines, data.count("\r\n"));
    EXPECT_EQ(h.port.MatcherBufferSize(), 0);
}
