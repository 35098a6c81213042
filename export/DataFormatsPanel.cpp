#include "export/DataFormatsPanel.h"

#include "analysis/QualityState.h"
#include "analysis/RainSeries.h"
#include "data/DataUnit.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardPaths>
#include <QVBoxLayout>

using StandardExport::Format;

namespace {

struct FormatItem {
    Format format;
    const char* label;
    const char* filter;
};

const FormatItem kFormats[] = {
    {Format::IntervalCsv, "Interval totals (CSV)", "CSV files|*.csv"},
    {Format::RecordCsv, "Records (CSV)", "CSV files|*.csv"},
    {Format::StormsCsv, "Storms (CSV)", "CSV files|*.csv"},
    {Format::NetCdf, "NetCDF (CF-1.8)", "NetCDF files|*.nc"},
    {Format::WaterMl, "WaterML 2.0", "WaterML files|*.xml"},
};

constexpr int32_t kIntervals[] = {1, 5, 10, 15, 30, 60, 1440};

// Station names go into file names: nothing a file system refuses.
QString FileNamePart(QString text) {
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : text)
        if (refused.contains(c) || c < QChar(32))
            c = QLatin1Char('_');
    return text.simplified();
}

QString DayText(TDateTime t) {
    const TDateParts p = DecodeDateTime(t);
    return QStringLiteral("%1-%2-%3")
        .arg(p.year, 4, 10, QLatin1Char('0'))
        .arg(p.month, 2, 10, QLatin1Char('0'))
        .arg(p.day, 2, 10, QLatin1Char('0'));
}

// The first and last record's times, as the dialog's range starts out.
bool RecordEnds(TDateTime& first, TDateTime& last) {
    const int32_t n = DataUnit::EventCount();
    if (n <= 0)
        return false;
    bool out = false;
    first = DataUnit::GetEvent(0, out).DateTime;
    last = DataUnit::GetEvent(n - 1, out).DateTime;
    return true;
}

} // namespace

DataFormatsPanel::DataFormatsPanel(RangeSource range, QWidget* parent)
    : QGroupBox(QStringLiteral("Data formats"), parent), m_range(std::move(range)) {
    setObjectName(QStringLiteral("DataFormats"));
    auto* form = new QFormLayout;
    form->setContentsMargins(8, 8, 8, 4);
    form->setVerticalSpacing(6);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("DataFormatSelect"));
    for (const FormatItem& f : kFormats)
        m_format->addItem(QLatin1String(f.label), int(f.format));
    form->addRow(QStringLiteral("&Format"), m_format);

    m_interval = new QComboBox(this);
    m_interval->setObjectName(QStringLiteral("DataIntervalSelect"));
    for (int32_t minutes : kIntervals)
        m_interval->addItem(minutes == 1440 ? QStringLiteral("1 day")
                            : minutes == 1  ? QStringLiteral("1 minute")
                                            : QStringLiteral("%1 minutes").arg(minutes),
                            minutes);
    m_interval->setCurrentIndex(m_interval->findData(60));
    form->addRow(QStringLiteral("&Interval"), m_interval);

    m_zone = new QComboBox(this);
    m_zone->setObjectName(QStringLiteral("ClockZoneSelect"));
    for (int32_t minutes = -12 * 60; minutes <= 14 * 60; minutes += 15)
        m_zone->addItem(QStringLiteral("UTC") + StandardExport::ZoneText(minutes), minutes);
    m_zone->setCurrentIndex(m_zone->findData(StandardExport::PcStandardZoneMinutes()));
    m_zone->setToolTip(QStringLiteral("The logger clock's offset from UTC. Loggers keep "
                                      "standard time all year."));
    m_zoneLabel = new QLabel(QStringLiteral("Clock &zone"), this);
    m_zoneLabel->setBuddy(m_zone);
    form->addRow(m_zoneLabel, m_zone);

    m_leaveOutAccepted = new QCheckBox(QStringLiteral("&Leave out accepted flags"), this);
    m_leaveOutAccepted->setObjectName(QStringLiteral("LeaveOutAcceptedFlags"));
    form->addRow(m_leaveOutAccepted);

    auto* note = new QLabel(QStringLiteral("Over the range at the left. Times with their "
                                           "offset and in UTC; gaps in logging are empty."),
                            this);
    note->setWordWrap(true);
    note->setEnabled(false);
    form->addRow(note);

    m_exportData = new QPushButton(QStringLiteral("Export &Data..."), this);
    m_exportData->setObjectName(QStringLiteral("ExportDataBtn"));
    m_exportData->setAutoDefault(false);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addStretch(1);
    column->addWidget(m_exportData, 0, Qt::AlignRight);

    connect(m_format, &QComboBox::currentIndexChanged, this, &DataFormatsPanel::formatChanged);
    connect(m_exportData, &QPushButton::clicked, this, [this] { ExportData(); });
    formatChanged();
}

void DataFormatsPanel::SetStation(const QString& id, const QString& name, int32_t zoneMinutes,
                                  const QString& corrections) {
    m_fromStation = true;
    m_stationId = id;
    m_stationName = name;
    m_stationZone = zoneMinutes;
    m_corrections = corrections;
    m_zone->setCurrentIndex(m_zone->findData(zoneMinutes));
    m_zone->setEnabled(false);
    m_zoneLabel->setEnabled(false);
}

void DataFormatsPanel::ClearStation() {
    m_fromStation = false;
    m_stationId.clear();
    m_stationName.clear();
    m_corrections.clear();
    m_zone->setEnabled(true);
    m_zoneLabel->setEnabled(true);
}

void DataFormatsPanel::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    // Each opening starts from the program's choice in the quality window.
    if (!event->spontaneous())
        m_leaveOutAccepted->setChecked(Analysis::LeaveOutAcceptedFlags());
}

Format DataFormatsPanel::CurrentFormat() const {
    return Format(m_format->currentData().toInt());
}

void DataFormatsPanel::formatChanged() {
    m_interval->setEnabled(StandardExport::UsesInterval(CurrentFormat()));
}

StandardExport::Options DataFormatsPanel::CurrentOptions() const {
    StandardExport::Options o;
    o.ZoneMinutes = m_fromStation ? m_stationZone : m_zone->currentData().toInt();
    o.StationId = m_fromStation ? m_stationId : QStringLiteral("hyetra");
    o.StationName = m_fromStation ? m_stationName : QStringLiteral("Hyetra logger");
    o.IntervalMinutes = m_interval->currentData().toInt();
    o.Corrections = m_corrections;
    o.Storms = m_stormOptions;
    o.Flags = StandardExport::ActiveRecordFlags();
    o.LeaveOutAcceptedFlags = m_leaveOutAccepted->isChecked();
    // The whole record (the range as the dialog opened) keeps the grid on local midnight; a
    // narrower range starts the grid at From and takes in the record at To's minute.
    const auto [from, to] = m_range();
    TDateTime first = 0, last = 0;
    const bool whole = RecordEnds(first, last) &&
                       Analysis::MinuteNumber(from) == Analysis::MinuteNumber(first) &&
                       Analysis::MinuteNumber(to) == Analysis::MinuteNumber(last);
    if (!whole) {
        o.From = Analysis::MinuteTime(Analysis::MinuteNumber(from));
        o.To = Analysis::MinuteTime(Analysis::MinuteNumber(to) + 1);
    }
    return o;
}

QString DataFormatsPanel::DefaultFileName() const {
    const auto [from, to] = m_range();
    const QString station =
        FileNamePart(m_fromStation ? m_stationName : QStringLiteral("Hyetra logger"));
    const Format format = CurrentFormat();
    return QStringLiteral("%1 %2 to %3 %4.%5")
        .arg(station.isEmpty() ? QStringLiteral("station") : station, DayText(from), DayText(to),
             StandardExport::FormatName(format), StandardExport::FileExtension(format));
}

bool DataFormatsPanel::ExportData() {
    const Format format = CurrentFormat();
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Export Data");
    dialog.folder = !m_folder.isEmpty()
                        ? m_folder
                        : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    dialog.fileName = DefaultFileName();
    for (const FormatItem& f : kFormats)
        if (f.format == format)
            dialog.filter = QLatin1String(f.filter);
    dialog.defaultExt = StandardExport::FileExtension(format);
    const QString chosen = Prompts::Current().saveFile(dialog);
    if (chosen.isEmpty())
        return false;
    const QString path = Prompts::WithDefaultExtension(chosen, dialog.defaultExt);
    m_folder = QFileInfo(path).absolutePath();
    if (!writeWithProgress(path))
        return false;
    emit exported(path);
    return true;
}

bool DataFormatsPanel::writeWithProgress(const QString& path) {
    QProgressDialog progress(QStringLiteral("Writing %1...").arg(QFileInfo(path).fileName()),
                             QStringLiteral("&Cancel"), 0, 1000, window());
    progress.setObjectName(QStringLiteral("DataExportProgress"));
    progress.setWindowTitle(QStringLiteral("Export"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(m_progressDelay);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    StandardExport::Options options = CurrentOptions();
    options.Progress = [&progress](double fraction) {
        progress.setValue(int(fraction * 1000.0));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    bool written = false;
    try {
        written = StandardExport::Write(CurrentFormat(), path, options);
    } catch (const OmbrexError& e) {
        progress.close();
        Prompts::ShowError(e.message());
        return false;
    }
    return written;
}
