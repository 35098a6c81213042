#pragma once

#include "archive/ArchiveTime.h"
#include "archive/StationArchive.h"
#include "data/CaptureStream.h"
#include "data/DataUnit.h"
#include "data/crc_ccitt.h"
#include "tests/support/TestUtil.h"

#include <QFile>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <vector>

inline TDateTime At(int y, int m, int d, int h = 0, int mi = 0) {
    return EncodeDateTime(y, m, d, h, mi);
}

// A logger's memory: the start time (clock right, memory cleared) and its records.
struct LoggerMemory {
    TDateTime Start = 0;
    std::vector<TRainRecord> Records;

    void Add(TDateTime t, int32_t count, const QString& message = {}) {
        Records.push_back({t, count, message});
    }
    // The first n records as the parser's table holds them: start record, records, end record.
    std::vector<TRainRecord> Table(size_t n, TDateTime end) const {
        std::vector<TRainRecord> out{{Start, 0, {}}};
        out.insert(out.end(), Records.begin(), Records.begin() + qsizetype(n));
        out.push_back({end, 0, {}});
        return out;
    }
    // The first n records as the logger sends them, check sum included.
    QByteArray Capture(size_t n) const {
        QByteArray text = "Hyetra\r\nDownload\r\n" + LoggerTimeText(Start).toLatin1() + "\r\n";
        for (size_t i = 0; i < n; ++i) {
            const TRainRecord& r = Records[i];
            if (!r.Message.isEmpty())
                text += "M " + LoggerTimeText(r.DateTime).toLatin1() + " " + r.Message.toLatin1() +
                        "\r\n";
            else
                text += LoggerTimeText(r.DateTime).toLatin1() + " " + QByteArray::number(r.Count) +
                        "\r\n";
        }
        CrcReset();
        for (char c : text)
            CrcUpdate(uint8_t(c));
        CrcUpdate(0);
        CrcUpdate(0);
        return text + QString::asprintf("!%05u\r\nOK\r\n", unsigned(CrcValue())).toLatin1();
    }
};

// A gauge in a wet month: n records from the start, some sharing a minute.
inline LoggerMemory RainyMonth(TDateTime start, int n) {
    LoggerMemory m;
    m.Start = start;
    for (int i = 0; i < n; ++i)
        m.Add(ArchiveTime::FromSeconds(ArchiveTime::Seconds(start) + 600 + (i / 2) * 7 * 60),
              1 + i % 3);
    return m;
}

inline Archive::Addition DownloadOf(const LoggerMemory& m, size_t n, const QDateTime& pcUtc,
                                    int32_t zoneMinutes, double loggerBehindMinutes = 0) {
    Archive::Addition a;
    a.Kind = Archive::Source::Download;
    a.Station = QStringLiteral("GAUGE 7");
    a.Model = QStringLiteral("Hyetra 2.0");
    a.LoggerVersion = QStringLiteral("125");
    a.ZoneMinutes = zoneMinutes;
    a.AddedUtc = pcUtc;
    a.Raw = m.Capture(n);
    // The true time on the logger clock zone's wall clock, less what the logger is behind.
    const QDateTime wall = pcUtc.toUTC().addSecs(zoneMinutes * 60LL);
    const QDateTime naive(wall.date(), wall.time());
    a.Clock = Archive::ClockReading{FromQDateTime(naive) - loggerBehindMinutes / 1440.0, pcUtc};
    a.Records = m.Table(n, FromQDateTime(naive));
    return a;
}

inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline std::vector<TRainRecord> TableEvents() {
    std::vector<TRainRecord> out;
    bool outOfRange = false;
    for (int32_t i = 0; i < DataUnit::EventCount(); ++i)
        out.push_back(DataUnit::GetEvent(i, outOfRange));
    return out;
}

inline std::string Text(TDateTime value) {
    return LoggerTimeText(value).toStdString();
}

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        DataUnit::ClearTables();
        DataUnit::BucketFactor = 10;
        QLocale::setDefault(QLocale::c());
        m_path = TestFolder() + QStringLiteral("/Archive/stations.sqlite");
    }
    void TearDown() override { DataUnit::ClearTables(); }
    QString m_path;
};
