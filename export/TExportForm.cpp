#include "export/TExportForm.h"

#include "data/DataUnit.h"
#include "export/DataFormatsPanel.h"
#include "export/ReportGenerators.h"
#include "export/SpreadsheetAvailability.h"
#include "ui/Prompts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimeEdit>
#include <cmath>

namespace {

const QString NotInstalledText = QStringLiteral(
    "Microsoft Excel is not installed on this PC. It is required to use this feature.");
const QString MinuteQuestion = QStringLiteral(
    "Exporting by minute can create very large\n\ramounts of data that could take several "
    "minutes\n\rto export and may not fit an Excel spreadsheet.\n\rAre you sure you want to "
    "proceed?");

constexpr int32_t IntervalMinutes[] = {5, 10, 15, 20, 30, 60};

enum Format { ByDay, ByMinute, ByInterval, Events, Storms, MonthlySummary };
constexpr int kFormats = 6;
// Height the two storm formats add to the format group.
constexpr int kStormRows = 34;

QDate DateOf(TDateTime t) {
    const TDateParts p = DecodeDateTime(t);
    return QDate(p.year, p.month, p.day);
}

QTime TimeOf(TDateTime t) {
    const TDateParts p = DecodeDateTime(t);
    return QTime(p.hour, p.minute, p.second, p.msec);
}

// value's time of day on another date.
TDateTime WithDate(TDateTime value, const QDate& date) {
    const TDateTime day = EncodeDate(date.year(), date.month(), date.day());
    const TDateTime time = std::fabs(value - std::trunc(value));
    return day < 0 ? day - time : day + time;
}

// The whole-day part of value plus the time of day of the picker.
TDateTime WithTime(TDateTime value, const QTime& time) {
    return std::trunc(value) + EncodeTime(time.hour(), time.minute(), time.second(), time.msec());
}

} // namespace

TExportForm::TExportForm(SpreadsheetFactory spreadsheet, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_spreadsheet(std::move(spreadsheet)) {
    setObjectName(QStringLiteral("ExportForm"));
    setWindowTitle(QStringLiteral("Export"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(562, 324 + kStormRows);

    DayMinSelect = new QGroupBox(QStringLiteral("Export Format"), this);
    DayMinSelect->setObjectName(QStringLiteral("DayMinSelect"));
    DayMinSelect->setGeometry(24, 8, 249, 89 + kStormRows);
    m_formats = new QButtonGroup(this);
    const QString formats[] = {QStringLiteral("Report by Day"),
                               QStringLiteral("Report by Minute"),
                               QStringLiteral("Report by Interval"),
                               QStringLiteral("Report Events"),
                               QStringLiteral("Storms"),
                               QStringLiteral("Monthly Summary")};
    for (int i = 0; i < kFormats; ++i) {
        auto* item = new QRadioButton(formats[i], DayMinSelect);
        item->setObjectName(QStringLiteral("DayMinSelectItem%1").arg(i));
        item->setGeometry(8, 16 + i * 17, 233, 17);
        m_formats->addButton(item, i);
    }
    m_formats->button(ByDay)->setChecked(true);

    Interval = new QGroupBox(QStringLiteral("Interval"), this);
    Interval->setObjectName(QStringLiteral("Interval"));
    Interval->setGeometry(24, 104 + kStormRows, 249, 49);
    IntervalSelect = new QComboBox(Interval);
    IntervalSelect->setObjectName(QStringLiteral("IntervalSelect"));
    IntervalSelect->setGeometry(8, 16, 145, 21);
    for (int minutes : IntervalMinutes)
        IntervalSelect->addItem(QStringLiteral("%1 minutes").arg(minutes));
    IntervalSelect->setCurrentIndex(0);
    IntervalSelect->setEnabled(false);

    GroupBox1 = new QGroupBox(QStringLiteral("Range"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(24, 160 + kStormRows, 249, 113);
    Label1 = new QLabel(QStringLiteral("From"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 24);
    Label1->adjustSize();
    Label2 = new QLabel(QStringLiteral("To"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(136, 24);
    Label2->adjustSize();

    auto datePicker = [this](const char* name, int left) {
        auto* picker = new QDateEdit(GroupBox1);
        picker->setObjectName(QLatin1String(name));
        picker->setGeometry(left, 40, 97, 21);
        picker->setDisplayFormat(QStringLiteral("MM/dd/yy"));
        picker->setCalendarPopup(true);
        picker->setMinimumDate(QDate(100, 1, 1));
        return picker;
    };
    auto timePicker = [this](const char* name, int left) {
        auto* picker = new QTimeEdit(GroupBox1);
        picker->setObjectName(QLatin1String(name));
        picker->setGeometry(left, 72, 97, 25);
        picker->setDisplayFormat(QStringLiteral("hh:mm AP"));
        picker->setEnabled(false);
        return picker;
    };
    StartDatePicker = datePicker("StartDatePicker", 8);
    EndDatePicker = datePicker("EndDatePicker", 136);
    StartTimePicker = timePicker("StartTimePicker", 8);
    EndTimePicker = timePicker("EndTimePicker", 136);

    CancelBtn = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(112, 280 + kStormRows, 75, 25);
    ExportBtn = new QPushButton(QStringLiteral("E&xport"), this);
    ExportBtn->setObjectName(QStringLiteral("ExportBtn"));
    ExportBtn->setGeometry(200, 280 + kStormRows, 75, 25);
    // Neither button answers Enter.
    for (auto* button : {CancelBtn, ExportBtn}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    // Beside the spreadsheet reports: the record for other tools, over the same range.
    m_dataFormats =
        new DataFormatsPanel([this] { return std::pair(m_rangeFrom, m_rangeTo); }, this);
    m_dataFormats->setGeometry(289, 8, 249, 265 + kStormRows);
    connect(m_dataFormats, &DataFormatsPanel::exported, this, &QDialog::accept);

    setTabOrder(CancelBtn, ExportBtn);
    setTabOrder(ExportBtn, m_formats->button(ByDay));
    setTabOrder(m_formats->button(ByDay), StartDatePicker);
    setTabOrder(StartDatePicker, EndDatePicker);
    setTabOrder(EndDatePicker, StartTimePicker);
    setTabOrder(StartTimePicker, EndTimePicker);
    setTabOrder(EndTimePicker, IntervalSelect);

    showRange();

    connect(m_formats, &QButtonGroup::idClicked, this, &TExportForm::DayMinSelectClick);
    connect(StartTimePicker, &QTimeEdit::timeChanged, this, &TExportForm::StartTimePickerChange);
    connect(EndTimePicker, &QTimeEdit::timeChanged, this, &TExportForm::EndTimePickerChange);
    connect(StartDatePicker, &QDateEdit::dateChanged, this, &TExportForm::StartDatePickerChange);
    connect(EndDatePicker, &QDateEdit::dateChanged, this, &TExportForm::EndDatePickerChange);
    connect(ExportBtn, &QPushButton::clicked, this, &TExportForm::ExportBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TExportForm::CancelBtnClick);
}

void TExportForm::setStormOptions(const Analysis::StormOptions& options) {
    m_stormOptions = options;
    m_dataFormats->SetStormOptions(options);
}

void TExportForm::showRange() {
    const QSignalBlocker a(StartDatePicker), b(StartTimePicker), c(EndDatePicker), d(EndTimePicker);
    StartDatePicker->setDate(DateOf(m_rangeFrom));
    StartTimePicker->setTime(TimeOf(m_rangeFrom));
    EndDatePicker->setDate(DateOf(m_rangeTo));
    EndTimePicker->setTime(TimeOf(m_rangeTo));
}

void TExportForm::FormActivate() {
    const int32_t count = DataUnit::EventCount();
    if (count > 0) {
        bool outOfRange = false;
        m_rangeFrom = DataUnit::GetEvent(0, outOfRange).DateTime;
        m_rangeTo = DataUnit::GetEvent(count - 1, outOfRange).DateTime;
        showRange();
    }
    // The standard data formats need no spreadsheet program: without one the dialog stays open
    // for them, with the spreadsheet reports out of reach.
    const bool spreadsheet = SpreadsheetAvailable();
    DayMinSelect->setEnabled(spreadsheet);
    ExportBtn->setEnabled(spreadsheet);
    if (!spreadsheet)
        Prompts::ShowError(NotInstalledText);
}

void TExportForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

bool TExportForm::event(QEvent* event) {
    if (event->type() == CloseAsCancelled) {
        reject();
        return true;
    }
    return QDialog::event(event);
}

void TExportForm::keyPressEvent(QKeyEvent* event) {
    // Neither Enter nor Escape closes the dialog.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        event->ignore();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TExportForm::DayMinSelectClick() {
    const int index = m_formats->checkedId();
    StartTimePicker->setEnabled(index != ByDay && index != MonthlySummary);
    EndTimePicker->setEnabled(index != ByDay && index != MonthlySummary);
    IntervalSelect->setEnabled(index == ByInterval);
}

void TExportForm::StartTimePickerChange() {
    m_rangeFrom = WithTime(m_rangeFrom, StartTimePicker->time());
}

void TExportForm::EndTimePickerChange() {
    m_rangeTo = WithTime(m_rangeTo, EndTimePicker->time());
}

void TExportForm::StartDatePickerChange() {
    m_rangeFrom = WithDate(m_rangeFrom, StartDatePicker->date());
}

void TExportForm::EndDatePickerChange() {
    m_rangeTo = WithDate(m_rangeTo, EndDatePicker->date());
}

void TExportForm::ExportBtnClick() {
    const ReportContext context{m_spreadsheet, m_rangeFrom, m_rangeTo, m_templatePath};
    const int interval = std::max(0, IntervalSelect->currentIndex());
    const bool completed = Prompts::Guarded([&] {
        switch (m_formats->checkedId()) {
        case ByDay:
            ExportByDay(context);
            break;
        case ByMinute:
            if (Prompts::Confirm(MinuteQuestion))
                ExportByMinute(context);
            break;
        case ByInterval:
            ExportByInterval(context, IntervalMinutes[interval]);
            break;
        case Events:
            ExportEvents(context);
            break;
        case Storms:
            ExportStorms(context, m_stormOptions);
            break;
        case MonthlySummary:
            ExportMonthlySummary(context, m_stormOptions);
            break;
        }
    });
    // A failed report leaves the dialog open.
    if (completed)
        accept();
}

void TExportForm::CancelBtnClick() {
    reject();
}
