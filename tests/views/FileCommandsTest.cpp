#include "data/crc_ccitt.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/views/MainWindowSupport.h"
#include "ui/Paths.h"
#include "views/LineView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

using Prompts::Answer;
using Prompts::Kind;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kData = "06/01/20,07:00,0.00\r\n06/01/20,12:00,0.02\r\n06/03/20,09:30,1.23\r\n"
                         "06/04/20,10:00,0.05\r\n";

class FileCommands : public ::testing::Test {
protected:
    void SetUp() override {
        main = OpenMain();
        folder = main->EnsureDataFolder();
        ASSERT_FALSE(folder.isEmpty());
    }
    void TearDown() override {
        main.reset();
        DataUnit::ClearTables();
    }
    QString inFolder(const QString& name) { return QDir(TestFolder()).filePath(name); }

    std::unique_ptr<TFMain> main;
    QString folder;
};

} // namespace

TEST_F(FileCommands, LoadFillsTheTablesAndEveryView) {
    EXPECT_EQ(folder, ProgramFolder() + "Data Files");
    const QString path = inFolder("garden.dat");
    writeFile(path, kData);
    ScriptedPrompts prompts;
    prompts.expectOpenFile(path);
    main->MnuLoadClick();
    ASSERT_EQ(prompts.fileDialogs().size(), 1);
    const Prompts::FileDialog& d = prompts.fileDialogs()[0];
    EXPECT_EQ(d.filter, "Hyetra Data Files|*.dat|Hyetra version 2.0 Files|*.csv");
    EXPECT_EQ(d.defaultExt, "dat");
    EXPECT_EQ(d.folder, folder);
    EXPECT_TRUE(d.fileName.isEmpty());

    EXPECT_EQ(main->windowTitle(), "Ombrex V2.4 - garden.dat");
    EXPECT_TRUE(main->Action("MnuSave")->isEnabled());
    EXPECT_TRUE(main->Action("MnuPrint")->isEnabled());
    EXPECT_TRUE(main->Action("MnuExport")->isEnabled());
    EXPECT_EQ(DataUnit::EventCount(), 4);
    ASSERT_EQ(DataUnit::DailyCount(), 4);
    TChildGraph* g = main->GraphWindows().first();
    EXPECT_EQ(g->FirstDay(), 0);
    EXPECT_EQ(g->LastDay(), 3);
    EXPECT_EQ(g->BarLabels().size(), 4);
    EXPECT_EQ(
        main->TextWindows().first()->Memo1()->lines().texts,
        QStringList({"06/01/20 - 0.02", "06/02/20 - 0.00", "06/03/20 - 1.23", "06/04/20 - 0.05"}));

    // Cancelling the next load changes nothing.
    prompts.expectOpenFile("");
    main->MnuLoadClick();
    EXPECT_EQ(DataUnit::EventCount(), 4);
}

TEST_F(FileCommands, LoadReportsBadLinesAndUnreadableFiles) {
    const QString path = inFolder("bad.dat");
    writeFile(path, kData + "garbage\r\n");
    ScriptedPrompts prompts;
    prompts.expectOpenFile(path);
    prompts.expect(Kind::Message, "There were 1 errors reading the data file", Answer::Ok);
    main->MnuLoadClick();
    EXPECT_EQ(DataUnit::EventCount(), 4);
    EXPECT_EQ(DataUnit::DailyCount(), 0);
    EXPECT_EQ(main->TextWindows().first()->Memo1()->lines().texts,
              QStringList({"No Data Available"}));

    // A file that cannot be opened: its reason, and the completion still runs.
    prompts.expectOpenFile(inFolder("missing.dat"));
    prompts.expectContaining(Kind::Error, "missing.dat", Answer::Ok);
    main->MnuLoadClick();
    EXPECT_EQ(main->windowTitle(), "Ombrex V2.4 - missing.dat");
    EXPECT_EQ(DataUnit::EventCount(), 0);
}

TEST_F(FileCommands, SaveAppendsOverwritesOrDeclines) {
    const QString source = inFolder("garden.dat");
    writeFile(source, kData);
    ScriptedPrompts prompts;
    prompts.expectOpenFile(source);
    main->MnuLoadClick();

    // A new file, proposed under the loaded file's name.
    const QString target = inFolder("copy.dat");
    prompts.expectSaveFile(target);
    main->MnuSaveClick();
    EXPECT_EQ(prompts.fileDialogs().last().fileName, "garden.dat");
    EXPECT_EQ(prompts.fileDialogs().last().filter,
              "Hyetra Data Files|*.dat|Version 2.0 Files|*.csv");
    EXPECT_EQ(readFile(target), kData);

    prompts.expectSaveFile(target);
    prompts.expect(Kind::Confirm, "File exists, do you want to append to it?", Answer::Yes);
    main->MnuSaveClick();
    EXPECT_EQ(readFile(target), kData + kData);

    prompts.expectSaveFile(target);
    prompts.expect(Kind::Confirm, "File exists, do you want to append to it?", Answer::No);
    prompts.expect(Kind::Confirm, "Do you want to overwrite the file?", Answer::Yes);
    main->MnuSaveClick();
    EXPECT_EQ(readFile(target), kData);

    writeFile(target, "old");
    prompts.expectSaveFile(target);
    prompts.expect(Kind::Confirm, "File exists, do you want to append to it?", Answer::No);
    prompts.expect(Kind::Confirm, "Do you want to overwrite the file?", Answer::No);
    main->MnuSaveClick();
    EXPECT_EQ(readFile(target), "old");

    // The saved file loads back to the same tables.
    prompts.expectSaveFile(target);
    prompts.expect(Kind::Confirm, "File exists, do you want to append to it?", Answer::No);
    prompts.expect(Kind::Confirm, "Do you want to overwrite the file?", Answer::Yes);
    main->MnuSaveClick();
    prompts.expectOpenFile(target);
    main->MnuLoadClick();
    EXPECT_EQ(DataUnit::EventCount(), 4);
    EXPECT_EQ(DataUnit::DailyCount(), 4);
    bool out = false;
    EXPECT_EQ(DataUnit::GetEvent(2, out).Count, 123);

    // A folder that cannot be written: the reason is shown.
    prompts.expectSaveFile(TestFolder() + "/no-such-folder/x.dat");
    prompts.expectContaining(Kind::Error, "x.dat", Answer::Ok);
    main->MnuSaveClick();
}

TEST_F(FileCommands, ImportChecksTheFileAndFillsTheTables) {
    QByteArray body = "Tarnell export\r\nGarden\r\n06/01/20,07:00\r\n06/01/20,12:00,0.02\r\n"
                      "06/02/20,09:30,0.10\r\n!";
    CrcReset();
    for (char c : body.left(body.size() - 1))
        CrcUpdate(uint8_t(c));
    CrcUpdate(0);
    CrcUpdate(0);
    const QByteArray good = body + QByteArray::number(CrcValue()).rightJustified(5, '0') +
                            "\r\n06/09/20,10:00,5.00\r\n";
    const QString path = inFolder("phone.csv");
    writeFile(path, good);
    ScriptedPrompts prompts;
    prompts.expectOpenFile(path);
    main->MnuImportClick();
    EXPECT_EQ(prompts.fileDialogs().last().filter, "Tarnell (comma delimited)|*.csv");
    EXPECT_EQ(prompts.fileDialogs().last().defaultExt, "csv");
    EXPECT_EQ(main->windowTitle(), "Ombrex V2.4 - phone.csv");
    // Start record, two records, and the end record at the file's time; nothing after '!'.
    ASSERT_EQ(DataUnit::EventCount(), 4);
    bool out = false;
    EXPECT_EQ(DataUnit::GetEvent(1, out).Count, 2);
    EXPECT_EQ(DataUnit::GetEvent(3, out).Count, 0);
    EXPECT_GE(DataUnit::DailyCount(), 2);
    EXPECT_EQ(main->GraphWindows().first()->LastDay(), DataUnit::DailyCount() - 1);
    EXPECT_TRUE(main->Action("MnuSave")->isEnabled());

    // A wrong check number warns, and the import goes on.
    writeFile(path, body + "00000\r\n");
    prompts.expectOpenFile(path);
    prompts.expect(Kind::Message,
                   "The CRC check sum of the data file failed. Please check the data carefully, "
                   "there may be errors.",
                   Answer::Ok);
    main->MnuImportClick();
    EXPECT_EQ(DataUnit::EventCount(), 4);

    // A file that cannot be opened keeps the tables.
    prompts.expectOpenFile(inFolder("gone.csv"));
    prompts.expectContaining(Kind::Error, "gone.csv", Answer::Ok);
    main->MnuImportClick();
    EXPECT_EQ(DataUnit::EventCount(), 4);
    EXPECT_EQ(main->windowTitle(), "Ombrex V2.4 - phone.csv");
}

TEST_F(FileCommands, RawDownloadDataOpensTheTextEditor) {
    ScriptedPrompts prompts;
    RecordingOpener opener;
    prompts.expect(Kind::Message, "Sorry, no download files were found.", Answer::Ok);
    main->R1Click();
    EXPECT_TRUE(opener.opened.isEmpty());
    writeFile(inFolder("download.txt"), "Q\r\n");
    main->R1Click();
    EXPECT_EQ(opener.opened,
              QStringList({QUrl::fromLocalFile(inFolder("download.txt")).toString()}));
}

TEST(DataFolder, ProgramFolderElsePerUserElseNothing) {
    const QString root = TestFolder();
    writeFile(root + "/blocked", "a file where a folder would go");
    const QString blocked = root + "/blocked/Data Files";
    const QString user = root + "/share/Pluvatec/Ombrex2/Data Files";
    EXPECT_EQ(TFMain::ChooseDataFolder(root + "/prog/Data Files", user), root + "/prog/Data Files");
    EXPECT_TRUE(QFileInfo(root + "/prog/Data Files").isDir());
    EXPECT_EQ(TFMain::ChooseDataFolder(blocked, user), user);
    EXPECT_TRUE(QFileInfo(user).isDir());
    EXPECT_EQ(TFMain::ChooseDataFolder(blocked, root + "/blocked/user"), QString());
    // An existing folder that cannot be written gives way to the user's own.
    QDir().mkpath(root + "/ro/Data Files");
    QFile::setPermissions(root + "/ro/Data Files", QFile::ReadOwner | QFile::ExeOwner);
    if (!QFileInfo(root + "/ro/Data Files").isWritable()) { // not when running as root
        EXPECT_EQ(TFMain::ChooseDataFolder(root + "/ro/Data Files", user), user);
    }
    QFile::setPermissions(root + "/ro/Data Files",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
