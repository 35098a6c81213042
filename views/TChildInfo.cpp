#include "views/TChildInfo.h"

#include "views/ChildHost.h"
#include "views/LoggerClock.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace {
const QString kDashes = QStringLiteral("----");
}

TChildInfo::TChildInfo(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Device Info"));
    auto* client = new QWidget(this);
    auto* grid = new QGridLayout(client);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(12);
    QFont bold = client->font();
    bold.setBold(true);
    int row = 0;
    auto add = [&](const char* caption, const char* name) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), client), row, 0);
        auto* value = new QLabel(client);
        value->setObjectName(QString::fromLatin1(name));
        value->setFont(bold);
        grid->addWidget(value, row++, 1);
        return value;
    };
    NameLabel = add("Name", "NameLabel");
    StatusLabel = add("Status", "StatusLabel");
    ClockLabel = add("Time", "ClockLabel");
    DateLabel = add("Date", "DateLabel");
    VerLabel = add("Version", "VerLabel");
    MemLabel = add("Memory", "MemLabel");
    BattLabel = add("Battery", "BattLabel");
    grid->addWidget(new QLabel(QStringLiteral("Capacity"), client), row, 0);
    CapGauge = new QProgressBar(client);
    CapGauge->setObjectName(QStringLiteral("CapGauge"));
    CapGauge->setTextVisible(false);
    CapGauge->setFixedHeight(16);
    CapGauge->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid gray; background: white; }"
                       "QProgressBar::chunk { background: red; }"));
    grid->addWidget(CapGauge, row++, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    setWidget(client);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &TChildInfo::Timer1Timer);

    // FormCreate: a fixed outer size; Qt widgets draw through a back buffer already, so the
    // clock's updates do not flicker.
    setFixedSize(200, 255);
    if (host->Status().Connected)
        EnableExecute();
    else
        DisableExecute();
}

void TChildInfo::EnableExecute() {
    const DeviceStatus& s = host()->Status();
    NameLabel->setText(s.DeviceName);
    StatusLabel->setText(QStringLiteral("Connected"));
    VerLabel->setText(s.LoggerVersion);
    BattLabel->setText(s.BatteryText);
    if (!Timer1->isActive()) // a running clock keeps its rhythm
        Timer1->start();
    const MemorySize memory = MemorySizeOf(s.LoggerVersion);
    MemLabel->setText(memory.text);
    CapGauge->setRange(0, memory.capacity);
    CapGauge->setValue(std::clamp(s.RecordCount, 0, memory.capacity));
    const TDateTime loggerTime = LoggerNow(s.ClockOffset);
    DateLabel->setText(ShortDateText(loggerTime));
    ClockLabel->setText(LoggerClockText(loggerTime));
}

void TChildInfo::DisableExecute() {
    NameLabel->setText(kDashes);
    StatusLabel->setText(QStringLiteral("Not Connected"));
    ClockLabel->setText(kDashes);
    DateLabel->setText(kDashes);
    VerLabel->setText(kDashes);
    MemLabel->setText(kDashes);
    BattLabel->setText(kDashes);
    CapGauge->setValue(0);
    Timer1->stop();
}

void TChildInfo::Timer1Timer() {
    ClockLabel->setText(LoggerClockText(LoggerNow(host()->Status().ClockOffset)));
}
