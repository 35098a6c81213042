#pragma once

#include "analysis/RainSeries.h"
#include "export/StandardExport.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

class AtomicFile;

// What every standard export reads from the tables: the records that are rows, the stretches
// covered by logging and the tip depth, in whole minutes of the clock zone.
namespace StandardExport::Detail {

struct Row {
    int64_t Minute; // local, minutes since 1899-12-30
    int32_t Index;  // in the EventTable
    int32_t Tips;
    bool BreakBefore; // a marker or "Not logging" lies before this rain record
};

struct Span {
    int64_t First, Last; // covered minutes, both included
};

struct Table {
    std::vector<Row> Rows;   // time order, one minute's records in index order; within the range
    std::vector<Span> Spans; // time order
    int64_t TipThousandths;  // thousandths of a millimetre per tip
    int64_t From, To;        // the range: From <= minute < To
};

Table TakeTable(const Options& options);
QString FlagsOf(const Options& options, int32_t index);

// The interval grid: Count intervals of N minutes from Start.
struct Grid {
    int64_t Start;
    int64_t Count;
    int32_t N;
};
Grid MakeGrid(const Table& table, const Options& options);
// Thousandths of a millimetre per interval; -1 where no minute of it was logged.
std::vector<int64_t> IntervalTotals(const Table& table, const Grid& grid);

std::vector<RainMinute> RainSeries(const Table& table);

// Text pieces, written straight into a buffer with room for them.
char* PutLocal(char* out, int64_t minute, int32_t zone); // "2009-03-01T08:05+01:00"
char* PutUtc(char* out, int64_t minute, int32_t zone);   // "2009-03-01T07:05Z"
char* PutDepth(char* out, int64_t thousandths);          // "0.254", "1.2", "0"
int64_t UnixMinutes(int64_t minute, int32_t zone);
QByteArray LocalText(int64_t minute, int32_t zone);
QByteArray UtcText(int64_t minute, int32_t zone);

// The "#" lines that open a CSV file.
QByteArray CsvHeader(const Table& table, const Options& options, const QByteArray& more = {});

// Calls the progress callback now and then; false once the user cancelled.
class Progress {
public:
    explicit Progress(const Options& options) : m_callback(options.Progress) {}
    bool step(int64_t done, int64_t total);

private:
    const std::function<bool(double)>& m_callback;
    int64_t m_next = 0;
};

// Buffered CSV text into an AtomicFile.
class TextOut {
public:
    explicit TextOut(AtomicFile& file);
    char* room(size_t bytes); // a place for at least this many bytes
    void advance(char* end) { m_used = size_t(end - m_buffer.data()); }
    void append(const QByteArray& bytes);
    void flush();

private:
    AtomicFile& m_file;
    std::vector<char> m_buffer;
    size_t m_used = 0;
};

} // namespace StandardExport::Detail
