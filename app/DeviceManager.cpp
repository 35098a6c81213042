#include "app/DeviceManager.h"

#include "help/HelpContexts.h"

#include "link/PortAccess.h"
#include "link/PortMap.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTableWidget>
#include <QVBoxLayout>

QList<DevicePortRow> DevicePortRows() {
    QList<DevicePortRow> rows;
    const auto infos = QSerialPortInfo::availablePorts();
    for (int n : PortMap::MappedPorts()) {
        DevicePortRow row;
        row.name = PortMap::PortName(n);
        row.path = PortMap::DevicePath(n);
        const QString target = QFileInfo(row.path).canonicalFilePath();
        for (const QSerialPortInfo& info : infos) {
            if (QFileInfo(info.systemLocation()).canonicalFilePath() != target)
                continue;
            row.description = info.description();
            row.maker = info.manufacturer();
            if (info.hasVendorIdentifier())
                row.usb = QStringLiteral("%1:%2")
                              .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                              .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        }
        if (row.description.isEmpty() && row.path.startsWith(QLatin1String("/dev/pts/")))
            row.description = QStringLiteral("pseudo-terminal (virtual logger)");
        row.state = PortAccess::StateText(PortAccess::ProbePort(n));
        rows.append(row);
    }
    return rows;
}

void ShowDeviceManager(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Serial Ports"));
    HelpContexts::Set(&dialog, HelpContexts::SerialPortList);
    dialog.resize(960, 320);
    auto* layout = new QVBoxLayout(&dialog);
    auto* intro = new QLabel(
        QStringLiteral(
            "The serial ports Ombrex can use, by the COM number it gives them. A USB "
            "Hyetra shows up as /dev/ttyUSB<i>n</i> or /dev/ttyACM<i>n</i>. To give a "
            "device another number, make a link named COM<i>n</i> to it in<br><tt>%1</tt>")
            .arg(PortMap::PortsFolder().toHtmlEscaped()),
        &dialog);
    intro->setWordWrap(true);
    intro->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(intro);

    auto* table = new QTableWidget(&dialog);
    table->setObjectName(QStringLiteral("PortTable"));
    table->setColumnCount(6);
    table->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device"),
                                      QStringLiteral("Description"), QStringLiteral("Maker"),
                                      QStringLiteral("USB id"), QStringLiteral("Now")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A state too long for its cell (the fix for a port without permission) is shown in full
    // below the table as well.
    auto* note = new QLabel(&dialog);
    note->setObjectName(QStringLiteral("PortNote"));
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto fill = [table, note] {
        const QList<DevicePortRow> rows = DevicePortRows();
        table->setRowCount(int(rows.size()));
        QStringList notes;
        for (int r = 0; r < rows.size(); ++r) {
            const DevicePortRow& p = rows[r];
            const QString cells[] = {p.name, p.path, p.description, p.maker, p.usb, p.state};
            for (int c = 0; c < 6; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                item->setToolTip(cells[c]);
                table->setItem(r, c, item);
            }
            if (p.state.startsWith(QLatin1String("no permission")))
                notes << p.name + QStringLiteral(": ") + p.state;
        }
        table->resizeColumnsToContents();
        table->horizontalHeader()->setStretchLastSection(true);
        note->setText(notes.join(QLatin1Char('\n')));
        note->setVisible(!notes.isEmpty());
    };
    fill();
    layout->addWidget(table);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* refresh =
        buttons->addButton(QStringLiteral("&Refresh"), QDialogButtonBox::ActionRole);
    QObject::connect(refresh, &QPushButton::clicked, &dialog, fill);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}
