#include "data/RecordFiles.h"

#include "DataTestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

namespace {

class RecordFiles_ : public DataTest {};

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

TEST_F(RecordFiles_, KindComesFromTheContent) {
    using K = RecordFiles::Kind;
    const struct {
        const char* what;
        QByteArray head;
        K kind;
    } cases[] = {
        {"data file", "06/01/09,08:00,0.00\r\n06/01/09,09:10,0.05\r\n", K::DataFile},
        {"Tarnell file", "Tarnell\r\nexport\r\n06/01/09,08:00\r\n06/01/09,09:10,0.05\r\n!12345",
         K::Tarnell},
        {"Tarnell without its end yet", "a\r\nb\r\n06/01/09,08:00\r\n", K::Tarnell},
        {"raw capture", "Hyetra\r\nDownload\r\n06/01/09 08:00\r\n06/01/09 09:10 5\r\n!1",
         K::RawCapture},
        {"old-format capture", "Hyetra\r\nDownload\r\n06/01/09 08:00\r\n06/01 09:10    5\r\n!",
         K::RawCapture},
        {"empty", "", K::Unknown},
        {"text", "Dear diary,\nit rained.\n", K::Unknown},
        {"a date with letters", "06/0x/09,08:00,0.00\r\n", K::Unknown},
        {"binary", QByteArray("\x00\x01\x02\xff", 4), K::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordFiles::DetectKind(c.head), c.kind) << c.what;
}

TEST_F(RecordFiles_, RawCaptureEndsWhenItsFileWasWritten) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("download.txt"),
                                   "Hyetra\r\nDownload\r\n06/01/09 08:00\r\n"
                                   "06/01/09 09:10 5\r\n06/02/09 10:00 7\r\n!00000\r\nOK\r\n");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QDateTime written(QDate(2009, 6, 3), QTime(12, 30));
    ASSERT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
    f.close();

    RecordFiles::Kind kind{};
    const auto result = RecordFiles::ReadRecordFile(path, QStringLiteral("125"), &kind);
    EXPECT_EQ(kind, RecordFiles::Kind::RawCapture);
    EXPECT_TRUE(result.failure.isEmpty());
    EXPECT_TRUE(result.crcFailed); // "00000" is not this capture's check number
    const auto e = Events();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].DateTime, At(2009, 6, 1, 8, 0));
    EXPECT_EQ(e[1].Count, 5);
    EXPECT_EQ(e[2].Count, 7);
    EXPECT_EQ(e[3].DateTime, At(2009, 6, 3, 12, 30));
    EXPECT_EQ(Dailies().size(), 3u);
}

TEST_F(RecordFiles_, AFileOfNoKnownKindIsRefusedWithItsName) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("notes.csv"), "name,value\nrain,3\n");
    const auto result = RecordFiles::ReadRecordFile(path, QStringLiteral("125"));
    EXPECT_TRUE(result.failure.contains(QStringLiteral("notes.csv")));
    EXPECT_TRUE(result.failure.contains(QStringLiteral("not a data file")));
    const auto missing = RecordFiles::ReadRecordFile(dir.filePath("none.dat"), {});
    EXPECT_TRUE(missing.failure.contains(QStringLiteral("does not exist")));
}

} // namespace
