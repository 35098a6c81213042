#pragma once

#include "data/Date_unit.h"
#include "export/StandardExport.h"

#include <QGroupBox>

#include <functional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The export dialog's "Data formats" group: the record as CSV, NetCDF or WaterML for other
// tools, over the dialog's range. Long exports show progress and can be cancelled; a cancelled
// or failed export leaves no file.
class DataFormatsPanel final : public QGroupBox {
    Q_OBJECT
public:
    // The dialog's From and To, read when an export starts.
    using RangeSource = std::function<std::pair<TDateTime, TDateTime>()>;

    explicit DataFormatsPanel(RangeSource range, QWidget* parent = nullptr);

    // A station's record carries its clock zone, so the zone is not asked for.
    void SetStation(const QString& id, const QString& name, int32_t zoneMinutes,
                    const QString& corrections = {});
    void ClearStation();
    void SetStormOptions(const Analysis::StormOptions& options) { m_stormOptions = options; }
    // How long an export runs before its progress shows (tests set 0).
    void SetProgressDelay(int ms) { m_progressDelay = ms; }

    StandardExport::Format CurrentFormat() const;
    StandardExport::Options CurrentOptions() const;
    QString DefaultFileName() const;
    // Asks for the file (the save dialog) and writes it; true when a file was written.
    bool ExportData();

protected:
    void showEvent(QShowEvent* event) override;

signals:
    void exported(const QString& path);

private:
    void formatChanged();
    bool writeWithProgress(const QString& path);

    RangeSource m_range;
    QComboBox* m_format = nullptr;
    QComboBox* m_interval = nullptr;
    QLabel* m_zoneLabel = nullptr;
    QComboBox* m_zone = nullptr;
    QCheckBox* m_leaveOutAccepted = nullptr;
    QPushButton* m_exportData = nullptr;

    bool m_fromStation = false;
    QString m_stationId, m_stationName, m_corrections;
    int32_t m_stationZone = 0;
    QString m_folder;
    int m_progressDelay = 1000;
    Analysis::StormOptions m_stormOptions;
};
