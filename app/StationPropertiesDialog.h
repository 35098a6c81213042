#pragma once

#include "archive/ArchiveTypes.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Station Properties": the station's name, the logger clock's zone (a fixed offset from UTC:
// loggers do not follow daylight saving) and notes. OK hands the changed settings to onOk.
class StationPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    StationPropertiesDialog(QWidget* mainWindow, const Archive::StationSettings& settings);

    QLineEdit* NameEdit;
    QComboBox* ZoneBox;
    QPlainTextEdit* NotesEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    std::function<void(const Archive::StationSettings&)> onOk;

    static QString ZoneText(int32_t minutes); // "UTC+01:00"

private:
    Archive::StationSettings m_settings;
};
