#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

// "Select Port": the serial layer asks for a port when one must be opened without a number.
// Lists every port that can be opened at the moment the dialog is created.
class TComSelectForm : public QDialog {
    Q_OBJECT
public:
    explicit TComSelectForm(QWidget* parent = nullptr);

    // The number after "COM" of the selected entry; 0 when the list is empty.
    int SelectedPort() const;

    QComboBox* PortsComboBox;
    QPushButton* OkBtn;
    QPushButton* AbortBtn;
};
