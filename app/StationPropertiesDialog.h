#pragma once

#include "archive/ArchiveTypes.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// "Station Properties": the station's name, the logger clock's zone (a fixed offset from UTC:
// loggers do not follow daylight saving), notes, the quality flags' windows and ceilings and
// the tip time constant of the dynamic calibration. OK hands the changed settings to onOk.
class StationPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    StationPropertiesDialog(QWidget* mainWindow, const Archive::StationSettings& settings);

    QLineEdit* NameEdit;
    QComboBox* ZoneBox;
    QPlainTextEdit* NotesEdit;
    QSpinBox* TestTipEdit;             // minutes after the clock was set
    QSpinBox* PreDownloadEdit;         // minutes before a download
    QDoubleSpinBox* MinuteCeilingEdit; // mm/h
    QDoubleSpinBox* HourCeilingEdit;   // mm
    QDoubleSpinBox* DayCeilingEdit;    // mm
    QDoubleSpinBox* TipTimeEdit;       // seconds, 0 = off
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    std::function<void(const Archive::StationSettings&)> onOk;

    static QString ZoneText(int32_t minutes); // "UTC+01:00"

private:
    Archive::StationSettings m_settings;
};
