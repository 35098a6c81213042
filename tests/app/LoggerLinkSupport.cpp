#include "tests/app/LoggerLinkSupport.h"

#include "app/SettingsStore.h"
#include "tests/sim/SimHarness.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <gtest/gtest.h>

void seedSettings(int model, int port) {
    QDir().mkpath(QFileInfo(SettingsStore::Location()).path());
    QFile f(SettingsStore::Location());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QString("[Settings]\nLogger=%1\nPort Number=%2\n[General]\nShowHelp=0\n")
                .arg(model)
                .arg(port)
                .toUtf8());
}

std::unique_ptr<TFMain> openMain() {
    blockMachinePorts();
    auto w = std::make_unique<TFMain>();
    w->show();
    WaitUntil([&] { return w->MdiArea()->subWindowList().size() == 3; }, 2000);
    return w;
}

QString logOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList received(const QString& logFile) {
    QStringList out;
    for (const QString& line : logOf(logFile).split('\n'))
        if (line.section(' ', 2, 2).startsWith("RX"))
            out << line.section(' ', 3);
    return out;
}

void blockMachinePorts() {
    const QString folder =
        QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + "/Pluvatec/Ombrex2/ports/";
    QDir().mkpath(folder);
    for (int n = 1; n <= 30; ++n)
        if (!QFileInfo(folder + QString("COM%1").arg(n)).isSymLink())
            QFile::link("/nonexistent/tty-none", folder + QString("COM%1").arg(n));
}

bool connected(const TFMain& w) {
    return w.Status().Connected && w.MainEnabled();
}

bool autoDetect(TFMain& w) {
    w.Action("MnuAutoDetect")->trigger();
    return WaitUntil([&] { return connected(w); }, 5000);
}

Expected readMemory(const QString& file) {
    Expected e;
    auto when = [](const QString& date, const QString& time) {
        return EncodeDateTime(2000 + date.mid(6, 2).toInt(), date.left(2).toInt(),
                              date.mid(3, 2).toInt(), time.left(2).toInt(), time.mid(3, 2).toInt());
    };
    for (const QString& line : ReadLines(file)) {
        const QStringList f = line.split(',');
        if (line.startsWith('#') || f.size() < 3)
            continue;
        if (f[0] == "S")
            e.start = when(f[1], f[2]);
        else if (f[0] == "M")
            e.records.append({when(f[1], f[2]), 0, f.mid(3).join(",").trimmed().left(20)});
        else
            e.records.append({when(f[0], f[1]), QString(f[2]).remove('.').toInt() % 256, {}});
    }
    return e;
}

void expectTablesEqualMemory(const QString& memoryFile) {
    const Expected e = readMemory(memoryFile);
    ASSERT_FALSE(e.records.isEmpty());
    ASSERT_EQ(DataUnit::EventCount(), e.records.size() + 2); // start and end records
    bool out = false;
    EXPECT_DOUBLE_EQ(DataUnit::GetEvent(0, out).DateTime, e.start);
    for (int i = 0; i < e.records.size(); ++i) {
        const TRainRecord r = DataUnit::GetEvent(i + 1, out);
        ASSERT_NEAR(r.DateTime, e.records[i].DateTime, 1e-6) << "record " << i;
        ASSERT_EQ(r.Count, e.records[i].Count) << "record " << i;
        ASSERT_EQ(r.Message.toStdString(), e.records[i].Message.toStdString()) << "record " << i;
    }
    EXPECT_GT(DataUnit::DailyCount(), 0);
}
