#include "app/SettingsStore.h"
#include "tests/support/TestUtil.h"
#include "ui/OmbrexError.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& text) {
    const QString path = SettingsStore::Location();
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

QString readFile() {
    QFile f(SettingsStore::Location());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

TEST(SettingsStore, LivesInThePerUserConfigFolder) {
    EXPECT_EQ(SettingsStore::Location(), TestFolder() + "/config/Pluvatec/Ombrex2.conf");
}

TEST(SettingsStore, ReadsTextValuesAndFallsBackToDefaults) {
    writeFile("[Settings]\nBucket Factor=254\nLogger=abc\nPort Number= 7\n"
              "[General]\nShowHelp=0\n[File Toolbar]\nVisible=5\n");
    SettingsStore store;
    struct Case {
        const char* section;
        const char* name;
        int def;
        int expected;
    } cases[] = {
        {"Settings", "Bucket Factor", 10, 254}, {"Settings", "Logger", 0, 0},
        {"Settings", "Port Number", 1, 7},      {"Settings", "Missing", 42, 42},
        {"Nowhere", "Bucket Factor", -8, -8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.ReadInteger(c.section, c.name, c.def), c.expected) << c.name;
    EXPECT_FALSE(store.ReadBool("General", "ShowHelp", true));
    EXPECT_TRUE(store.ReadBool("File Toolbar", "Visible", false)); // any non-zero number
    EXPECT_TRUE(store.ReadBool("General", "Missing", true));
}

TEST(SettingsStore, WritesEveryValueAsTextAndKeepsTheRest) {
    writeFile("[Window Settings]\nWidth=abc\nState=1\n[Other]\nKeep=me\n");
    {
        SettingsStore store;
        store.WriteInteger("Settings", "Bucket Factor", 500);
        store.WriteBool("General", "ShowHelp", false);
        store.WriteInteger("Window Settings", "State", -8);
    }
    SettingsStore again;
    EXPECT_EQ(again.ReadInteger("Settings", "Bucket Factor", 0), 500);
    EXPECT_EQ(again.ReadInteger("Window Settings", "State", 0), -8);
    EXPECT_EQ(again.ReadInteger("Window Settings", "Width", 99), 99);
    const QString text = readFile();
    EXPECT_TRUE(text.contains("ShowHelp=0")) << qPrintable(text);
    EXPECT_TRUE(text.contains("Width=abc")) << qPrintable(text);
    EXPECT_TRUE(text.contains("Keep=me")) << qPrintable(text);
}

TEST(SettingsStore, AValueThatIsNotTextIsAnError) {
    // An ini value with a comma reads back as a list, not as text.
    writeFile("[Window Settings]\nWidth=800, 600\n");
    SettingsStore store;
    try {
        store.ReadInteger("Window Settings", "Width", 1);
        FAIL() << "no error";
    } catch (const OmbrexError& e) {
        EXPECT_EQ(e.message().toStdString(), "Invalid data type for 'Width'");
    }
}

TEST(SettingsStore, AStoreThatCannotBeWrittenSaysSo) {
    // A folder where the file should be: no user, not even root, can write it.
    QDir().mkpath(SettingsStore::Location());
    SettingsStore store;
    try {
        store.WriteInteger("Settings", "Logger", 2);
        FAIL() << "no error";
    } catch (const OmbrexError& e) {
        EXPECT_EQ(e.message().toStdString(), "Failed to set data for 'Logger'");
    }
}

TEST(SettingsStore, TheStoresOwnFailuresHaveTheirOwnMessages) {
    struct Case {
        const char* what;
        std::function<void()> setUp;
        std::function<void(SettingsStore&)> use;
        const char* message;
    } cases[] = {
        {"a value there that nothing can be made of",
         [] { writeFile("[Window%20Settings]\nWidth=@Invalid()\n"); },
         [](SettingsStore& s) { s.ReadInteger("Window Settings", "Width", 1); },
         "Failed to get data for 'Width'"},
        {"a value of a type not known here",
         [] { writeFile("[Settings]\nLogger=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x10garbage)\n"); },
         [](SettingsStore& s) { s.ReadInteger("Settings", "Logger", 0); },
         "Failed to get data for 'Logger'"},
        {"a value of a known type that is not text",
         [] { writeFile("[Window%20Settings]\nLeft=@Rect(1 2 3 4)\n"); },
         [](SettingsStore& s) { s.ReadInteger("Window Settings", "Left", 0); },
         "Invalid data type for 'Left'"},
        {"a settings folder that cannot be created",
         [] {
             // A file where the folder should be.
             QFile blocker(QFileInfo(SettingsStore::Location()).path());
             ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
         },
         [](SettingsStore& s) { s.WriteInteger("Settings", "Bucket Factor", 500); },
         "Failed to create key Settings"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(TestFolder() + "/config").removeRecursively();
        QDir().mkpath(TestFolder() + "/config");
        c.setUp();
        SettingsStore store;
        try {
            c.use(store);
            ADD_FAILURE() << "no error";
        } catch (const OmbrexError& e) {
            EXPECT_EQ(e.message().toStdString(), c.message);
        }
    }
    // A missing folder is made on the first write.
    QDir(TestFolder() + "/config").removeRecursively();
    SettingsStore().WriteInteger("Settings", "Logger", 2);
    EXPECT_EQ(SettingsStore().ReadInteger("Settings", "Logger", 0), 2);
}
