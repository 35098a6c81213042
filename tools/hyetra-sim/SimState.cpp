#include "tools/hyetra-sim/SimState.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

bool WriteStateFile(const QString& path, const LoggerState& state, const StateFileInfo& info,
                    QString& error) {
    QJsonObject o;
    o[QStringLiteral("name")] = state.name;
    // The offset the clock has reached, what it gained or lost at its rate included.
    o[QStringLiteral("clockOffsetSeconds")] = double(state.clockOffsetMs + ClockDriftMs()) / 1000.0;
    o[QStringLiteral("loggerClock")] = ClockText(LoggerNow(state.clockOffsetMs));
    o[QStringLiteral("startTime")] = DateText(state.memory.start);
    o[QStringLiteral("recordCount")] = qint64(state.memory.records.size());
    QStringList lines = MemoryLines(state.memory);
    lines.removeFirst(); // the start time has its own field
    o[QStringLiteral("records")] = QJsonArray::fromStringList(lines);
    o[QStringLiteral("model")] = info.model;
    o[QStringLiteral("version")] = info.version;
    o[QStringLiteral("port")] = info.port;
    o[QStringLiteral("device")] = info.device;
    o[QStringLiteral("statusReplies")] = state.statusReplies;
    o[QStringLiteral("clockSets")] = state.clockSets;
    o[QStringLiteral("renames")] = state.renames;
    o[QStringLiteral("clears")] = state.clears;
    o[QStringLiteral("downloads")] = state.downloads;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(o).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool ReadStateFile(const QString& path, LoggerState& state, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!doc.isObject()) {
        error = QStringLiteral("%1: not a state file (%2)").arg(path, parseError.errorString());
        return false;
    }
    const QJsonObject o = doc.object();
    QStringList lines;
    lines << QStringLiteral("S,") + o.value(QStringLiteral("startTime"))
                                        .toString()
                                        .replace(QLatin1Char(' '), QLatin1Char(','));
    for (const QJsonValue& v : o.value(QStringLiteral("records")).toArray())
        lines << v.toString();
    LoggerState read = state;
    if (!ParseMemoryLines(lines, read.memory, error)) {
        error = QStringLiteral("%1: %2").arg(path, error);
        return false;
    }
    read.name = o.value(QStringLiteral("name")).toString().left(32);
    read.clockOffsetMs = qint64(o.value(QStringLiteral("clockOffsetSeconds")).toDouble() * 1000.0);
    state = std::move(read);
    return true;
}
