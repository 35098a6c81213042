// The export dialog: its layout, the range at each opening, the pickers, the format rules, the
// availability check and what each button ends with.
#include "data/DataUnit.h"
#include "export/DataFormatsPanel.h"
#include "export/TExportForm.h"
#include "export/XlsxSpreadsheet.h"
#include "tests/export/RecordingSpreadsheet.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QUrl>
#include <gtest/gtest.h>

using Prompts::Answer;
using Prompts::Kind;

namespace {

const QString NotInstalled = QStringLiteral(
    "Microsoft Excel is not installed on this PC. It is required to use this feature.");
const QString MinuteQuestion = QStringLiteral(
    "Exporting by minute can create very large\n\ramounts of data that could take several "
    "minutes\n\rto export and may not fit an Excel spreadsheet.\n\rAre you sure you want to "
    "proceed?");
const QString SkipQuestion = QStringLiteral(
    "The amount of data exported can be dramatically reduced by\r\n removing long periods of "
    "inactivity.\r\nWould you like to enable this feature?");

TDateTime At(int month, int day, int hour, int minute, int second = 0) {
    return EncodeDateTime(2009, month, day, hour, minute, second);
}

class ExportForm : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_factor = DataUnit::BucketFactor;
        DataUnit::BucketFactor = 10;
        LoadEvents({At(3, 1, 8, 0, 15), At(3, 1, 8, 5), At(3, 2, 17, 45, 30)});
    }
    void TearDown() override {
        DataUnit::BucketFactor = m_factor;
        DataUnit::ClearTables();
    }

    static void LoadEvents(const std::vector<TDateTime>& times) {
        DataUnit::ClearTables();
        for (TDateTime t : times)
            DataUnit::AppendEvent(TRainRecord{t, 1, QString()});
    }
    template <typename T> T* child(const char* name) {
        T* w = form.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QRadioButton* format(int index) {
        return child<QRadioButton>(qPrintable(QStringLiteral("DayMinSelectItem%1").arg(index)));
    }
    void open() {
        form.show();
        QCoreApplication::processEvents();
    }
    void clickExport() { child<QPushButton>("ExportBtn")->click(); }

    RecordingOpener opener; // a spreadsheet application is registered unless a test says not
    RecordingSpreadsheet sheet;
    TExportForm form{sheet.factory()};
    uint16_t m_factor = 10;
};

TEST_F(ExportForm, LaysOutTheControls) {
    EXPECT_EQ(form.windowTitle(), "Export");
    // The two storm formats add two rows to the format group; all below moves down by them.
    constexpr int storms = 34;
    EXPECT_EQ(form.size(), QSize(562, 324 + storms));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    struct Place {
        const char* name;
        QRect rect;
    };
    for (const Place& p :
         {Place{"DayMinSelect", {24, 8, 249, 89 + storms}},
          Place{"Interval", {24, 104 + storms, 249, 49}},
          Place{"GroupBox1", {24, 160 + storms, 249, 113}},
          Place{"StartDatePicker", {8, 40, 97, 21}}, Place{"EndDatePicker", {136, 40, 97, 21}},
          Place{"StartTimePicker", {8, 72, 97, 25}}, Place{"EndTimePicker", {136, 72, 97, 25}},
          Place{"CancelBtn", {112, 280 + storms, 75, 25}},
          Place{"ExportBtn", {200, 280 + storms, 75, 25}}})
        EXPECT_EQ(child<QWidget>(p.name)->geometry(), p.rect) << p.name;
    EXPECT_EQ(child<QGroupBox>("DayMinSelect")->title(), "Export Format");
    EXPECT_EQ(child<QLabel>("Label1")->text(), "From");
    EXPECT_EQ(child<QLabel>("Label2")->pos(), QPoint(136, 24));
    EXPECT_EQ(child<QPushButton>("CancelBtn")->text(), "&Cancel");
    EXPECT_EQ(child<QPushButton>("ExportBtn")->text(), "E&xport");
    EXPECT_EQ(child<QDateEdit>("StartDatePicker")->displayFormat(), "MM/dd/yy");
    EXPECT_EQ(child<QTimeEdit>("EndTimePicker")->displayFormat(), "hh:mm AP");
    QStringList items;
    for (int i = 0; i < 6; ++i)
        items << format(i)->text();
    EXPECT_EQ(items, (QStringList{"Report by Day", "Report by Minute", "Report by Interval",
                                  "Report Events", "Storms", "Monthly Summary"}));
    auto* interval = child<QComboBox>("IntervalSelect");
    EXPECT_FALSE(interval->isEditable());
    EXPECT_EQ(interval->count(), 6);
    EXPECT_EQ(interval->itemText(5), "60 minutes");
    // State at program start.
    EXPECT_TRUE(format(0)->isChecked());
    EXPECT_FALSE(interval->isEnabled());
    EXPECT_FALSE(child<QTimeEdit>("StartTimePicker")->isEnabled());
    EXPECT_TRUE(child<QDateEdit>("EndDatePicker")->isEnabled());
    for (auto* b : {child<QPushButton>("CancelBtn"), child<QPushButton>("ExportBtn")}) {
        EXPECT_FALSE(b->isDefault());
        EXPECT_FALSE(b->autoDefault());
    }
    // Tab order.
    const QStringList order{"CancelBtn",       "ExportBtn",     "DayMinSelectItem0",
                            "StartDatePicker", "EndDatePicker", "StartTimePicker",
                            "EndTimePicker",   "IntervalSelect"};
    QStringList chain;
    QWidget* w = child<QPushButton>("CancelBtn");
    for (int i = 0; i < 60 && chain.size() < order.size(); ++i, w = w->nextInFocusChain())
        if (order.contains(w->objectName()) && !chain.contains(w->objectName()))
            chain << w->objectName();
    EXPECT_EQ(chain, order);
}

TEST_F(ExportForm, EveryOpeningResetsTheRangeToTheEventTable) {
    open();
    EXPECT_EQ(form.RangeFrom(), At(3, 1, 8, 0, 15));
    EXPECT_EQ(form.RangeTo(), At(3, 2, 17, 45, 30));
    EXPECT_EQ(child<QDateEdit>("EndDatePicker")->date(), QDate(2009, 3, 2));
    EXPECT_EQ(child<QTimeEdit>("EndTimePicker")->time(), QTime(17, 45, 30));
    child<QDateEdit>("StartDatePicker")->setDate(QDate(2009, 3, 2));
    EXPECT_EQ(form.RangeFrom(), At(3, 2, 8, 0, 15)); // the date only; the time stays
    form.hide();
    open();
    EXPECT_EQ(form.RangeFrom(), At(3, 1, 8, 0, 15));
    // With an empty table the range stays as it was.
    child<QDateEdit>("EndDatePicker")->setDate(QDate(2009, 4, 1));
    form.hide();
    DataUnit::ClearTables();
    open();
    EXPECT_EQ(form.RangeTo(), At(4, 1, 17, 45, 30));
}

TEST_F(ExportForm, TimeEditReplacesOnlyTheTimeOfDay) {
    open();
    format(1)->click();
    child<QTimeEdit>("StartTimePicker")->setTime(QTime(14, 30));
    EXPECT_EQ(form.RangeFrom(), At(3, 1, 14, 30));
    EXPECT_EQ(child<QDateEdit>("StartDatePicker")->date(), QDate(2009, 3, 1));
    child<QTimeEdit>("EndTimePicker")->setTime(QTime(0, 5));
    EXPECT_EQ(form.RangeTo(), At(3, 2, 0, 5));
}

TEST_F(ExportForm, FormatChoiceEnablesPickersAndKeepsTheInterval) {
    open();
    auto* interval = child<QComboBox>("IntervalSelect");
    auto* startTime = child<QTimeEdit>("StartTimePicker");
    auto* endTime = child<QTimeEdit>("EndTimePicker");
    format(2)->click();
    EXPECT_TRUE(interval->isEnabled());
    EXPECT_TRUE(startTime->isEnabled());
    interval->setCurrentIndex(3);
    format(0)->click();
    EXPECT_FALSE(interval->isEnabled());
    EXPECT_FALSE(startTime->isEnabled());
    EXPECT_FALSE(endTime->isEnabled());
    EXPECT_EQ(interval->currentIndex(), 3);
    format(3)->click();
    EXPECT_TRUE(endTime->isEnabled());
    EXPECT_FALSE(interval->isEnabled());
    format(2)->click();
    EXPECT_EQ(interval->currentText(), "20 minutes");
    // The choice is kept from one opening to the next; the opening does not touch it.
    form.hide();
    open();
    EXPECT_TRUE(format(2)->isChecked());
    EXPECT_TRUE(interval->isEnabled());
}

// The spreadsheet reports need a spreadsheet program; the data formats beside them do not.
TEST_F(ExportForm, WithoutASpreadsheetItSaysSoAndOffersOnlyTheDataFormats) {
    opener.handlerAvailable = false;
    ScriptedPrompts prompts;
    prompts.expect(Kind::Error, NotInstalled, Answer::Ok);
    form.show();
    EXPECT_EQ(prompts.seen().size(), 1);
    SpinFor(50);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.RangeFrom(), At(3, 1, 8, 0, 15));
    EXPECT_FALSE(child<QPushButton>("ExportBtn")->isEnabled());
    EXPECT_FALSE(child<QGroupBox>("DayMinSelect")->isEnabled());
    EXPECT_TRUE(form.DataFormats()->isEnabled());
    QTest::keyClick(&form, Qt::Key_Escape); // Escape never closes it
    EXPECT_TRUE(form.isVisible());
    child<QPushButton>("CancelBtn")->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    // The check runs again at the next opening; with a program found the reports come back.
    opener.handlerAvailable = true;
    form.show();
    EXPECT_EQ(prompts.seen().size(), 1);
    EXPECT_TRUE(child<QPushButton>("ExportBtn")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>("DayMinSelect")->isEnabled());
    form.hide();
    EXPECT_EQ(sheet.instances, 0);
}

TEST_F(ExportForm, MinuteQuestionAnsweredNoEndsWithOkAndNoSpreadsheet) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, MinuteQuestion, Answer::No);
    open();
    format(1)->click();
    clickExport();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.instances, 0);
}

TEST_F(ExportForm, ExportRunsTheChosenReportOverTheRange) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, MinuteQuestion, Answer::Yes)
        .expect(Kind::Confirm, SkipQuestion, Answer::Yes);
    open();
    format(1)->click();
    child<QTimeEdit>("EndTimePicker")->setTime(QTime(8, 3));
    child<QDateEdit>("EndDatePicker")->setDate(QDate(2009, 3, 1));
    clickExport();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    // The fill stops once it has passed RangeTo; the record after it is not written.
    EXPECT_EQ(sheet.rows(),
              (QStringList{"03/01/09 8:00:15 AM|0.01|", "03/01/09 8:01:15 AM|int 0|",
                           "03/01/09 8:02:15 AM|int 0|", "03/01/09 8:03:15 AM|int 0|"}));

    // The interval report gets the chosen length.
    sheet.cells.clear();
    open();
    format(2)->click();
    child<QComboBox>("IntervalSelect")->setCurrentIndex(4);
    clickExport();
    const QStringList rows = sheet.rows();
    ASSERT_EQ(rows.size(), 69);
    EXPECT_EQ(rows.mid(0, 3), (QStringList{"03/01/09 8:00:00 AM|0.00|", "03/01/09 8:30:00 AM|0.02|",
                                           "03/01/09 9:00:00 AM|0.00|"}));
    EXPECT_EQ(rows.last(), "03/02/09 6:00:00 PM|0.01|");
    EXPECT_EQ(sheet.instances, 2);
}

TEST_F(ExportForm, FailingReportIsShownAndTheDialogStaysOpen) {
    sheet.failOpen = "The report template \"Hyetra Report.xltx\" cannot be opened";
    ScriptedPrompts prompts;
    prompts.expect(Kind::Error, sheet.failOpen, Answer::Ok);
    open();
    clickExport();
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
    // Cancel still closes it, with nothing exported.
    child<QPushButton>("CancelBtn")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(sheet.instances, 1);
}

// The real spreadsheet: the workbook is written and opened when the report releases it.
class ExportToWorkbook : public ExportForm {
protected:
    void exportEvents() {
        real.show();
        QCoreApplication::processEvents();
        real.findChild<QRadioButton*>("DayMinSelectItem3")->click();
        real.findChild<QPushButton*>("ExportBtn")->click();
    }
    static QStringList reports() {
        return QDir(ReportsFolder()).entryList({"*.xlsx"}, QDir::Files);
    }
    TExportForm real{XlsxSpreadsheet::Factory()};
};

TEST_F(ExportToWorkbook, WorkbookThatCannotBeWrittenIsShownAndTheDialogStaysOpen) {
    // A file where the data folder should be.
    QFile blocker(TestFolder() + "/share");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScriptedPrompts prompts;
    prompts.expectContaining(Kind::Error,
                             "The reports folder \"" + ReportsFolder() +
                                 "\" cannot be created: \"" + TestFolder() +
                                 "/share\" is a file, not a folder",
                             Answer::Ok);
    exportEvents();
    EXPECT_EQ(prompts.seen().size(), 1);
    EXPECT_TRUE(real.isVisible());
    EXPECT_NE(real.result(), QDialog::Accepted);
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(ExportToWorkbook, WorkbookTheDesktopCannotOpenIsShownAndKept) {
    opener.opens = false;
    ScriptedPrompts prompts;
    prompts.expectContaining(Kind::Error, "could not open it", Answer::Ok);
    exportEvents();
    ASSERT_EQ(prompts.seen().size(), 1u);
    const QStringList files = reports();
    ASSERT_EQ(files.size(), 1);
    const QString path = ReportsFolder() + "/" + files[0];
    EXPECT_TRUE(prompts.seen()[0].text.contains("\"" + path + "\""))
        << qPrintable(prompts.seen()[0].text);
    EXPECT_GT(QFileInfo(path).size(), 0);
    EXPECT_EQ(opener.opened, QStringList{QUrl::fromLocalFile(path).toString()});
    EXPECT_TRUE(real.isVisible());
    EXPECT_NE(real.result(), QDialog::Accepted);

    // Once the desktop opens it, the dialog closes with OK.
    opener.opens = true;
    exportEvents();
    EXPECT_EQ(real.result(), QDialog::Accepted);
    EXPECT_EQ(reports().size(), 2);
}

TEST_F(ExportForm, EnterAndEscapeDoNothing) {
    open();
    form.activateWindow();
    child<QPushButton>("ExportBtn")->setFocus();
    QTest::keyClick(&form, Qt::Key_Escape);
    QTest::keyClick(child<QPushButton>("ExportBtn"), Qt::Key_Return);
    QTest::keyClick(child<QDateEdit>("StartDatePicker"), Qt::Key_Enter);
    SpinFor(20);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(sheet.instances, 0);
}

} // namespace

TEST_F(ExportForm, StormFormatsAnalyseWithTheGivenOptions) {
    open();
    format(4)->click();
    EXPECT_TRUE(child<QTimeEdit>("StartTimePicker")->isEnabled());
    // Three dry minutes separate: 08:00 and 08:05 are storms of their own.
    form.setStormOptions({3, Analysis::EnergyEquation::Usle});
    clickExport();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.row(6), (QStringList{"Start", "End", "Duration (min)"}));
    ASSERT_EQ(sheet.rows().size(), 3);
    EXPECT_EQ(sheet.rows()[0], "03/01/09 08:00|03/01/09 08:00|1");

    sheet.cells.clear();
    open();
    format(5)->click();
    EXPECT_FALSE(child<QTimeEdit>("StartTimePicker")->isEnabled());
    clickExport();
    EXPECT_EQ(sheet.row(6), (QStringList{"Year", "Month", "Depth (in)"}));
    ASSERT_GE(sheet.rows().size(), 1);
    EXPECT_EQ(sheet.rows()[0], "int 2009|int 3|0.030");
}
