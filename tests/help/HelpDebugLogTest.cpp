#include "help/HelpDebugLog.h"
#include "help/HelpContexts.h"
#include "help/HelpSystem.h"
#include "help/HelpViewer.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "ui/Paths.h"

#include <QDateTime>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QStringList logLines() {
    QFile f(HelpSystem::DebugLogPath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

// The request, topic and result columns of a line (the first is the time).
QString withoutTime(const QString& line) {
    return line.section('\t', 1);
}

struct Switch {
    QStringList arguments;
    bool on;
};

} // namespace

TEST(HelpDebugLog, CommandLineSwitches) {
    const Switch cases[] = {
        {{"ombrex"}, false},          {{"ombrex", "-debug"}, true},   {{"ombrex", "/debug"}, true},
        {{"ombrex", "/DEBUG"}, true}, {{"ombrex", "--debug"}, false}, {{"ombrex", "debug"}, false},
        {{"-debug"}, false}, // the program's own name is not a switch
    };
    for (const Switch& s : cases) {
        SCOPED_TRACE(s.arguments.join(' ').toStdString());
        QFile::remove(HelpSystem::DebugLogPath());
        EXPECT_EQ(HelpSystem::ConfigureDebugLog(s.arguments), s.on);
        EXPECT_EQ(HelpSystem::DebugLogEnabled(), s.on);
        HelpSystem::ShowTopic("introduction.htm"); // no viewer: recorded only
        EXPECT_EQ(QFile::exists(HelpSystem::DebugLogPath()), s.on);
        HelpSystem::DisableDebugLog();
    }
}

TEST(HelpDebugLog, LogsEveryRequestWithItsResult) {
    EXPECT_EQ(HelpSystem::DebugLogPath(), UserConfigFolder() + "/Ombrex2-help.log");
    ASSERT_TRUE(HelpSystem::ConfigureDebugLog({"ombrex", "-debug"}));
    HelpViewer viewer;
    HelpSystem::Install(&viewer);
    ScriptedPrompts prompts;
    prompts.expectContaining(Prompts::Kind::Error, "nothere.htm", Prompts::Answer::Ok);

    HelpSystem::ShowContext(HelpContexts::DeviceInfo);
    HelpSystem::ShowTopic("nothere.htm");
    HelpSystem::CloseAll();
    HelpSystem::Install(nullptr);
    HelpSystem::DisableDebugLog();
    HelpSystem::ShowTopic("introduction.htm"); // after the log was switched off

    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains("DebugLog\t") && lines[0].contains("log started (-debug)"));
    EXPECT_EQ(withoutTime(lines[1]), "ShowContext 1010\tdeviceinfo.htm\tshown");
    EXPECT_EQ(withoutTime(lines[2]), "ShowTopic\tnothere.htm\ttopic not found");
    EXPECT_EQ(withoutTime(lines[3]), "CloseAll\t-\tclosed");
    EXPECT_TRUE(
        QDateTime::fromString(lines[1].section('\t', 0, 0), "yyyy-MM-dd hh:mm:ss.zzz").isValid());
}

TEST(HelpDebugLog, DebugFileBesideTheProgramSwitchesItOn) {
    const QString marker = ProgramFolder() + "debug.debug";
    ASSERT_FALSE(QFile::exists(marker)) << "left over from an earlier run";
    {
        QFile f(marker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const bool on = HelpSystem::ConfigureDebugLog({"ombrex"});
    QFile::remove(marker);
    EXPECT_TRUE(on);
    HelpSystem::ShowContext(HelpContexts::TextWindow); // no viewer installed
    HelpSystem::DisableDebugLog();
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("log started (debug.debug)"));
    EXPECT_EQ(withoutTime(lines[1]), "ShowContext 1020\ttextwindow.htm\tno help viewer");
}
