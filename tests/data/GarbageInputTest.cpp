#include "data/DataFiles.h"

#include "tests/data/DataTestSupport.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <QFile>
#include <QRandomGenerator>

// The sanitizers keep freed memory in quarantine, so peak sizes say nothing there.
#if defined(__SANITIZE_ADDRESS__)
#define OMBREX_MEASURE_PEAK 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREX_MEASURE_PEAK 0
#endif
#endif
#if !defined(OMBREX_MEASURE_PEAK) && defined(Q_OS_LINUX)
#define OMBREX_MEASURE_PEAK 1
#endif
#ifndef OMBREX_MEASURE_PEAK
#define OMBREX_MEASURE_PEAK 0
#endif

#if OMBREX_MEASURE_PEAK
#include <sys/resource.h>
#endif

namespace {

class GarbageInput : public DataTest {};

// Random bytes, half of them from the characters the parsers look at, so the fuzz reaches past
// the first length check.
QByteArray Garbage(QRandomGenerator& random, int size) {
    static const QByteArray near = "0123456789/:,. \r\n\r\nM!-+";
    QByteArray out(size, '\0');
    for (char& c : out)
        c = random.bounded(2) ? near[random.bounded(int(near.size()))] : char(random.bounded(256));
    return out;
}

void ExpectSaneTables() {
    for (const TRainRecord& r : Events()) {
        EXPECT_GE(r.Count, 0);
        EXPECT_LE(r.Count, 255);
        EXPECT_LE(r.Message.size(), 20);
    }
}

TEST_F(GarbageInput, RandomBytesAsCaptureDataFileAndImport) {
    ScriptedPrompts prompts;
    prompts.allowAny(Prompts::Answer::Ok);
    QRandomGenerator random(20090615);
    const QString path = TestFolder() + "/garbage.dat";
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = Garbage(random, int(random.bounded(1, 3000)));
        for (const char* version : {"105", "104"}) {
            DataUnit::ClearTables();
            SetCapture(bytes);
            CheckDownloadCrc();
            SetCapture(bytes);
            DataUnit::ParseDownload(QString::fromLatin1(version));
            EXPECT_FALSE(CaptureStream::Exists());
            ExpectSaneTables();
            DataUnit::BuildDailyTable(DataUnit::StartTime());
        }
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        DataFiles::LoadDataFile(path);
        ExpectSaneTables();
        DataFiles::ImportFile(path);
        ExpectSaneTables();
        EXPECT_GE(DataUnit::EventCount(), 1); // the end record at least
    }
}

#if OMBREX_MEASURE_PEAK
long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
#endif

// Megabytes of random bytes; without line ends the whole file is one line.
void WriteRandomFile(const QString& path, int megabytes, quint32 seed, bool lineEnds) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QRandomGenerator random(seed);
    QByteArray chunk(1 << 20, '\0');
    for (int i = 0; i < megabytes; ++i) {
        random.fillRange(reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
        if (!lineEnds)
            chunk.replace('\n', 'x');
        f.write(chunk);
    }
}

TEST_F(GarbageInput, HugeFileWithoutLineEndsIsReadInBoundedMemory) {
    ScriptedPrompts prompts;
    prompts.allowAny(Prompts::Answer::Ok);
    const QString path = TestFolder() + "/one-line.dat";
    constexpr int Megabytes = 64;
    WriteRandomFile(path, Megabytes, 7, false);
#if OMBREX_MEASURE_PEAK
    const long before = PeakKilobytes();
#endif
    const DataFiles::ReadResult loaded = DataFiles::LoadDataFile(path);
    EXPECT_EQ(loaded.errors + DataUnit::EventCount(), 1); // one line, rejected or not
#if OMBREX_MEASURE_PEAK
    EXPECT_LT(PeakKilobytes() - before, 16 * 1024); // not the file's size
#endif
    DataFiles::ImportFile(path); // holds the bytes once for the check, no more
    EXPECT_EQ(DataUnit::EventCount(), 1);
#if OMBREX_MEASURE_PEAK
    EXPECT_LT(PeakKilobytes() - before, (Megabytes + 16) * 1024);
#endif
}

// A 100 MB binary file picked by mistake: every line it happens to have is counted as an error,
// nothing crashes, and reading it never holds more than the import's one copy of its bytes.
TEST_F(GarbageInput, HundredMegabyteBinaryFileIsReportedInBoundedMemory) {
    ScriptedPrompts prompts;
    prompts.allowAny(Prompts::Answer::Ok);
    const QString path = TestFolder() + "/photo.dat";
    constexpr int Megabytes = 100;
    WriteRandomFile(path, Megabytes, 11, true);
#if OMBREX_MEASURE_PEAK
    const long before = PeakKilobytes();
#endif
    const DataFiles::ReadResult loaded = DataFiles::LoadDataFile(path);
    EXPECT_GT(loaded.errors, 100000); // about one line end in 256 bytes
    EXPECT_TRUE(loaded.failure.isEmpty());
    EXPECT_EQ(DataUnit::DailyCount(), 0);
    ExpectSaneTables();
#if OMBREX_MEASURE_PEAK
    EXPECT_LT(PeakKilobytes() - before, 32 * 1024);
#endif
    // The import stops at the first "!", which random bytes soon hold.
    EXPECT_TRUE(DataFiles::ImportFile(path).failure.isEmpty());
    ExpectSaneTables();
#if OMBREX_MEASURE_PEAK
    EXPECT_LT(PeakKilobytes() - before, (Megabytes + 32) * 1024);
#endif
}

} // namespace
