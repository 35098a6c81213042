#pragma once

#include "data/CaptureStream.h"
#include "data/DataUnit.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <vector>

// Every data test starts from empty tables, the default collector and the C locale.
class DataTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() {
        DataUnit::ClearTables();
        DataUnit::BucketFactor = 10;
        DataUnit::SetStartTime(0);
        CaptureStream::Release();
        QLocale::setDefault(QLocale::c());
    }
};

inline std::vector<TRainRecord> Events() {
    std::vector<TRainRecord> out;
    bool outOfRange = false;
    for (int32_t i = 0; i < DataUnit::EventCount(); ++i)
        out.push_back(DataUnit::GetEvent(i, outOfRange));
    return out;
}

inline std::vector<TRainRecord> Dailies() {
    std::vector<TRainRecord> out;
    bool outOfRange = false;
    for (int32_t i = 0; i < DataUnit::DailyCount(); ++i)
        out.push_back(DataUnit::GetDaily(i, outOfRange));
    return out;
}

inline void SetCapture(const QByteArray& bytes) {
    CaptureStream::Create();
    CaptureStream::Append(bytes);
}

inline TDateTime At(int y, int m, int d, int h = 0, int mi = 0) {
    return EncodeDateTime(y, m, d, h, mi);
}

// "MM/dd/yy hh:mm" of a date-time, for readable failures.
inline std::string Text(TDateTime value) {
    return (ShortDateText(value) + QLatin1Char(' ') + LoggerTimeText(value).mid(9)).toStdString();
}
