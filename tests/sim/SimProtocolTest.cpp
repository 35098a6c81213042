// hyetra-sim's answers to the program's commands, byte for byte, over a real pseudo-terminal.
#include "tests/sim/SimHarness.h"
#include "tests/support/TestUtil.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

namespace {

QString InFolder(const QString& name) {
    return TestFolder() + QLatin1Char('/') + name;
}

QByteArray ClockDigits(const QDateTime& t) {
    return t.toString(QStringLiteral("yyMMddHHmmss")).toLatin1();
}

// What the log says the logger received, in order.
QStringList Received(const QString& logPath) {
    QStringList rx;
    for (const QString& line : ReadLines(logPath)) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() >= 4 && fields.at(2) == QLatin1String("RX"))
            rx << line.section(QLatin1Char(' '), 3);
    }
    return rx;
}

} // namespace

TEST(SimOptions, HelpListsEveryOptionAndUsageErrorsStop) {
    QByteArray out, err;
    ASSERT_EQ(SimProcess::Run({QStringLiteral("--help")}, out, err), 0);
    for (const char* option :
         {"--port",       "--replace",    "--model",   "--version",     "--name",
          "--battery",    "--memory",     "--records", "--seed",        "--write-memory",
          "--state",      "--log",        "--fast",    "--clear-delay", "--clock-offset",
          "--fault",      "--line-delay", "--pause",   "--strict-wake", "--prompt-delay",
          "--busy-drops", "--clock-rate", "--grow",    "--help"})
        EXPECT_TRUE(out.contains(option)) << option;
    for (const char* fault :
         {"silent", "no-status", "status-short", "status-cut", "slow-lines", "download-pause",
          "status-half", "wrong-crc", "no-crc", "cut-off", "vanish", "garbage", "clear-silent",
          "clear-no-line-end", "clock-silent"})
        EXPECT_TRUE(out.contains(fault)) << fault;
    // Message lines travel only in the new record format; the help offers them only there.
    const QByteArray messageHelp = out.mid(out.indexOf("M,MM/dd/yy,HH:mm,text"), 160);
    EXPECT_TRUE(messageHelp.contains("new record format only")) << messageHelp.toStdString();

    const QList<QStringList> wrong = {
        {QStringLiteral("--model"), QStringLiteral("3")},
        {QStringLiteral("--port"), QStringLiteral("51")},
        {QStringLiteral("--version"), QStringLiteral("22")},
        {QStringLiteral("--version"), QStringLiteral("22k")}, // "k" CR LF would end the reply
        {QStringLiteral("--fault"), QStringLiteral("nonsense")},
        {QStringLiteral("--records"), QStringLiteral("5"), QStringLiteral("--memory"),
         QStringLiteral("x")},
        {QStringLiteral("--prompt-delay"), QStringLiteral("-1")},
    };
    for (const QStringList& args : wrong) {
        EXPECT_EQ(SimProcess::Run(args, out, err), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(SimProcess::LinkPath(1)));
    }
}

TEST(SimLink, AttachesAsComPortAndRemovesTheLinkOnSignal) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SimProcess sim({QStringLiteral("--port"), QStringLiteral("7"), QStringLiteral("--fast"),
                        QStringLiteral("--records"), QStringLiteral("20")});
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("attached as COM7 on (/dev/pts/\\d+)"))
                .match(sim.startLine());
        ASSERT_TRUE(m.hasMatch()) << sim.startLine().toStdString();
        const QFileInfo link(SimProcess::LinkPath(7));
        ASSERT_TRUE(link.isSymLink());
        EXPECT_EQ(link.symLinkTarget(), m.captured(1));

        EXPECT_EQ(sim.stop(signal), 0);
        EXPECT_FALSE(QFileInfo(SimProcess::LinkPath(7)).isSymLink());
        EXPECT_TRUE(sim.output().contains("COM7 detached"));
    }
}

TEST(SimLink, LeavesAnotherDevicesEntryAloneAndReplacesAStaleOne) {
    QDir().mkpath(QFileInfo(SimProcess::LinkPath(2)).path());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), SimProcess::LinkPath(2)));
    QByteArray out, err;
    EXPECT_EQ(SimProcess::Run({QStringLiteral("--port"), QStringLiteral("2")}, out, err), 1);
    EXPECT_TRUE(err.contains("COM2 is already mapped"));
    EXPECT_EQ(QFileInfo(SimProcess::LinkPath(2)).symLinkTarget(), QStringLiteral("/dev/null"));

    // Left behind by a simulator that was killed: it leads nowhere.
    QFile::remove(SimProcess::LinkPath(2));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/999999"), SimProcess::LinkPath(2)));
    SimProcess sim({QStringLiteral("--port"), QStringLiteral("2"), QStringLiteral("--fast")});
    EXPECT_TRUE(sim.startLine().contains(QLatin1String("attached as COM2")));
    EXPECT_TRUE(QFileInfo(SimProcess::LinkPath(2)).symLinkTarget().startsWith("/dev/pts/"));
}

TEST(SimLink, LineStaysUpWhileTheProgramClosesAndReopensIt) {
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"), QStringLiteral("5")});
    ASSERT_FALSE(sim.startLine().isEmpty());
    for (int round = 0; round < 3; ++round) {
        SimLine line(1, 115200);
        ASSERT_TRUE(line.isOpen());
        line.send(":");
        EXPECT_EQ(line.readUntil(">", 2000), QByteArray("\r\nHyetra>")) << round;
    }
}

TEST(SimProtocol, PromptAndStatusReplyByteForByte) {
    const QDate today = QDate::currentDate();
    WriteText(InFolder("memory.txt"),
              "S," + today.addDays(-2).toString("MM/dd/yy").toLatin1() + ",12:00\r\n" +
                  today.addDays(-1).toString("MM/dd/yy").toLatin1() + ",09:15,0.05\r\n" +
                  today.addDays(-1).toString("MM/dd/yy").toLatin1() + ",09:16,0.01\r\n" + "M," +
                  today.toString("MM/dd/yy").toLatin1() + ",00:10,Low Battery\r\n");
    // A name ending in "OK" must not end the reply early: the name line ends in a blank.
    for (const QString& name : {QStringLiteral("Rain Gauge 7"), QStringLiteral("Rook OK"),
                                QStringLiteral("N").repeated(32)}) {
        SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--memory"),
                        InFolder("memory.txt"), QStringLiteral("--name"), name,
                        QStringLiteral("--version"), QStringLiteral("215"),
                        QStringLiteral("--battery"), QStringLiteral("Good 3.6V"),
                        QStringLiteral("--clock-offset"), QStringLiteral("-90")});
        SimLine line(1, 115200);
        ASSERT_TRUE(line.isOpen());
        line.send(":");
        EXPECT_EQ(line.readUntil(">", 2000), QByteArray("\r\nHyetra>"));
        line.send("Q");
        const QByteArray reply = line.readUntil("OK\r\n", 2000);
        const QDateTime pcNow = QDateTime::currentDateTime();

        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^\r\n(.*) \r\n(\\d\\d/\\d\\d/\\d\\d "
                                              "\\d\\d:\\d\\d:\\d\\d)\r\n3 Records\r\n2 Days\r\n"
                                              "215\r\nGood 3.6V \r\nOK\r\n$"))
                .match(QString::fromLatin1(reply));
        ASSERT_TRUE(m.hasMatch()) << reply.toStdString();
        EXPECT_EQ(m.captured(1), name);
        // The program's matcher ends the reply at the first "OK" CR LF in any case.
        EXPECT_EQ(FirstOkLineEnd(reply), reply.size() - 4);

        const ParsedStatus status = ParseStatusAsProgram(reply);
        EXPECT_TRUE(status.complete);
        EXPECT_EQ(status.name, name);
        EXPECT_EQ(status.records, 3);
        EXPECT_EQ(status.version, QStringLiteral("215"));
        EXPECT_EQ(status.battery, QStringLiteral("Good 3.6V "));
        const QDateTime clock = LoggerTextTime(status.clock);
        ASSERT_TRUE(clock.isValid()) << status.clock.toStdString();
        EXPECT_NEAR(double(clock.secsTo(pcNow)), 90.0, 3.0);
    }
}

TEST(SimProtocol, ClockSetAnswersPerModelAndShowsInStatusStateAndLog) {
    struct Case {
        int model;
        int baud;
        QByteArray reply;
    };
    for (const Case& c : {Case{1, 9600, "\r"}, Case{2, 115200, "OK\r\n"}}) {
        const QString state = InFolder(QStringLiteral("state%1.json").arg(c.model));
        const QString log = InFolder(QStringLiteral("log%1.txt").arg(c.model));
        SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--model"),
                        QString::number(c.model), QStringLiteral("--records"), QStringLiteral("10"),
                        QStringLiteral("--state"), state, QStringLiteral("--log"), log},
                       SimProcess::Lenient);
        SimLine line(1, c.baud);
        ASSERT_TRUE(line.isOpen());
        line.send(":");
        EXPECT_EQ(line.readUntil(">", 2000), QByteArray("\r\nHyetra>"));
        const QDateTime target = QDateTime::currentDateTime().addSecs(-3600);
        line.send("k");
        line.send(ClockDigits(target));
        EXPECT_EQ(line.readQuiet(300, 3000), c.reply) << c.model;

        line.send("Q");
        const ParsedStatus status = ParseStatusAsProgram(line.readUntil("OK\r\n", 2000));
        ASSERT_TRUE(status.complete);
        EXPECT_NEAR(double(LoggerTextTime(status.clock).secsTo(QDateTime::currentDateTime())),
                    3600.0, 3.0);

        const QJsonObject json = ReadJson(state);
        EXPECT_NEAR(json.value("clockOffsetSeconds").toDouble(), -3600.0, 3.0);
        EXPECT_EQ(json.value("clockSets").toInt(), 1);
        EXPECT_EQ(json.value("model").toInt(), c.model);
        EXPECT_EQ(Received(log),
                  (QStringList{":", "k" + QString::fromLatin1(ClockDigits(target)), "Q"}));
    }
}

TEST(SimProtocol, SerialLoggerHearsNothingAtTheWrongLineSpeed) {
    const QString log = InFolder("log.txt");
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--model"), QStringLiteral("1"),
                    QStringLiteral("--log"), log});
    SimLine line(1, 115200);
    line.send(":");
    EXPECT_EQ(line.readQuiet(400), QByteArray());
    EXPECT_TRUE(ReadLines(log).join('\n').contains("RX-IGNORED : (line set to 115200 baud"));
}

TEST(SimProtocol, RenameTakesTheNameUpTo32CharactersWithoutAnswering) {
    struct Case {
        QByteArray sent;
        QString shown;
    };
    const QByteArray longName = QByteArray("Forty").repeated(8);
    for (const Case& c :
         {Case{"New Name", "New Name"}, Case{longName, longName.left(32)}, Case{"", ""}}) {
        const QString state = InFolder("state.json");
        QFile::remove(state);
        SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"), QStringLiteral("10"),
                        QStringLiteral("--state"), state});
        SimLine line(1, 115200);
        line.send(":");
        line.readUntil(">", 2000);
        line.send("m");
        line.send(c.sent + "\r\n");
        EXPECT_EQ(line.readQuiet(300), QByteArray());
        line.send(":");
        line.readUntil(">", 2000);
        line.send("Q");
        const QByteArray reply = line.readUntil("OK\r\n", 2000);
        EXPECT_EQ(ParseStatusAsProgram(reply).name, c.shown);
        EXPECT_EQ(ReadJson(state).value("name").toString(), c.shown);
        EXPECT_EQ(FirstOkLineEnd(reply), reply.size() - 4);
    }
}

TEST(SimProtocol, ClearAnswersAfterItsDelayAndEmptiesTheMemory) {
    const QString state = InFolder("state.json");
    const QString log = InFolder("log.txt");
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"), QStringLiteral("50"),
                    QStringLiteral("--clear-delay"), QStringLiteral("0.6"),
                    QStringLiteral("--state"), state, QStringLiteral("--log"), log});
    SimLine line(1, 115200);
    line.send(":");
    line.readUntil(">", 2000);
    line.send("Q");
    EXPECT_EQ(ParseStatusAsProgram(line.readUntil("OK\r\n", 2000)).records, 50);

    line.send(":");
    line.readUntil(">", 2000);
    QElapsedTimer clock;
    clock.start();
    line.send("c");
    SpinFor(100);
    line.send(":"); // the logger is busy clearing: held until it is done
    const QByteArray reply = line.readUntil(">", 3000);
    EXPECT_GE(clock.elapsed(), 550);
    EXPECT_EQ(reply, QByteArray("OK\r\n\r\nHyetra>"));

    line.send("Q");
    const QByteArray status = line.readUntil("OK\r\n", 2000);
    EXPECT_TRUE(status.contains("\r\n0 Records\r\n0 Days\r\n")) << status.toStdString();
    const QJsonObject json = ReadJson(state);
    EXPECT_EQ(json.value("recordCount").toInt(), 0);
    EXPECT_EQ(json.value("clears").toInt(), 1);
    EXPECT_TRUE(json.value("records").toArray().isEmpty());

    line.send(":");
    line.readUntil(">", 2000);
    line.send("y");
    const QByteArray download = line.readUntil("OK\r\n", 2000);
    EXPECT_EQ(download.count("\r\n"), 5); // two leading lines, start time, check sum, OK
    EXPECT_TRUE(CheckCrcField(download));
}

// The strict logger: a command letter counts only right after its ":" wake-up, one command per
// wake-up.
TEST(SimProtocol, StrictWakeTakesOneCommandPerWakeUp) {
    const QString log = InFolder("log.txt");
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"), QStringLiteral("10"),
                    QStringLiteral("--log"), log, QStringLiteral("--prompt-delay"),
                    QStringLiteral("0")});
    SimLine line(1, 115200);
    line.send("Q");
    EXPECT_EQ(line.readQuiet(300), QByteArray());
    line.send(":");
    EXPECT_EQ(line.readUntil(">", 2000), QByteArray("\r\nHyetra>"));
    line.send("Q");
    EXPECT_TRUE(ParseStatusAsProgram(line.readUntil("OK\r\n", 2000)).complete);
    line.send("y"); // the status used up the wake-up
    EXPECT_EQ(line.readQuiet(300), QByteArray());
    EXPECT_EQ(Received(log), QStringList({":", "Q"}));
    EXPECT_EQ(ReadLines(log).filter(QStringLiteral("not woken by")).size(), 2);
}

// The prompt comes after its delay; a command sent before it is held in the input buffer and
// answered after the prompt, or, with --busy-drops, lost.
TEST(SimProtocol, PromptDelayWithHeldOrDroppedInput) {
    for (const bool drops : {false, true}) {
        QStringList args = {QStringLiteral("--fast"), QStringLiteral("--records"),
                            QStringLiteral("10"), QStringLiteral("--prompt-delay"),
                            QStringLiteral("400")};
        if (drops)
            args << QStringLiteral("--busy-drops");
        SimProcess sim(args);
        SimLine line(1, 115200);
        QElapsedTimer clock;
        clock.start();
        line.send(":");
        SpinFor(50);
        line.send("Q");
        QByteArray got = line.readUntil(">", 2000);
        EXPECT_GE(clock.elapsed(), 390) << drops;
        got += line.readQuiet(300);
        EXPECT_TRUE(got.startsWith("\r\nHyetra>")) << got.toStdString();
        if (drops)
            EXPECT_EQ(got, QByteArray("\r\nHyetra>"));
        else
            EXPECT_TRUE(ParseStatusAsProgram(got).complete) << got.toStdString();
    }
}

TEST(SimProtocol, StatusFaults) {
    struct Case {
        const char* fault;
        bool prompt;
        QByteArray replyEnd; // empty: no status reply ends
        bool complete;
        QString version; // as the program reads it
    };
    const Case cases[] = {
        {"silent", false, {}, false, {}},
        {"no-status", true, {}, false, {}},
        // What remains after the days line is "OK" CR LF, so the program takes that as version.
        {"status-short", true, " Days\r\nOK\r\n", true, QStringLiteral("OK\r")},
        {"status-cut", true, {}, true, {}},
        {"status-half", true, {}, false, {}},
    };
    for (const Case& c : cases) {
        SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"), QStringLiteral("10"),
                        QStringLiteral("--fault"), QString::fromLatin1(c.fault)});
        SimLine line(1, 115200);
        line.send(":");
        EXPECT_EQ(line.readQuiet(300), c.prompt ? QByteArray("\r\nHyetra>") : QByteArray())
            << c.fault;
        line.send("Q");
        const QByteArray reply = line.readQuiet(500);
        if (c.replyEnd.isEmpty())
            EXPECT_LT(FirstOkLineEnd(reply), 0) << c.fault;
        else
            EXPECT_TRUE(reply.endsWith(c.replyEnd)) << c.fault;
        const ParsedStatus status = ParseStatusAsProgram(reply);
        EXPECT_EQ(status.complete, c.complete) << c.fault;
        EXPECT_EQ(status.version, c.version) << c.fault;
    }
}

namespace {

QDateTime StatusClock(SimLine& line) {
    line.send(":");
    line.readUntil(">", 2000);
    line.send("Q");
    return LoggerTextTime(ParseStatusAsProgram(line.readUntil("OK\r\n", 2000)).clock);
}

} // namespace

// A clock that runs 50 % fast gains a second every two; after each download the logger logs
// the records --grow asks for, after its last one.
TEST(SimProtocol, ClockRateAndAMemoryThatGrows) {
    SimProcess sim({"--port", "1", "--fast", "--records", "20", "--clock-rate", "500000", "--grow",
                    "4", "--state", InFolder("state.json")});
    ASSERT_FALSE(sim.startLine().isEmpty());
    SimLine line(1, 115200);
    ASSERT_TRUE(line.isOpen());
    QElapsedTimer pc;
    const QDateTime first = StatusClock(line);
    pc.start();
    SpinFor(4000);
    const QDateTime second = StatusClock(line);
    const double gained = double(first.msecsTo(second) - pc.elapsed()) / 1000.0;
    EXPECT_NEAR(gained, 2.0, 1.1);

    line.send(":");
    line.readUntil(">", 2000);
    line.send("y");
    const QByteArray one = line.readUntil("OK\r\n", 5000);
    line.send(":");
    line.readUntil(">", 2000);
    line.send("y");
    const QByteArray two = line.readUntil("OK\r\n", 5000);
    const auto records = [](const QByteArray& d) {
        QList<QByteArray> l = d.left(d.indexOf('!')).split('\n');
        return l.mid(2); // the start line and the records
    };
    const QList<QByteArray> before = records(one), after = records(two);
    ASSERT_EQ(after.size(), before.size() + 4);
    EXPECT_EQ(after.mid(0, before.size() - 1), before.mid(0, before.size() - 1));
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadJson(InFolder("state.json")).value("recordCount").toInt() == 28; }, 3000));
}
