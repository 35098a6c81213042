#pragma once

#include "data/DataUnit.h"
#include "tests/support/TestUtil.h"

#include <QLocale>
#include <gtest/gtest.h>

// Reports read the tables and the collector: each test starts from empty tables, 0.10 mm a tip
// and United States formats, and leaves the program's collector as it found it.
class ReportTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_factor = DataUnit::BucketFactor;
        DataUnit::BucketFactor = 100;
        DataUnit::ClearTables();
    }
    void TearDown() override {
        DataUnit::BucketFactor = m_factor;
        DataUnit::ClearTables();
    }

private:
    uint16_t m_factor = 10;
};
