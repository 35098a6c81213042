#include "link/dialogs/TDLForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

TDLForm::TDLForm(QWidget* mainWindow, int recordCount)
    : QDialog(mainWindow), m_recordCount(recordCount) {
    setObjectName(QStringLiteral("DLForm"));
    setWindowTitle(QStringLiteral("Download"));
    setModal(false);
    setFixedSize(297, 108);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Gauge = new QProgressBar(this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setGeometry(16, 14, 265, 22);
    // A logger with no records still downloads; its gauge stays at 0 %.
    Gauge->setRange(0, std::max(recordCount, 0));
    Gauge->setValue(0);
    Gauge->setFormat(QStringLiteral("%p%"));
    Gauge->setTextVisible(true);
    Gauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: #0000ff; }"
                                        "QProgressBar { text-align: center; }"));
    if (recordCount <= 0)
        Gauge->setRange(0, 1);
    auto* wait = new QLabel(QStringLiteral("Please wait..."), this);
    wait->move(16, 46);
    AbortButton = new QPushButton(QStringLiteral("Abort"), this);
    AbortButton->setObjectName(QStringLiteral("AbortButton"));
    AbortButton->setGeometry(111, 72, 75, 25);
    connect(AbortButton, &QPushButton::clicked, this, [this] {
        if (onAbort)
            onAbort();
    });

    if (mainWindow) {
        const QRect m = mainWindow->geometry();
        move(m.left() + m.width() / 2 - width() / 2, m.top() + m.height() / 2 - height() / 2);
    }
}

// Counts every line; the bar itself is redrawn only when its percentage changes, since a full
// memory has a quarter of a million lines and the bar shows a hundred steps.
void TDLForm::Advance() {
    if (m_recordCount <= 0 || m_lines >= m_recordCount)
        return;
    ++m_lines;
    const auto percent = [this](int lines) { return qint64(lines) * 100 / m_recordCount; };
    if (percent(m_lines) != percent(Gauge->value()) || m_lines == m_recordCount)
        Gauge->setValue(m_lines);
}
