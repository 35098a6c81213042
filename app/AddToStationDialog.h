#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QComboBox;
class QPushButton;

// "Add Data File to Station": which station the file joins; a new name makes a new station.
class AddToStationDialog : public QDialog {
    Q_OBJECT
public:
    AddToStationDialog(QWidget* mainWindow, const QString& file, const QStringList& stations,
                       const QString& proposed);

    QComboBox* StationBox;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    std::function<void(const QString& station)> onOk;
};
