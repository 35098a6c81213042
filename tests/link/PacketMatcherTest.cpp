// Packet matchers over a real pseudo-terminal. Every chunk is written by the far end and
// dispatched before the next one, so chunks are the batches the matchers see.
#include "link/LinkErrors.h"
#include "tests/link/LinkHarness.h"
#include "tests/support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using PM = PacketMatcher;

namespace {

struct MatcherSetup {
    PM::TStartCond start = PM::scString;
    PM::TEndCond end = PM::ecString;
    QByteArray startString;
    QByteArray endString;
    bool ignoreCase = true;
    bool include = true;
    int packetSize = 0;
    bool autoEnable = false;
};

struct Case {
    const char* name;
    MatcherSetup setup;
    std::vector<QByteArray> chunks;
    QStringList packets;
};

void Apply(PacketMatcher& m, const MatcherSetup& s) {
    m.setStartCond(s.start);
    m.setEndCond(s.end);
    m.setStartString(s.startString);
    m.setEndString(s.endString);
    m.setIgnoreCase(s.ignoreCase);
    m.setIncludeStrings(s.include);
    m.setPacketSize(s.packetSize);
    m.setAutoEnable(s.autoEnable);
    m.setTimeOut(0);
}

} // namespace

TEST(PacketMatcher, FramingTable) {
    const PM::TEndCond both = PM::ecString | PM::ecPacketSize;
    const Case cases[] = {
        {"any data to end",
         {PM::scAnyData, PM::ecString, "", "OK\r\n"},
         {"abc", "OK\r\nxyz"},
         {"M:abcOK\r\n"}},
        {"lower-case ok ends OK CR LF",
         {PM::scAnyData, PM::ecString, "", "OK\r\n"},
         {"status ok\r\n"},
         {"M:status ok\r\n"}},
        {"case kept when not ignored",
         {PM::scAnyData, PM::ecString, "", "OK", false},
         {"okOk", "OK"},
         {"M:okOkOK"}},
        {"OPacket between O and K CR LF",
         {PM::scString, PM::ecString, "O", "K\r\n", true, false},
         {"xx", "O12345", "K\r", "\n"},
         {"M:12345"}},
        {"lower-case o starts OPacket",
         {PM::scString, PM::ecString, "O", "K\r\n", true, false},
         {"xxo12k\r\n"},
         {"M:12"}},
        {"start pattern split over batches",
         {PM::scString, PM::ecString, "<<", ">>"},
         {"a<", "<bo", "dy>", ">z"},
         {"M:<<body>>"}},
        {"partial start resumes after its first byte",
         {PM::scString, PM::ecString, "OOK", "!"},
         {"OOOK1!"},
         {"M:OOK1!"}},
        {"partial start resumes across batches",
         {PM::scString, PM::ecString, "ABAC", "#"},
         {"AB", "A", "BAC#"},
         {"M:ABAC#"}},
        {"end pattern overlapping itself",
         {PM::scAnyData, PM::ecString, "", "OOK"},
         {"xOOOK"},
         {"M:xOOOK"}},
        {"end searched after the start pattern",
         {PM::scString, PM::ecString, "OK", "K\r\n"},
         {"OK\r\n", "OK1K\r\n"},
         {"M:OK\r\nOK1K\r\n"}},
        {"patterns left out",
         {PM::scString, PM::ecString, "<<", ">>", true, false},
         {"a<<body>>b"},
         {"M:body"}},
        {"only the end left out for any data",
         {PM::scAnyData, PM::ecString, "", "OK\r\n", true, false},
         {"abcOK\r\n"},
         {"M:abc"}},
        {"packet size",
         {PM::scString, PM::ecPacketSize, "#", "", true, true, 4},
         {"x#ab", "cdef"},
         {"M:#abc"}},
        {"end string before size",
         {PM::scString, both, "#", "\r", true, true, 5},
         {"#ab\r"},
         {"M:#ab\r"}},
        {"size before end string",
         {PM::scString, both, "#", "\r", true, true, 5},
         {"#abcdefg\r"},
         {"M:#abcd"}},
        {"any data by size",
         {PM::scAnyData, PM::ecPacketSize, "", "", true, true, 3},
         {"abcdef"},
         {"M:abc"}},
        {"start pattern alone with no end condition",
         {PM::scString, {}, "AB", ""},
         {"xxAByy"},
         {"M:AB"}},
        {"arms again by itself",
         {PM::scAnyData, PM::ecString, "", "\n", true, true, 0, true},
         {"a\nb", "\nc\n"},
         {"M:a\n", "M:b\n", "M:c\n"}},
        {"arms again and scans the rest",
         {PM::scString, PM::ecString, ">", ";", true, false, 0, true},
         {"x>1;y>2", ";>3;"},
         {"M:1", "M:2", "M:3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h(3);
        PacketMatcher& m = h.matcher("M");
        Apply(m, c.setup);
        m.setEnabled(true);
        QByteArray all;
        for (const QByteArray& chunk : c.chunks) {
            ASSERT_TRUE(h.feed(chunk));
            all += chunk;
        }
        EXPECT_EQ(h.packets, c.packets);
        EXPECT_EQ(h.avail, all); // OnTriggerAvail saw every byte too
    }
}

TEST(PacketMatcher, InconsistentPropertiesAreRefusedWhenArming) {
    const struct {
        const char* name;
        MatcherSetup setup;
    } cases[] = {
        {"string start without start string", {PM::scString, PM::ecString, "", "x"}},
        {"any data without end condition", {PM::scAnyData, {}, "", ""}},
        {"end string empty", {PM::scAnyData, PM::ecString, "", ""}},
        {"packet size 0", {PM::scAnyData, PM::ecPacketSize, "", "", true, true, 0}},
        {"packet size below start string",
         {PM::scString, PM::ecPacketSize, "ABC", "", true, true, 2}},
    };
    LinkHarness h(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PacketMatcher& m = h.matcher("M");
        Apply(m, c.setup);
        try {
            m.setEnabled(true);
            ADD_FAILURE() << "armed";
        } catch (const OmbrexError& e) {
            EXPECT_EQ(e.code(), LinkError::MatcherProperties);
            EXPECT_TRUE(e.message().contains("M")) << e.message().toStdString();
        }
        EXPECT_FALSE(m.Enabled());
    }
    // Checked on a closed port too, where arming is only marked.
    h.port.setOpen(false);
    PacketMatcher& m = h.matcher("N");
    EXPECT_THROW(m.setEnabled(true), OmbrexError);
}

TEST(PacketMatcher, SecondArmKeepsStateAndTimeOut) {
    LinkHarness h(3);
    PacketMatcher& k = h.anyData("K", "\r", 6); // 330 to 385 ms
    QElapsedTimer clock;
    clock.start();
    k.setEnabled(true);
    ASSERT_TRUE(h.feed("ab"));
    SpinFor(200);
    k.setEnabled(true); // already armed: nothing changes
    ASSERT_TRUE(WaitUntil([&] { return !h.packets.isEmpty(); }, 2000));
    EXPECT_EQ(h.packets, QStringList{"K:timeout"});
    EXPECT_GE(clock.elapsed(), 330);
    EXPECT_LT(clock.elapsed(), 500); // a restarted time-out would need 530 ms
    EXPECT_FALSE(k.Enabled());

    h.packets.clear();
    k.setEnabled(true);
    ASSERT_TRUE(h.feed("12"));
    k.setEnabled(true);
    ASSERT_TRUE(h.feed("3\r"));
    EXPECT_EQ(h.packets, QStringList{"K:123\r"});
}

// QPacket armed while KPacket collects sees nothing until KPacket lets go, then runs over the
// bytes left after KPacket's packet.
TEST(PacketMatcher, SecondMatcherWaitsForTheCapture) {
    for (const char* release : {"completes", "disarmed", "times out"}) {
        SCOPED_TRACE(release);
        LinkHarness h(3);
        PacketMatcher& k = h.anyData("K", "\r", 3);
        PacketMatcher& q = h.anyData("Q", "OK\r\n", 100);
        k.setEnabled(true);
        ASSERT_TRUE(h.feed("12ok"));
        q.setEnabled(true);
        if (QByteArray(release) == "completes") {
            ASSERT_TRUE(h.feed("3\rstatus OK\r\n"));
            EXPECT_EQ(h.packets, (QStringList{"K:12ok3\r", "Q:status OK\r\n"}));
        } else if (QByteArray(release) == "disarmed") {
            k.setEnabled(false);
            ASSERT_TRUE(h.feed("status OK\r\n"));
            EXPECT_EQ(h.packets, QStringList{"Q:status OK\r\n"});
        } else {
            ASSERT_TRUE(WaitUntil([&] { return !h.packets.isEmpty(); }, 2000));
            ASSERT_TRUE(h.feed("status OK\r\n"));
            EXPECT_EQ(h.packets, (QStringList{"K:timeout", "Q:status OK\r\n"}));
        }
    }
}

TEST(PacketMatcher, CaptureHidesStartPatternsFromOthers) {
    LinkHarness h(3);
    PacketMatcher& k = h.anyData("K", "\r");
    PacketMatcher& c = h.framed("C", "OK", "\n");
    c.setEnabled(true);
    k.setEnabled(true); // takes the capture: C is reset and sees nothing
    ASSERT_TRUE(h.feed("xOKy\r OKz\n"));
    EXPECT_EQ(h.packets, (QStringList{"K:xOKy\r", "C:OKz\n"}));
}

TEST(PacketMatcher, CPacketTimesOutOnlyAfterItsStart) {
    LinkHarness h(3);
    PacketMatcher& c = h.framed("C", "OK", "\r\n", 2); // 110 to 165 ms once "OK" came
    c.setEnabled(true);
    ASSERT_TRUE(h.feed("erasing..."));
    SpinFor(300);
    EXPECT_TRUE(h.packets.isEmpty());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(h.feed("OK"));
    ASSERT_TRUE(WaitUntil([&] { return !h.packets.isEmpty(); }, 2000));
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_EQ(h.packets, QStringList{"C:timeout"});
    EXPECT_EQ(h.port.MatcherBufferSize(), 0); // what it had collected was dropped
}

TEST(PacketMatcher, OPacketWithoutTimeOutWaits) {
    LinkHarness h(3);
    PacketMatcher& o = h.framed("O", "O", "K\r\n", 0);
    o.setIncludeStrings(false);
    o.setEnabled(true);
    ASSERT_TRUE(h.feed("yO1,12/31/24"));
    SpinFor(400);
    EXPECT_TRUE(h.packets.isEmpty());
    EXPECT_TRUE(o.Enabled());
    ASSERT_TRUE(h.feed(" 23:59\r\n!12345\r\nOK\r\n"));
    EXPECT_EQ(h.packets, QStringList{"O:1,12/31/24 23:59\r\n!12345\r\nO"});
}

TEST(PacketMatcher, PacketBeforeTheDataEventOfItsBytes) {
    LinkHarness h(3);
    PacketMatcher& q = h.anyData("Q", "OK\r\n");
    qsizetype seenByAvail = -1;
    q.OnStringPacket = [&](PacketMatcher&, const QByteArray& text) {
        seenByAvail = h.avail.size();
        h.log << "Q packet " + QString::fromLatin1(text);
    };
    q.setEnabled(true);
    ASSERT_TRUE(h.feed("status OK\r\n"));
    EXPECT_EQ(seenByAvail, 0);
    EXPECT_EQ(h.log, (QStringList{"Q packet status OK\r\n", "avail 11"}));
}

TEST(PacketMatcher, ArmingInsideAHandlerRunsOverTheRest) {
    LinkHarness h(3);
    PacketMatcher& ping = h.anyData("P", ">");
    PacketMatcher& q = h.anyData("Q", "OK\r\n");
    ping.OnStringPacket = [&](PacketMatcher& self, const QByteArray& text) {
        h.packets << "P:" + QString::fromLatin1(text);
        self.setEnabled(false);
        q.setEnabled(true); // marked; arms once this handler returned
        EXPECT_TRUE(q.Enabled());
        h.port.SendChar('Q');
    };
    ping.setEnabled(true);
    ASSERT_TRUE(h.feed("\r\nHyetra>Name\r\nOK\r\n"));
    EXPECT_EQ(h.packets, (QStringList{"P:\r\nHyetra>", "Q:Name\r\nOK\r\n"}));
    EXPECT_EQ(h.peer.read(1, 1000), "Q");
}

TEST(PacketMatcher, EndStringChangeRearms) {
    LinkHarness h(3);
    PacketMatcher& k = h.anyData("K", "\r");
    k.setEnabled(true);
    ASSERT_TRUE(h.feed("ab"));
    k.setEndString("OK\r\n");
    EXPECT_TRUE(k.Enabled());
    ASSERT_TRUE(h.feed("c\rOK\r\n"));
    EXPECT_EQ(h.packets, QStringList{"K:c\rOK\r\n"});
}

TEST(PacketMatcher, ClosingSuspendsAndReopeningStartsAfresh) {
    LinkHarness h(3);
    PacketMatcher& q = h.anyData("Q", "\r\n", 4);
    PacketMatcher& later = h.anyData("L", "!");
    q.setEnabled(true);
    ASSERT_TRUE(h.feed("old"));
    h.port.setOpen(false);
    EXPECT_TRUE(q.Enabled());
    later.setEnabled(true); // only marked while closed
    SpinFor(400);
    EXPECT_TRUE(h.packets.isEmpty()); // no time-out while closed
    h.port.setOpen(true);
    ASSERT_TRUE(h.feed("new\r\n"));
    EXPECT_EQ(h.packets, QStringList{"Q:new\r\n"});
    ASSERT_TRUE(h.feed("x!"));
    EXPECT_EQ(h.packets, (QStringList{"Q:new\r\n", "L:x!"}));
}

TEST(PacketMatcher, BufferStaysSmallWithoutAPacketInProgress) {
    LinkHarness h(3);
    ASSERT_TRUE(h.feed(QByteArray(100000, 'x')));
    EXPECT_EQ(h.port.MatcherBufferSize(), 0);
    PacketMatcher& o = h.framed("O", "OK", "\n");
    o.setEnabled(true);
    ASSERT_TRUE(h.feed(QByteArray(50000, 'x') + "O"));
    EXPECT_LE(h.port.MatcherBufferSize(), 1); // only the partial start
    ASSERT_TRUE(h.feed("K1\n"));
    EXPECT_EQ(h.packets, QStringList{"O:OK1\n"});
    EXPECT_EQ(h.port.MatcherBufferSize(), 0);
}

// Random bursts with matchers armed and disarmed at random: nothing crashes or hangs, every
// byte reaches OnTriggerAvail, and every packet is framed as its matcher asks.
TEST(PacketMatcher, RandomBurstsAndArming) {
    LinkHarness h(3);
    QRandomGenerator random(20241231);
    PacketMatcher& ping = h.anyData("P", ">", 3);
    PacketMatcher& q = h.anyData("Q", "OK\r\n", 3);
    PacketMatcher& k = h.anyData("K", "\r", 2);
    PacketMatcher& c = h.framed("C", "OK", "\r\n", 2);
    PacketMatcher& o = h.framed("O", "O", "K\r\n", 0);
    PacketMatcher* all[] = {&ping, &q, &k, &c, &o};
    q.setAutoEnable(true);
    int handlerArms = 0;
    k.OnStringPacket = [&](PacketMatcher&, const QByteArray& text) {
        h.packets << "K:" + QString::fromLatin1(text);
        all[random.bounded(5)]->setEnabled(random.bounded(2) == 0);
        ++handlerArms;
    };
    const char alphabet[] = "OKok\r\n>x";
    QByteArray sent;
    for (int round = 0; round < 150; ++round) {
        QByteArray burst;
        const int length = random.bounded(1, 300);
        for (int i = 0; i < length; ++i)
            burst += alphabet[random.bounded(8)];
        for (int i = 0; i < 2; ++i) {
            PacketMatcher* m = all[random.bounded(5)];
            m->setEnabled(random.bounded(3) != 0);
        }
        ASSERT_TRUE(h.feed(burst));
        sent += burst;
        if (round % 40 == 0)
            SpinFor(120); // let time-outs happen
    }
    EXPECT_TRUE(h.avail == sent);
    const auto fold = [](QString s) { return s.toUpper(); };
    for (const QString& p : std::as_const(h.packets)) {
        if (p.endsWith(":timeout"))
            continue;
        const QString text = fold(p.mid(2));
        switch (p.at(0).toLatin1()) {
        case 'P':
            EXPECT_TRUE(text.endsWith(">") && text.count('>') == 1) << p.toStdString();
            break;
        case 'Q':
            EXPECT_TRUE(text.endsWith("OK\r\n") && text.indexOf("OK\r\n") == text.size() - 4)
                << p.toStdString();
            break;
        case 'K':
            EXPECT_TRUE(text.endsWith("\r") && text.count('\r') == 1) << p.toStdString();
            break;
        case 'C':
            EXPECT_TRUE(text.startsWith("OK") && text.endsWith("\r\n")) << p.toStdString();
            break;
        case 'O':
            EXPECT_TRUE(text.startsWith("O") && text.endsWith("K\r\n") &&
                        text.indexOf("K\r\n") == text.size() - 3)
                << p.toStdString();
            break;
        default:
            ADD_FAILURE() << p.toStdString();
        }
    }
    EXPECT_GT(h.packets.size(), 20);
}
