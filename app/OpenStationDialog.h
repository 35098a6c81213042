#pragma once

#include "archive/ArchiveTypes.h"

#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;

// "Open Station": the archive's stations with their first and last record, downloads, records
// and last download. Double-click or OK hands the chosen station to onOpen, then it closes.
class OpenStationDialog : public QDialog {
    Q_OBJECT
public:
    OpenStationDialog(QWidget* mainWindow, const std::vector<Archive::StationSummary>& stations);

    QTreeWidget* List;
    QPushButton* OKBtn;
    QPushButton* AcceptBtn; // takes in the downloads kept apart (check sum failed)
    QPushButton* CancelBtn;

    std::function<void(int64_t stationId)> onOpen;
    std::function<void(int64_t stationId)> onAcceptKept;

    int64_t SelectedStation() const;
    bool SelectStation(const QString& name);

private:
    void updateButtons();
};
