// The export dialog's "Data formats" group: its choices, the save dialog's proposal, the written
// file read back by pandas, and cancelling (at the save dialog and part-way).
#include "export/DataFormatsPanel.h"
#include "analysis/QualityState.h"
#include "data/DataUnit.h"
#include "export/TExportForm.h"
#include "tests/export/RecordingSpreadsheet.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TDateTime At(int month, int day, int hour, int minute) {
    return EncodeDateTime(2009, month, day, hour, minute);
}

QJsonObject ReadCsv(const QString& path) {
    QProcess python;
    python.start("/usr/bin/python3", {QString::fromLocal8Bit(qgetenv("OMBREX_SOURCE_DIR")) +
                                          "/tests/export/read_standard.py",
                                      "csv", path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        ADD_FAILURE() << "pandas could not read " << qPrintable(path) << ": "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QStringList Texts(const QJsonObject& csv, const char* column) {
    QStringList out;
    for (const QJsonValue& v : csv["values"].toObject()[QLatin1String(column)].toArray())
        out << v.toString();
    return out;
}

class DataFormats : public ::testing::Test {
protected:
    void SetUp() override {
        m_factor = DataUnit::BucketFactor;
        DataUnit::BucketFactor = 200;
        DataUnit::ClearTables();
        for (auto [t, n] : {std::pair{At(3, 1, 8, 0), 0},
                            {At(3, 1, 8, 3), 2},
                            {At(3, 1, 9, 10), 3},
                            {At(3, 2, 17, 45), 1},
                            {At(3, 2, 18, 0), 0}})
            DataUnit::AppendEvent({t, n, {}});
        form.show();
        QCoreApplication::processEvents();
        panel = form.findChild<DataFormatsPanel*>("DataFormats");
        ASSERT_NE(panel, nullptr);
        panel->findChild<QComboBox*>("ClockZoneSelect")->setCurrentText("UTC+01:00");
    }
    void TearDown() override {
        Analysis::ForgetMemoryDecisions();
        Analysis::SetLeaveOutAcceptedFlags(false);
        DataUnit::ClearTables();
        DataUnit::BucketFactor = m_factor;
    }
    void choose(const char* format, const char* interval = "1 hour") {
        panel->findChild<QComboBox*>("DataFormatSelect")->setCurrentText(format);
        if (QString(interval) != "1 hour")
            panel->findChild<QComboBox*>("DataIntervalSelect")->setCurrentText(interval);
    }
    void clickExportData() { panel->findChild<QPushButton*>("ExportDataBtn")->click(); }

    RecordingOpener opener;
    RecordingSpreadsheet sheet;
    TExportForm form{sheet.factory()};
    DataFormatsPanel* panel = nullptr;
    uint16_t m_factor = 10;
};

TEST_F(DataFormats, OffersTheFormatsAndAsksForTheIntervalOnlyWhereItCounts) {
    EXPECT_EQ(panel->title(), "Data formats");
    auto* format = panel->findChild<QComboBox*>("DataFormatSelect");
    QStringList items;
    for (int i = 0; i < format->count(); ++i)
        items << format->itemText(i);
    EXPECT_EQ(items, (QStringList{"Interval totals (CSV)", "Records (CSV)", "Storms (CSV)",
                                  "NetCDF (CF-1.8)", "WaterML 2.0"}));
    auto* interval = panel->findChild<QComboBox*>("DataIntervalSelect");
    for (const char* f : {"Records (CSV)", "Storms (CSV)"}) {
        format->setCurrentText(f);
        EXPECT_FALSE(interval->isEnabled()) << f;
    }
    for (const char* f : {"Interval totals (CSV)", "NetCDF (CF-1.8)", "WaterML 2.0"}) {
        format->setCurrentText(f);
        EXPECT_TRUE(interval->isEnabled()) << f;
    }
    // A station brings its own clock zone.
    auto* zone = panel->findChild<QComboBox*>("ClockZoneSelect");
    EXPECT_TRUE(zone->isEnabled());
    panel->SetStation("HY-0042", "Upper Brook", -300);
    EXPECT_FALSE(zone->isEnabled());
    EXPECT_EQ(zone->currentText(), "UTC-05:00");
    EXPECT_EQ(panel->CurrentOptions().ZoneMinutes, -300);
    panel->ClearStation();
    EXPECT_TRUE(zone->isEnabled());
}

// The save dialog proposes station, range and format; the file is the dialog's range, and the
// dialog closes once it is written.
TEST_F(DataFormats, WritesTheChosenFileOverTheDialogsRange) {
    choose("Interval totals (CSV)", "1 day");
    const QString path = TestFolder() + "/rain.csv";
    ScriptedPrompts prompts;
    prompts.expectSaveFile(path);
    clickExportData();
    ASSERT_EQ(prompts.fileDialogs().size(), 1);
    const Prompts::FileDialog& d = prompts.fileDialogs().front();
    EXPECT_EQ(d.fileName, "Hyetra logger 2009-03-01 to 2009-03-02 interval-csv.csv");
    EXPECT_EQ(d.defaultExt, "csv");
    EXPECT_TRUE(WaitUntil([&] { return !form.isVisible(); }, 5000));
    EXPECT_EQ(form.result(), QDialog::Accepted);
    QJsonObject csv = ReadCsv(path);
    EXPECT_EQ(Texts(csv, "time_local"),
              (QStringList{"2009-03-02T00:00:00+01:00", "2009-03-03T00:00:00+01:00"}));
    EXPECT_NEAR(csv["depth_sum"].toDouble(), 1.2, 1e-9);

    // A narrower range: from 2 March 08:00 to the end of the record.
    form.show();
    QCoreApplication::processEvents();
    choose("Records (CSV)");
    form.findChild<QDateEdit*>("StartDatePicker")->setDate(QDate(2009, 3, 2));
    prompts.expectSaveFile(path);
    clickExportData();
    EXPECT_EQ(prompts.fileDialogs().back().fileName,
              "Hyetra logger 2009-03-02 to 2009-03-02 record-csv.csv");
    csv = ReadCsv(path);
    EXPECT_EQ(Texts(csv, "time_utc"),
              (QStringList{"2009-03-02T16:45:00+00:00", "2009-03-02T17:00:00+00:00"}));
}

// 30 tips of 0.2 mm in one minute is 360 mm/h, above the rate ceiling: flagged P. Accepted and
// left out, the record is neither a row nor part of any total.
TEST_F(DataFormats, FlagsAreWrittenAndAcceptedOnesCanBeLeftOut) {
    DataUnit::ClearTables();
    for (auto [t, n] : {std::pair{At(3, 1, 8, 0), 0},
                        {At(3, 1, 12, 0), 30},
                        {At(3, 1, 13, 0), 1},
                        {At(3, 2, 18, 0), 0}})
        DataUnit::AppendEvent({t, n, {}});
    Analysis::FlagDecisions().Put({{1, 'P'}, Analysis::FlagVerdict::Accepted, 0});
    auto* leaveOut = panel->findChild<QCheckBox*>("LeaveOutAcceptedFlags");
    EXPECT_FALSE(leaveOut->isChecked());
    choose("Records (CSV)");
    const QString path = TestFolder() + "/flags.csv";
    ScriptedPrompts prompts;
    prompts.expectSaveFile(path);
    clickExportData();
    QJsonObject csv = ReadCsv(path);
    EXPECT_EQ(csv["rows"].toInt(), 4);
    EXPECT_TRUE(Texts(csv, "flags").at(1).contains('P'))
        << qPrintable(Texts(csv, "flags").join('|'));

    // The program's choice is where each opening starts.
    Analysis::SetLeaveOutAcceptedFlags(true);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(leaveOut->isChecked());
    prompts.expectSaveFile(path);
    clickExportData();
    csv = ReadCsv(path);
    EXPECT_EQ(csv["rows"].toInt(), 3);
    EXPECT_EQ(Texts(csv, "time_local").at(1), "2009-03-01T13:00:00+01:00");
}

TEST_F(DataFormats, CancelledExportLeavesNoFile) {
    choose("WaterML 2.0", "1 minute");
    const QString folder = TestFolder() + "/out";
    QDir().mkpath(folder);
    ScriptedPrompts prompts;
    prompts.expectSaveFile(""); // cancelled at the save dialog
    clickExportData();
    EXPECT_TRUE(form.isVisible());

    // Cancelled part-way through, from its progress dialog.
    panel->SetProgressDelay(0);
    prompts.expectSaveFile(folder + "/rain.xml");
    bool cancelled = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* p = form.findChild<QProgressDialog*>("DataExportProgress");
            p && p->isVisible() && !cancelled) {
            cancelled = true;
            p->cancel();
        }
    });
    poll.start(0);
    clickExportData();
    poll.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

TEST_F(DataFormats, AFailedExportSaysWhyAndKeepsTheDialogOpen) {
    choose("NetCDF (CF-1.8)");
    ScriptedPrompts prompts;
    prompts.expectSaveFile(TestFolder() + "/no/such/folder/rain.nc");
    prompts.expectContaining(Prompts::Kind::Error, "does not exist", Prompts::Answer::Ok);
    clickExportData();
    EXPECT_TRUE(form.isVisible());
    // For a screenshot: OMBREX_LINGER_MS keeps the dialog up that long.
    SpinFor(qEnvironmentVariableIntValue("OMBREX_LINGER_MS"));
}

} // namespace
