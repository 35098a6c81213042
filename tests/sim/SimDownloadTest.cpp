// hyetra-sim's downloads: layouts, check sum, memory file and generator, faults, line rate.
#include "tests/sim/SimHarness.h"
#include "tests/support/TestUtil.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString InFolder(const QString& name) {
    return TestFolder() + QLatin1Char('/') + name;
}

// The check sum by an independent hand: Python's CRC-CCITT (XMODEM) of the covered bytes.
QByteArray Crc5(const QByteArray& covered) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, binascii; "
                                 "print('%05d' % binascii.crc_hqx(sys.stdin.buffer.read(), 0))")});
    python.write(covered);
    python.closeWriteChannel();
    python.waitForFinished(10000);
    return python.readAllStandardOutput().trimmed();
}

QByteArray Download(SimLine& line, char command) {
    line.send(":");
    line.readUntil(">", 2000);
    line.send(QByteArray(1, command));
    return line.readUntil("OK\r\n", 20000);
}

// The program's download matcher starts at the first "O" and ends at "K" CR LF, in any case.
qsizetype TransferEnd(const QByteArray& bytes) {
    const QByteArray upper = bytes.toUpper();
    const qsizetype start = upper.indexOf('O');
    return start < 0 ? -1 : upper.indexOf("K\r\n", start + 1) + 3;
}

QStringList RecordLines(const QByteArray& download) {
    QStringList lines = QString::fromLatin1(download).split(QStringLiteral("\r\n"));
    return lines.mid(3, lines.size() - 6); // after the start line, before "!" and "OK"
}

const QByteArray kMemory = "# rain of early March\r\n"
                           "S,03/01/25,08:00\r\n"
                           "03/01/25,09:15,0.05\r\n"
                           "03/01/25,09:16,0.12\r\n"
                           "M,03/02/25,10:00,Low Battery\r\n"
                           "01/01/02,00:00,0.00\r\n"
                           "03/03/25,14:30,2.55\r\n";

} // namespace

TEST(SimDownload, NewFormatLayoutAndCheckSum) {
    WriteText(InFolder("memory.txt"), kMemory);
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--memory"), InFolder("memory.txt")});
    SimLine line(1, 115200);
    const QByteArray download = Download(line, 'y');
    const QByteArray covered = "\r\n"
                               "Hyetra 225 5 Records\r\n"
                               "03/01/25 08:00\r\n"
                               "03/01/25 09:15 0.05\r\n"
                               "03/01/25 09:16 0.12\r\n"
                               "M 03/02/25 10:00 Low Battery\r\n"
                               "01/01/02 00:00 0.00\r\n"
                               "03/03/25 14:30 2.55\r\n";
    EXPECT_EQ(download, covered + "!" + Crc5(covered) + "\r\nOK\r\n");
    EXPECT_TRUE(CheckCrcField(download));
    EXPECT_EQ(TransferEnd(download), download.size());
}

TEST(SimDownload, OldFormatLeavesOutTheYearAndPadsTheCount) {
    WriteText(InFolder("memory.txt"), "S,12/29/24,07:00\r\n"
                                      "12/30/24,23:59,0.07\r\n"
                                      "01/02/25,00:01,1.23\r\n");
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--model"), QStringLiteral("1"),
                    QStringLiteral("--version"), QStringLiteral("114"), QStringLiteral("--memory"),
                    InFolder("memory.txt")},
                   SimProcess::Lenient);
    SimLine line(1, 9600);
    line.send("Q");
    EXPECT_EQ(ParseStatusAsProgram(line.readUntil("OK\r\n", 2000)).version, "114");
    const QByteArray download = Download(line, 'o');
    const QByteArray covered = "\r\n"
                               "Hyetra 114 2 Records\r\n"
                               "12/29/24 07:00\r\n"
                               "12/30 23:59 0007\r\n"
                               "01/02 00:01 0123\r\n";
    EXPECT_EQ(download, covered + "!" + Crc5(covered) + "\r\nOK\r\n");
    EXPECT_TRUE(CheckCrcField(download));
}

TEST(SimDownload, GeneratedRainIsPlausibleAndRoundTripsThroughTheMemoryFile) {
    const QString memory = InFolder("memory.txt");
    QByteArray first;
    {
        SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"),
                        QStringLiteral("3000"), QStringLiteral("--seed"), QStringLiteral("11"),
                        QStringLiteral("--write-memory"), memory});
        SimLine line(1, 115200);
        first = Download(line, 'y');
    }
    ASSERT_TRUE(CheckCrcField(first));
    ASSERT_EQ(TransferEnd(first), first.size());
    const QStringList records = RecordLines(first);
    ASSERT_EQ(records.size(), 3000);

    const QRegularExpression recordLine(
        QStringLiteral("^(\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d) (\\d)\\.(\\d\\d)$"));
    const QRegularExpression messageLine(
        QStringLiteral("^M (\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d) [A-Za-z ]+$"));
    QDateTime previous = LoggerTextTime(QString::fromLatin1(first).split("\r\n").at(2));
    const QDateTime start = previous;
    qint64 longestGap = 0;
    int messages = 0, resets = 0;
    for (const QString& r : records) {
        QRegularExpressionMatch m = recordLine.match(r);
        if (!m.hasMatch()) {
            m = messageLine.match(r);
            ASSERT_TRUE(m.hasMatch()) << r.toStdString();
            ++messages;
        } else if (m.captured(1) == QLatin1String("01/01/02 00:00")) {
            ++resets;
            continue;
        } else {
            const int tips = (m.captured(2) + m.captured(3)).toInt();
            EXPECT_GE(tips, 1);
            EXPECT_LE(tips, 255);
        }
        const QDateTime t = LoggerTextTime(m.captured(1));
        EXPECT_GT(t, previous) << r.toStdString();
        longestGap = std::max(longestGap, previous.secsTo(t));
        previous = t;
    }
    EXPECT_GT(messages, 0);
    EXPECT_GT(resets, 0);
    EXPECT_GE(longestGap, 86400) << "no dry spell of a day";
    EXPECT_GE(start.daysTo(previous), 60) << "months of rain";
    const qint64 sinceLast = previous.secsTo(QDateTime::currentDateTime());
    EXPECT_GE(sinceLast, 0);
    EXPECT_LE(sinceLast, 2 * 86400);

    // The file gives the same logger again.
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--memory"), memory});
    SimLine line(1, 115200);
    EXPECT_EQ(Download(line, 'y'), first);
}

TEST(SimDownload, OldFormatGeneratorHasOnlyRecordLines) {
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--version"), QStringLiteral("104"),
                    QStringLiteral("--records"), QStringLiteral("2000"), QStringLiteral("--seed"),
                    QStringLiteral("11")});
    SimLine line(1, 115200);
    const QByteArray download = Download(line, 'o');
    EXPECT_TRUE(CheckCrcField(download));
    const QRegularExpression oldLine(QStringLiteral("^\\d\\d/\\d\\d \\d\\d:\\d\\d \\d{4}$"));
    const QStringList records = RecordLines(download);
    ASSERT_EQ(records.size(), 2000);
    for (const QString& r : records)
        ASSERT_TRUE(oldLine.match(r).hasMatch()) << r.toStdString();
}

TEST(SimDownload, MemoryIsCappedAtTheSizeTheVersionGives) {
    struct Case {
        const char* version;
        int asked;
        int held;
    };
    for (const Case& c : {Case{"205", 9000, 5356}, Case{"115", 12000, 10732}}) {
        SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--version"),
                        QString::fromLatin1(c.version), QStringLiteral("--records"),
                        QString::number(c.asked)},
                       SimProcess::Lenient);
        SimLine line(1, 115200);
        line.send("Q");
        EXPECT_EQ(ParseStatusAsProgram(line.readUntil("OK\r\n", 2000)).records, c.held)
            << c.version;
    }
}

TEST(SimDownload, MemoryFileErrorsNameTheLine) {
    WriteText(InFolder("memory.txt"), "S,03/01/25,08:00\r\n03/01/25,09:15,3.00\r\n");
    QByteArray out, err;
    EXPECT_EQ(SimProcess::Run({QStringLiteral("--memory"), InFolder("memory.txt")}, out, err), 1);
    EXPECT_TRUE(err.contains("line 2")) << err.toStdString();
    // The old record format has no message lines: such a memory is refused for its versions.
    WriteText(InFolder("memory.txt"), "S,03/01/25,08:00\r\nM,03/01/25,09:00,Low Battery\r\n");
    EXPECT_EQ(SimProcess::Run({QStringLiteral("--memory"), InFolder("memory.txt"),
                               QStringLiteral("--version"), QStringLiteral("114")},
                              out, err),
              1);
    EXPECT_TRUE(err.contains("old record format")) << err.toStdString();
    // A message ending in "k" would end the program's transfer early.
    WriteText(InFolder("memory.txt"), "M,03/01/25,08:00,Door Unlock\r\n");
    EXPECT_EQ(SimProcess::Run({QStringLiteral("--memory"), InFolder("memory.txt")}, out, err), 1);
    EXPECT_FALSE(QFileInfo::exists(SimProcess::LinkPath(1)));
}

TEST(SimDownload, TransferFaults) {
    WriteText(InFolder("memory.txt"), kMemory);
    struct Case {
        const char* fault;
        bool ends;     // "OK" CR LF arrives
        bool hasField; // "!" and five digits
        bool crcPasses;
    };
    const Case cases[] = {
        {"wrong-crc", true, true, false},
        {"garbage", true, true, false},
        {"no-crc", true, false, true},
        {"cut-off", false, false, true},
    };
    for (const Case& c : cases) {
        SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--memory"),
                        InFolder("memory.txt"), QStringLiteral("--fault"),
                        QString::fromLatin1(c.fault)},
                       SimProcess::Lenient);
        SimLine line(1, 115200);
        line.send("y");
        const QByteArray download = line.readQuiet(400);
        EXPECT_EQ(download.endsWith("OK\r\n"), c.ends) << c.fault;
        EXPECT_EQ(download.contains('!'), c.hasField) << c.fault;
        EXPECT_EQ(CheckCrcField(download), c.crcPasses) << c.fault;
        EXPECT_TRUE(download.contains("03/03/25 14:30 2.55\r\n")) << c.fault;
    }
}

TEST(SimDownload, VanishingLoggerHangsUpTheLineAndEnds) {
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"), QStringLiteral("400"),
                    QStringLiteral("--fault"), QStringLiteral("vanish")},
                   SimProcess::Lenient);
    SimLine line(1, 115200);
    line.send("y");
    const QByteArray part = line.readQuiet(300);
    EXPECT_EQ(part.count("\r\n"), 3 + 200); // everything up to half-way arrives
    EXPECT_FALSE(part.contains('!'));
    EXPECT_TRUE(line.hungUp(2000));
    EXPECT_TRUE(sim.waitEnded(3000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(SimProcess::LinkPath(1)).isSymLink());
}

TEST(SimDownload, PauseHalfWayThenTheRest) {
    SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--records"), QStringLiteral("40"),
                    QStringLiteral("--fault"), QStringLiteral("download-pause"),
                    QStringLiteral("--pause"), QStringLiteral("1.2")},
                   SimProcess::Lenient);
    SimLine line(1, 115200);
    QElapsedTimer clock;
    clock.start();
    line.send("y");
    const QByteArray first = line.readQuiet(500);
    EXPECT_FALSE(first.contains('!'));
    EXPECT_EQ(first.count("\r\n"), 3 + 20);
    const QByteArray rest = line.readUntil("OK\r\n", 5000);
    EXPECT_GE(clock.elapsed(), 1200);
    EXPECT_TRUE(CheckCrcField(first + rest));
    EXPECT_EQ(RecordLines(first + rest).size(), 40);
}

TEST(SimDownload, RunsAtTheSerialLineRate) {
    // About 1.3 kB: some 1.4 s at 9600 baud.
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("1"), QStringLiteral("--version"),
                    QStringLiteral("125"), QStringLiteral("--records"), QStringLiteral("60")},
                   SimProcess::Lenient);
    SimLine line(1, 9600);
    QElapsedTimer clock;
    clock.start();
    line.send("y");
    const QByteArray download = line.readUntil("OK\r\n", 10000);
    const double seconds = double(clock.elapsed()) / 1000.0;
    const double expected = double(download.size()) / 960.0;
    EXPECT_TRUE(CheckCrcField(download));
    EXPECT_GE(seconds, expected * 0.9);
    EXPECT_LE(seconds, expected * 1.3 + 0.3);
}
