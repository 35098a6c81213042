#include "data/DataFiles.h"
#include "data/crc_ccitt.h"

#include "tests/data/DataTestSupport.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestUtil.h"
#include "ui/OmbrexError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#endif

using Prompts::Answer;
using Prompts::Kind;

namespace {

const QString AppendQuestion = QStringLiteral("File exists, do you want to append to it?");
const QString OverwriteQuestion = QStringLiteral("Do you want to overwrite the file?");

class DataFiles_ : public DataTest {};

QString PathIn(const QString& name) {
    return TestFolder() + QLatin1Char('/') + name;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A download of a few days with a message line, parsed the way the program does.
void LoadSampleDownload() {
    SetCapture("Hyetra\r\nDownload\r\n06/01/09 08:00\r\n"
               "06/01/09 09:10 0.05\r\n"
               "06/03/09 14:45 123\r\n"
               "M 06/03/09 15:00 Battery low\r\n"
               "06/04/09 00:00 255\r\n!00000");
    DataUnit::ParseDownload(QStringLiteral("125"));
    DataUnit::BuildDailyTable(DataUnit::StartTime());
}

QByteArray WithCrc(const QByteArray& body) {
    CrcReset();
    for (char c : body)
        CrcUpdate(uint8_t(c));
    CrcUpdate(0);
    CrcUpdate(0);
    return body + "!" + QByteArray::number(CrcValue()).rightJustified(5, ' ') + "\r\n";
}

TEST_F(DataFiles_, SaveThenLoadGivesTheSameTables) {
    LoadSampleDownload();
    const auto events = Events();
    const auto days = Dailies();
    ASSERT_EQ(events.size(), 6u);
    const QString path = PathIn("rain.dat");
    DataUnit::SaveDataFile(path);

    const QByteArray bytes = ReadFile(path);
    EXPECT_TRUE(bytes.startsWith("06/01/09,08:00,0.00\r\n"
                                 "06/01/09,09:10,0.05\r\n"
                                 "06/03/09,14:45,1.23\r\n"
                                 "06/03/09,15:00,0.00\r\n" // the message loses its text
                                 "06/04/09,00:00,2.55\r\n"))
        << bytes.constData();
    EXPECT_TRUE(bytes.endsWith(",0.00\r\n"));
    EXPECT_EQ(bytes.count('\n'), 6);

    const DataFiles::ReadResult result = DataFiles::LoadDataFile(path);
    EXPECT_EQ(result.errors, 0);
    EXPECT_TRUE(result.failure.isEmpty());
    const auto loaded = Events();
    ASSERT_EQ(loaded.size(), events.size());
    for (size_t i = 0; i < loaded.size(); ++i) {
        EXPECT_EQ(LoggerTimeText(loaded[i].DateTime), LoggerTimeText(events[i].DateTime)) << i;
        EXPECT_EQ(loaded[i].Count, events[i].Count) << i;
        EXPECT_TRUE(loaded[i].Message.isEmpty());
    }
    EXPECT_EQ(DataUnit::StartTime(), events[0].DateTime);
    const auto loadedDays = Dailies();
    ASSERT_EQ(loadedDays.size(), days.size());
    for (size_t i = 0; i < days.size(); ++i) {
        EXPECT_EQ(loadedDays[i].DateTime, days[i].DateTime);
        EXPECT_EQ(loadedDays[i].Count, days[i].Count);
    }
}

TEST_F(DataFiles_, ExistingFileAppendOverwriteOrDecline) {
    DataUnit::AppendEvent({At(2009, 6, 15, 14, 30), 123, {}});
    const QByteArray line = "06/15/09,14:30,1.23\r\n";
    const QByteArray old = "07/01/09,10:00,0.01\r\n";
    const QString path = PathIn("rain.dat");
    const struct {
        Answer first, second;
        QByteArray after;
    } cases[] = {
        {Answer::Yes, Answer::Ok, old + line}, // append
        {Answer::No, Answer::Yes, line},       // overwrite
        {Answer::No, Answer::No, old},         // neither: nothing written
    };
    for (const auto& c : cases) {
        WriteFile(path, old);
        ScriptedPrompts prompts;
        prompts.expect(Kind::Confirm, AppendQuestion, c.first);
        if (c.first == Answer::No)
            prompts.expect(Kind::Confirm, OverwriteQuestion, c.second);
        DataUnit::SaveDataFile(path);
        EXPECT_EQ(ReadFile(path), c.after);
        EXPECT_EQ(QDir(TestFolder()).entryList(QDir::Files), QStringList{"rain.dat"});
    }
}

TEST_F(DataFiles_, EmptyTableWritesAnEmptyFile) {
    const QString path = PathIn("empty.dat");
    DataUnit::SaveDataFile(path);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(ReadFile(path), QByteArray());
}

TEST_F(DataFiles_, WriteFailuresNameTheFileAndReason) {
    DataUnit::AppendEvent({At(2009, 6, 15, 14, 30), 1, {}});
    QDir(TestFolder()).mkdir("folder.dat");
    WriteFile(PathIn("plain"), "x");
    for (const QString& path : {PathIn("folder.dat"), PathIn("plain/inside.dat")}) {
        try {
            DataUnit::SaveDataFile(path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const OmbrexError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_TRUE(e.message().startsWith("Cannot create file")) << e.message().toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(PathIn("folder.dat")).isDir());
    EXPECT_EQ(ReadFile(PathIn("plain")), QByteArray("x"));
}

#ifdef Q_OS_LINUX
// A file-size limit makes the write fail part-way, also for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

TEST_F(DataFiles_, FailedOverwriteOrAppendKeepsTheOldFile) {
    for (int i = 0; i < 20000; ++i)
        DataUnit::AppendEvent({At(2009, 6, 15, 14, 30) + i / 1440.0, 5, {}});
    const QString path = PathIn("rain.dat");
    QByteArray old;
    for (int i = 0; i < 100; ++i)
        old += "07/01/09,10:00,0.01\r\n";
    for (Answer first : {Answer::No, Answer::Yes}) {
        WriteFile(path, old);
        ScriptedPrompts prompts;
        prompts.expect(Kind::Confirm, AppendQuestion, first);
        if (first == Answer::No)
            prompts.expect(Kind::Confirm, OverwriteQuestion, Answer::Yes);
        bool threw = false;
        {
            FileSizeLimit limit(64 * 1024);
            try {
                DataUnit::SaveDataFile(path);
            } catch (const OmbrexError& e) {
                threw = true;
                EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
                EXPECT_TRUE(e.message().contains("large", Qt::CaseInsensitive))
                    << e.message().toStdString();
            }
        }
        EXPECT_TRUE(threw);
        EXPECT_EQ(ReadFile(path), old);
        EXPECT_EQ(QDir(TestFolder()).entryList(QDir::Files), QStringList{"rain.dat"});
    }
}

// A full disk and a read-only folder, for real: the old file stays as it was, nothing is left
// beside it, and the message names the file and the system's reason.
TEST_F(DataFiles_, FullDiskOrReadOnlyFolderKeepsTheOldFile) {
    for (int i = 0; i < 20000; ++i) // about 420 KB of lines
        DataUnit::AppendEvent({At(2009, 6, 15, 14, 30) + i / 1440.0, 5, {}});
    QByteArray old;
    for (int i = 0; i < 100; ++i)
        old += "07/01/09,10:00,0.01\r\n";
    struct Case {
        const char* name;
        bool readOnly;
        const char* reason;
    };
    for (const Case& c : {Case{"full", false, "No space left on device"},
                          Case{"read-only", true, "Read-only file system"}}) {
        const QString folder = PathIn(c.name);
        SmallDisk disk(folder, "128k");
        if (!disk.mounted()) {
            GTEST_SKIP() << "cannot mount a small file system here: " << disk.why();
        }
        const QString path = folder + "/rain.dat";
        WriteFile(path, old);
        if (c.readOnly) {
            ASSERT_TRUE(disk.makeReadOnly());
        }
        ScriptedPrompts prompts;
        prompts.expect(Kind::Confirm, AppendQuestion, Answer::No);
        prompts.expect(Kind::Confirm, OverwriteQuestion, Answer::Yes);
        try {
            DataUnit::SaveDataFile(path);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const OmbrexError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(c.reason)) << e.message().toStdString();
        }
        EXPECT_EQ(ReadFile(path), old) << c.name;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"rain.dat"}) << c.name;
    }
}
#endif

TEST_F(DataFiles_, LoadCountsBadLinesAndKeepsTheRest) {
    const QString path = PathIn("one-bad.dat");
    WriteFile(path, "06/15/09,14:30,1.5\r\n06/15/09,14:40\r\n06/16/09,08:00,0.02\n");
    const DataFiles::ReadResult result = DataFiles::LoadDataFile(path);
    EXPECT_EQ(result.errors, 1);
    const auto e = Events();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].Count, 15); // one decimal
    EXPECT_EQ(e[1].Count, 2);
    EXPECT_EQ(DataUnit::DailyCount(), 0);

    const QString good = PathIn("good.dat");
    WriteFile(good, "06/15/09,14:30,1.5\n06/16/09,08:00,0.02"); // LF only, no last line end
    DataUnit::SetStartTime(0);
    EXPECT_EQ(DataFiles::LoadDataFile(good).errors, 0);
    EXPECT_EQ(DataUnit::EventCount(), 2);
    EXPECT_EQ(DataUnit::StartTime(), At(2009, 6, 15, 14, 30));
    EXPECT_EQ(DataUnit::DailyCount(), 2);
}

// A garbled file says once that its dates are invalid, not once a line.
TEST_F(DataFiles_, InvalidDatesAreReportedOncePerReading) {
    const QString path = PathIn("bad-dates.dat");
    WriteFile(path, "13/45/09,14:30,0.01\r\n14/45/09,14:31,0.01\r\n15/45/09,14:32,0.01\r\n");
    ScriptedPrompts prompts;
    prompts.expect(Prompts::Kind::Error, "The start time in the logger is invalid",
                   Prompts::Answer::Ok);
    EXPECT_EQ(DataFiles::LoadDataFile(path).errors, 0); // the lines still count as read
    EXPECT_EQ(DataUnit::EventCount(), 3);
    prompts.expect(Prompts::Kind::Error, "The start time in the logger is invalid",
                   Prompts::Answer::Ok);
    DataFiles::LoadDataFile(path); // the next reading says it again
}

TEST_F(DataFiles_, LoadOfAMissingFileEmptiesTheTables) {
    LoadSampleDownload();
    const DataFiles::ReadResult result = DataFiles::LoadDataFile(PathIn("none.dat"));
    EXPECT_TRUE(result.failure.contains(PathIn("none.dat"))) << result.failure.toStdString();
    EXPECT_EQ(DataUnit::EventCount(), 0);
    EXPECT_EQ(DataUnit::DailyCount(), 0);
}

TEST_F(DataFiles_, ImportStartLineStopAndEndRecord) {
    const QString path = PathIn("tarnell.csv");
    const QByteArray body = "Tarnell\r\nexport\r\n06/01/09,08:00\r\n"
                            "06/02/09,14:30,0.05\r\n"
                            "06/02/09,15:00,0.12\r\n";
    WriteFile(path, WithCrc(body) + "not a record\r\n06/09/09,10:00,0.01\r\n");
    const QDateTime modified(QDate(2009, 6, 5), QTime(17, 45, 31));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    const DataFiles::ReadResult result = DataFiles::ImportFile(path);
    EXPECT_EQ(result.errors, 0);
    EXPECT_FALSE(result.crcFailed);
    EXPECT_TRUE(result.failure.isEmpty());
    EXPECT_FALSE(CaptureStream::Exists());
    const auto e = Events();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].DateTime, At(2009, 6, 1, 8, 0));
    EXPECT_EQ(e[1].Count, 5);
    EXPECT_EQ(e[2].Count, 12);
    EXPECT_EQ(e[3].DateTime, At(2009, 6, 5, 17, 45)); // the modification time, to the minute
    EXPECT_EQ(e[3].Count, 0);
    EXPECT_EQ(DataUnit::StartTime(), At(2009, 6, 1, 8, 0));
    EXPECT_EQ(DataUnit::DailyCount(), 5); // 1 to 5 June
}

TEST_F(DataFiles_, ImportWithoutStartLineOrWithBadCrc) {
    const QString path = PathIn("tarnell.csv");
    WriteFile(path, "a\r\nb\r\n06/01/09,08:00,x\r\n06/02/09,14:30,0.05\r\n!99999\r\n");
    const DataFiles::ReadResult result = DataFiles::ImportFile(path);
    EXPECT_TRUE(result.crcFailed);
    EXPECT_EQ(result.errors, 0);
    ASSERT_EQ(DataUnit::EventCount(), 2);
    EXPECT_EQ(Events()[0].DateTime, At(2009, 6, 2, 14, 30)); // first record is record 0
    EXPECT_EQ(DataUnit::StartTime(), At(2009, 6, 2, 14, 30));

    WriteFile(path, "a\r\nb\r\n06/01/09,08:00\r\n06/02/09,14:30\r\nbad\r\n!");
    const DataFiles::ReadResult bad = DataFiles::ImportFile(path);
    EXPECT_EQ(bad.errors, 2);
    EXPECT_FALSE(bad.crcFailed);          // no check number: nothing to fail
    EXPECT_EQ(DataUnit::EventCount(), 2); // start and end record
    EXPECT_EQ(DataUnit::DailyCount(), 0);
}

// The check number after "!": missing, cut short or not a number. Only a field that is there
// and wrong (or too short to be one) fails the check; every case imports the same records.
TEST_F(DataFiles_, ImportCheckNumberCases) {
    const QByteArray body = "Tarnell\r\nexport\r\n06/01/09,08:00\r\n06/02/09,14:30,0.05\r\n";
    struct Case {
        const char* name;
        QByteArray tail;
        bool crcFailed;
    };
    for (const Case& c :
         {Case{"no bang at all", "", false}, Case{"bang only", "!", false},
          Case{"three characters", "!12\r", false}, Case{"four characters", "!1234", true},
          Case{"letters", "!12a45\r\n", true}, Case{"wrong number", "!00001\r\n", true}}) {
        const QString path = PathIn("check.csv");
        WriteFile(path, body + c.tail);
        const DataFiles::ReadResult r = DataFiles::ImportFile(path);
        EXPECT_EQ(r.crcFailed, c.crcFailed) << c.name;
        EXPECT_EQ(r.errors, 0) << c.name;
        EXPECT_TRUE(r.failure.isEmpty()) << c.name;
        EXPECT_EQ(DataUnit::EventCount(), 3) << c.name; // start, the record, the end record
    }
}

TEST_F(DataFiles_, ImportOfAMissingFileLeavesTheTables) {
    LoadSampleDownload();
    const int32_t before = DataUnit::EventCount();
    const DataFiles::ReadResult result = DataFiles::ImportFile(PathIn("none.csv"));
    EXPECT_FALSE(result.failure.isEmpty());
    EXPECT_EQ(DataUnit::EventCount(), before);
}

} // namespace
