#pragma once

#include <QByteArray>
#include <QString>

// The benchmarks' workloads. Logger memories come from the virtual logger's seeded generator,
// downloaded from it over a pseudo-terminal, so they hold exactly what a download brings.
namespace SimWorkload {

constexpr int FullMemoryRecords = 232106; // a full 2 MB memory
constexpr quint64 Seed = 3;
// Version codes of a 2 MB logger: the third character picks the record format.
inline const QString NewFormatVersion = QStringLiteral("225");
inline const QString OldFormatVersion = QStringLiteral("224");

// The bytes a download of that memory brings (the empty first line to "OK" CR LF); the same
// request is answered from a cache for the rest of the process. Throws std::runtime_error when
// the virtual logger does not start or answer.
const QByteArray& Download(const QString& version, int records = FullMemoryRecords);

// Parses that download into the tables and builds the daily table, as the program does after
// a download.
void LoadDownload(const QString& version, int records = FullMemoryRecords);

// Ten years of daily records: 2015 to 2024, storms on about a third of the days, seeded.
// Replaces the tables and builds the daily table.
void LoadTenYears();

} // namespace SimWorkload
