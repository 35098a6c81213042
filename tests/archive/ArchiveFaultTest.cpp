// What the archive does when its file or its disk lets it down: a clear error naming the
// archive, and the file as it was.
#include "ArchiveTestSupport.h"
#include "tests/support/SmallDisk.h"

#include "ui/OmbrexError.h"

#include <QDir>
#include <QSqlError>

namespace {

class Faults_ : public ArchiveTest {};

const QDateTime kJune10(QDate(2009, 6, 10), QTime(9, 0), Qt::UTC);

QString OpenError(const QString& path) {
    try {
        StationArchive archive(path);
    } catch (const OmbrexError& e) {
        return e.message();
    }
    return {};
}

QByteArray SqliteFileWith(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "foreign");
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& sql : statements)
            EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase("foreign");
    return FileBytes(path);
}

// A damaged file, another program's database, an archive of a newer version: each refused
// with the archive's name, and each left byte for byte as it was.
TEST_F(Faults_, AFileThatIsNoArchiveIsRefusedAndLeftAlone) {
    QDir().mkpath(TestFolder() + "/Archive");
    struct Case {
        const char* what;
        QByteArray (*make)(const QString& path);
        const char* reason;
    } cases[] = {
        {"garbage",
         [](const QString& path) {
             QFile f(path);
             f.open(QIODevice::WriteOnly);
             QByteArray bytes;
             for (int i = 0; i < 8192; ++i)
                 bytes += char(i * 37 + 11);
             f.write(bytes);
             return bytes;
         },
         "not a database"},
        {"a damaged archive",
         [](const QString& path) {
             QByteArray good = SqliteFileWith(path, {"CREATE TABLE t (x)"});
             good.replace(0, 16, "SQLite format 2\0");
             QFile f(path);
             f.open(QIODevice::WriteOnly);
             f.write(good);
             return good;
         },
         "not a database"},
        {"another program's database",
         [](const QString& path) {
             return SqliteFileWith(path, {"CREATE TABLE contacts (name TEXT, phone TEXT)",
                                          "INSERT INTO contacts VALUES ('Ann', '555')"});
         },
         "not a station archive"},
        {"a newer archive",
         [](const QString& path) {
             return SqliteFileWith(
                 path, {"CREATE TABLE station (id INTEGER)", "PRAGMA user_version = 99"});
         },
         "newer version"},
    };
    for (const Case& c : cases) {
        QFile::remove(m_path);
        const QByteArray before = c.make(m_path);
        const QString error = OpenError(m_path);
        EXPECT_TRUE(error.contains(m_path)) << c.what << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.reason)))
            << c.what << ": " << error.toStdString();
        EXPECT_EQ(FileBytes(m_path), before) << c.what;
        EXPECT_FALSE(QFile::exists(m_path + "-wal")) << c.what;
    }
}

// The disk fills up while a big download is added, or the folder turns read-only: a clear
// error naming the archive and the reason, and the archive as it was before.
TEST_F(Faults_, AFullDiskOrReadOnlyFolderLeavesTheArchiveAsItWas) {
    const LoggerMemory small = RainyMonth(At(2009, 6, 1, 8, 0), 50);
    const LoggerMemory big = RainyMonth(At(2009, 7, 1, 8, 0), 60000);
    struct Case {
        const char* what;
        bool readOnly;
        const char* reason;
    } cases[] = {{"full", false, "full"}, {"read-only", true, "read"}};
    for (const Case& c : cases) {
        const QString folder = TestFolder() + "/" + c.what;
        SmallDisk disk(folder, "1m");
        if (!disk.mounted())
            GTEST_SKIP() << "cannot mount a small file system here: " << disk.why();
        const QString path = folder + "/stations.sqlite";
        int64_t station = 0;
        {
            StationArchive archive(path);
            station = archive.Add(DownloadOf(small, 50, kJune10, 60)).StationId;
        }
        const QByteArray before = FileBytes(path);
        if (c.readOnly) {
            ASSERT_TRUE(disk.makeReadOnly());
        }
        try {
            StationArchive archive(path);
            archive.Add(DownloadOf(big, 60000, kJune10.addDays(30), 60));
            ADD_FAILURE() << c.what << ": no error";
        } catch (const OmbrexError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.what();
            EXPECT_TRUE(e.message().contains(QLatin1String(c.reason), Qt::CaseInsensitive))
                << e.what();
        }
        EXPECT_EQ(FileBytes(path), before) << c.what;
        if (!c.readOnly) {
            StationArchive archive(path);
            const auto s = archive.Station(station);
            EXPECT_EQ(s.Records, 51) << c.what;
            EXPECT_EQ(s.Downloads, 1) << c.what;
        }
    }
}

} // namespace
