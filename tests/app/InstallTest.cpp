#include "tests/support/TestUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

QString install(const QString& prefix) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(OMBREX_CMAKE_COMMAND, {"--install", OMBREX_BUILD_DIR, "--prefix", prefix});
    p.waitForFinished(120000);
    return p.exitCode() == 0 ? QString() : QString::fromLocal8Bit(p.readAll());
}

} // namespace

TEST(Install, ProgramHelpLaunchersDesktopEntryAndIcons) {
    const QString prefix = TestFolder() + "/prefix";
    const QString failure = install(prefix);
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();

    // Program and help file share one folder: the program finds its help beside itself.
    const QFileInfo program(prefix + "/lib/ombrex/ombrex");
    EXPECT_TRUE(program.isFile() && program.isExecutable());
    EXPECT_GT(QFileInfo(prefix + "/lib/ombrex/Ombrex 2.chm").size(), 10000);
    const QString built = QString(OMBREX_BUILD_DIR) + "/bin/Hyetra Report.xltx";
    EXPECT_EQ(QFileInfo::exists(prefix + "/lib/ombrex/Hyetra Report.xltx"),
              QFileInfo::exists(built));

    // The launcher on the PATH starts the program of its own prefix, also through a link.
    const QFileInfo launcher(prefix + "/bin/ombrex");
    ASSERT_TRUE(launcher.isFile() && launcher.isExecutable());
    QFile script(launcher.filePath());
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(script.readAll());
    EXPECT_TRUE(text.startsWith("#!/bin/sh"));
    QFile::link(launcher.filePath(), TestFolder() + "/ombrex-link");
    QProcess resolve;
    resolve.start("sh", {"-c",
                         "here=$(dirname \"$(readlink -f \"$0\")\"); "
                         "test -x \"$here/../lib/ombrex/ombrex\"",
                         TestFolder() + "/ombrex-link"});
    resolve.waitForFinished();
    EXPECT_EQ(resolve.exitCode(), 0);
    EXPECT_TRUE(text.contains("\"$here/../lib/ombrex/ombrex\" \"$@\""));

    // ombrex-tool lives beside the program; the command on the PATH is a relative link to it,
    // so a moved prefix keeps working.
    const QFileInfo tool(prefix + "/bin/ombrex-tool");
    EXPECT_TRUE(tool.isSymLink());
    EXPECT_EQ(tool.symLinkTarget(),
              QFileInfo(prefix + "/lib/ombrex/ombrex-tool").absoluteFilePath());
    EXPECT_TRUE(QFileInfo(tool.symLinkTarget()).isExecutable());
    EXPECT_TRUE(QFileInfo(prefix + "/share/metainfo/com.pluvatec.ombrex.metainfo.xml").isFile());
    EXPECT_TRUE(QFileInfo(prefix + "/share/man/man1/ombrex.1.gz").isFile());

    QSettings desktop(prefix + "/share/applications/ombrex.desktop", QSettings::IniFormat);
    desktop.beginGroup("Desktop Entry");
    EXPECT_EQ(desktop.value("Type").toString(), "Application");
    EXPECT_EQ(desktop.value("Name").toString(), "Ombrex");
    EXPECT_EQ(desktop.value("Exec").toString(), "ombrex");
    EXPECT_EQ(desktop.value("Icon").toString(), "ombrex");
    // QSettings reads "a;b;c;" as one text: the categories as written.
    QFile entry(prefix + "/share/applications/ombrex.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nCategories=Science;Education;Utility;\n"));

    const QString icons = prefix + "/share/icons/hicolor/";
    EXPECT_TRUE(QFileInfo(icons + "scalable/apps/ombrex.svg").isFile());
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        QImage icon(icons + QString("%1x%1/apps/ombrex.png").arg(size));
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(size, size));
        // Rendered, not blank: the corner is clear and the middle is painted.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
}
