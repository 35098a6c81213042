#include "link/StatusReply.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <gtest/gtest.h>

namespace {
const TDateTime kNow = EncodeDateTime(2025, 3, 7, 14, 6, 39);
}

TEST(StatusReply, TakesWhatTheReplyHolds) {
    struct Case {
        const char* name;
        QByteArray reply;
        bool complete;
        bool versionReached;
        QString deviceName;
        int32_t records;
        QString version;
        QString battery;
    } cases[] = {
        {"full reply",
         "\r\nHyetra>\r\nRiver Gauge \r\n03/07/25 14:05:09\r\n1234 Records\r\n56 Days\r\n225\r\n"
         "3.6 Volts \r\nOK\r\n",
         true, true, "River Gauge", 1234, "225", "3.6 Volts "},
        {"no prompt loses only two characters",
         "xxName.\r\n03/07/25 14:05\r\n7 Records\r\n1 Days\r\n", true, false, "Name", 7, "old",
         "old batt"},
        {"one-character name line", ">..X\r\n03/07/25 14:05\r\n7 Records\r\n1 Days\r\n", true,
         false, "", 7, "old", "old batt"},
        {"empty name line", ">..\r\n03/07/25 14:05\r\n7 Records\r\n1 Days\r\n", true, false, "", 7,
         "old", "old batt"},
        {"count that is not a number", ">..N \r\n03/07/25 14:05\r\nlots Records\r\n1 Days\r\n",
         true, false, "N", 0, "old", "old batt"},
        {"stops without the day count", ">..N \r\n03/07/25 14:05\r\n9 Records\r\nOK\r\n", false,
         false, "N", 9, "old", "old batt"},
        {"stops after the name", ">..Kept \r\nOK", false, false, "Kept", 5, "old", "old batt"},
        {"version without battery", ">..N \r\n03/07/25 14:05\r\n7 Records\r\n1 Days\r\n115\r\nOK",
         true, true, "N", 7, "115", "old batt"},
        {"short version line", ">..N \r\n03/07/25 14:05\r\n7 Records\r\n1 Days\r\n2\r\nOK\r\n",
         true, true, "N", 7, "2", "old batt"},
        {"ends after the day count", ">..N \r\n03/07/25 14:05\r\n7 Records\r\n1 Days\r\nok\r\n",
         true, false, "N", 7, "old", "old batt"},
    };
    for (const auto& c : cases) {
        DeviceStatus status;
        status.DeviceName = "before";
        status.RecordCount = 5;
        status.LoggerVersion = "old";
        status.BatteryText = "old batt";
        const StatusReplyResult r = ParseStatusReply(c.reply, status, kNow);
        EXPECT_EQ(r.complete, c.complete) << c.name;
        EXPECT_EQ(r.versionReached, c.versionReached) << c.name;
        EXPECT_EQ(status.DeviceName, c.deviceName) << c.name;
        EXPECT_EQ(status.RecordCount, c.records) << c.name;
        EXPECT_EQ(status.LoggerVersion, c.version) << c.name;
        EXPECT_EQ(status.BatteryText, c.battery) << c.name;
    }
}

TEST(StatusReply, ClockOffsetIsPcTimeMinusLoggerTime) {
    DeviceStatus status;
    ParseStatusReply(">..N \r\n03/07/25 14:05:09\r\n1 Records\r\n1 Days\r\n", status, kNow);
    EXPECT_NEAR(status.ClockOffset * 86400.0, 90.0, 1.0);

    // An invalid clock says so and measures from 1 January 2001 noon.
    ScriptedPrompts prompts;
    prompts.expect(Prompts::Kind::Error, "The start time in the logger is invalid",
                   Prompts::Answer::Ok);
    ParseStatusReply(">..N \r\n13/45/25 14:05\r\n1 Records\r\n1 Days\r\n", status, kNow);
    EXPECT_DOUBLE_EQ(status.ClockOffset, kNow - EncodeDateTime(2001, 1, 1, 12, 0));
}

TEST(StatusReply, ClockTextAndDownloadCommand) {
    EXPECT_EQ(ClockText(EncodeDateTime(2024, 12, 31, 23, 59, 58)), QByteArray("241231235958"));
    EXPECT_EQ(ClockText(EncodeDateTime(2025, 3, 7, 14, 5, 9)), QByteArray("250307140509"));
    struct {
        const char* version;
        char command;
    } cases[] = {{"224", 'o'}, {"225", 'y'}, {"219", 'y'}, {"110", 'o'}, {"22", 'o'}, {"", 'o'}};
    for (const auto& c : cases)
        EXPECT_EQ(DownloadCommand(c.version), c.command) << c.version;
}
