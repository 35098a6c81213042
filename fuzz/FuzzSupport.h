#pragma once

// What every fuzz target shares: prompts that answer without a window, the tables' invariants,
// and a scratch file for readers that take a path.
#include "data/DataUnit.h"
#include "ui/Prompts.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdlib>

namespace Fuzz {

class SilentPrompts final : public Prompts::Service {
public:
    Prompts::Answer ask(Prompts::Kind, const QString&) override { return Prompts::Answer::Ok; }
    QString openFile(const Prompts::FileDialog&) override { return {}; }
    QString saveFile(const Prompts::FileDialog&) override { return {}; }
    bool printerSetup(QPrinter*) override { return false; }
};

inline void InstallSilentPrompts() {
    static SilentPrompts prompts;
    Prompts::Install(&prompts);
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Whatever went in, the tables hold only what a record can be.
inline void CheckTables() {
    bool outOfRange = false;
    for (int32_t i = 0; i < DataUnit::EventCount(); ++i) {
        const TRainRecord r = DataUnit::GetEvent(i, outOfRange);
        if (outOfRange || r.Count < 0 || r.Count > 255 || r.Message.size() > 20 ||
            !std::isfinite(r.DateTime))
            std::abort();
    }
    for (int32_t i = 0; i < DataUnit::DailyCount(); ++i) {
        const TRainRecord r = DataUnit::GetDaily(i, outOfRange);
        if (outOfRange || r.Count < 0 || !std::isfinite(r.DateTime))
            std::abort();
    }
}

// A per-process scratch file holding the input, for the readers that open a path.
inline QString WriteScratch(const QByteArray& bytes, const char* suffix) {
    const QString path = QDir::tempPath() + QStringLiteral("/ombrex-fuzz-%1%2")
                                                .arg(QCoreApplication::applicationPid())
                                                .arg(QLatin1String(suffix));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

} // namespace Fuzz
