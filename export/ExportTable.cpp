#include "export/ExportTable.h"

#include "data/DataUnit.h"
#include "export/AtomicFile.h"
#include "ui/OmbrexError.h"

#include <QStringView>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace StandardExport::Detail {

namespace {

constexpr int64_t kUnixEpochDay = 25569; // 1970-01-01 in days since 1899-12-30

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 to the civil calendar (proleptic Gregorian).
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

inline char* Two(char* out, int v) {
    out[0] = char('0' + v / 10);
    out[1] = char('0' + v % 10);
    return out + 2;
}

// "YYYY-MM-DDTHH:MM" of a minute counted from 1899-12-30.
char* PutMinute(char* out, int64_t minute) {
    const int64_t day = FloorDiv(minute, 1440);
    const int ofDay = int(minute - day * 1440);
    int y, m, d;
    CivilFromDays(day - kUnixEpochDay, y, m, d);
    if (y < 0 || y > 9999)
        y = std::clamp(y, 0, 9999);
    out = Two(out, y / 100);
    out = Two(out, y % 100);
    *out++ = '-';
    out = Two(out, m);
    *out++ = '-';
    out = Two(out, d);
    *out++ = 'T';
    out = Two(out, ofDay / 60);
    *out++ = ':';
    return Two(out, ofDay % 60);
}

} // namespace

QString FlagsOf(const Options& options, int32_t index) {
    if (index < 0 || size_t(index) >= options.Flags.size())
        return {};
    return options.Flags[size_t(index)].Letters;
}

Table TakeTable(const Options& options) {
    Table table;
    table.TipThousandths = std::llround(MillimetresPerTip() * 1000.0);
    table.From = options.From ? Analysis::MinuteNumber(*options.From) : INT64_MIN;
    table.To = options.To ? Analysis::MinuteNumber(*options.To) : INT64_MAX;
    const int32_t n = DataUnit::EventCount();
    table.Rows.reserve(size_t(std::max(n, 0)));
    bool pendingBreak = false;
    for (int32_t i = 0; i < n; ++i) {
        bool out = false;
        const TRainRecord r = DataUnit::GetEvent(i, out);
        if (out)
            break;
        const QStringView message(r.Message);
        if (Analysis::IsMarkerDate(r.DateTime) || message == QStringView(Analysis::kNotLogging)) {
            pendingBreak = true;
            continue;
        }
        if (message == QStringView(Analysis::kLoggingAgain))
            continue;
        if (options.LeaveOutAcceptedFlags && size_t(i) < options.Flags.size() &&
            !options.Flags[size_t(i)].Accepted.isEmpty())
            continue;
        const int64_t minute = Analysis::MinuteNumber(r.DateTime);
        const bool breakBefore = pendingBreak && r.Count > 0;
        if (r.Count > 0)
            pendingBreak = false;
        if (minute < table.From || minute >= table.To)
            continue;
        table.Rows.push_back({minute, i, r.Count, breakBefore});
    }
    std::stable_sort(table.Rows.begin(), table.Rows.end(),
                     [](const Row& a, const Row& b) { return a.Minute < b.Minute; });
    for (const LoggedSpan& s : LoggedSpansFromEvents())
        table.Spans.push_back({Analysis::MinuteNumber(s.From), Analysis::MinuteNumber(s.To)});
    std::sort(table.Spans.begin(), table.Spans.end(),
              [](const Span& a, const Span& b) { return a.First < b.First; });
    return table;
}

Grid MakeGrid(const Table& table, const Options& options) {
    Grid grid{0, 0, std::clamp(options.IntervalMinutes, 1, 1440)};
    int64_t first = INT64_MAX, last = INT64_MIN;
    for (const Span& s : table.Spans) {
        first = std::min(first, s.First);
        last = std::max(last, s.Last);
    }
    if (!table.Rows.empty()) {
        first = std::min(first, table.Rows.front().Minute);
        last = std::max(last, table.Rows.back().Minute);
    }
    if (options.From)
        grid.Start = table.From;
    else if (first != INT64_MAX)
        grid.Start = FloorDiv(first, 1440) * 1440;
    else
        return grid;
    if (options.To) {
        if (table.To > grid.Start)
            grid.Count = (table.To - grid.Start + grid.N - 1) / grid.N;
    } else if (last != INT64_MIN && last >= grid.Start) {
        grid.Count = (last - grid.Start) / grid.N + 1;
    }
    // A century of minutes is 53 million; anything beyond is a mistyped range.
    constexpr int64_t kMostIntervals = 60'000'000;
    if (grid.Count > kMostIntervals)
        throw OmbrexError(QStringLiteral("The range holds %1 intervals of %2 minutes, more than "
                                         "%3; choose a shorter range or a longer interval")
                              .arg(grid.Count)
                              .arg(grid.N)
                              .arg(kMostIntervals));
    return grid;
}

std::vector<int64_t> IntervalTotals(const Table& table, const Grid& grid) {
    std::vector<int64_t> totals(size_t(grid.Count), -1);
    const int64_t end = grid.Start + grid.Count * grid.N;
    for (const Span& s : table.Spans) {
        const int64_t first = std::max(s.First, grid.Start);
        const int64_t last = std::min(s.Last, end - 1);
        if (first > last)
            continue;
        const int64_t to = (last - grid.Start) / grid.N;
        for (int64_t k = (first - grid.Start) / grid.N; k <= to; ++k)
            if (totals[size_t(k)] < 0)
                totals[size_t(k)] = 0;
    }
    // A record is itself a logged minute.
    for (const Row& r : table.Rows) {
        if (r.Minute < grid.Start || r.Minute >= end)
            continue;
        int64_t& t = totals[size_t((r.Minute - grid.Start) / grid.N)];
        t = std::max<int64_t>(t, 0) + int64_t(r.Tips) * table.TipThousandths;
    }
    return totals;
}

std::vector<RainMinute> RainSeries(const Table& table) {
    std::vector<RainMinute> series;
    int64_t lastMinute = INT64_MIN;
    for (const Row& r : table.Rows) {
        if (r.Tips <= 0)
            continue;
        if (!series.empty() && r.Minute == lastMinute) {
            series.back().Tips += r.Tips;
            series.back().BreakBefore = series.back().BreakBefore || r.BreakBefore;
        } else {
            series.push_back({Analysis::MinuteTime(r.Minute), r.Tips, r.BreakBefore});
            lastMinute = r.Minute;
        }
    }
    return series;
}

char* PutLocal(char* out, int64_t minute, int32_t zone) {
    out = PutMinute(out, minute);
    *out++ = zone < 0 ? '-' : '+';
    const int a = std::abs(zone);
    out = Two(out, a / 60);
    *out++ = ':';
    return Two(out, a % 60);
}

char* PutUtc(char* out, int64_t minute, int32_t zone) {
    out = PutMinute(out, minute - zone);
    *out++ = 'Z';
    return out;
}

char* PutDepth(char* out, int64_t thousandths) {
    if (thousandths < 0) {
        *out++ = '-';
        thousandths = -thousandths;
    }
    char digits[24];
    int n = 0;
    int64_t whole = thousandths / 1000;
    do {
        digits[n++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    while (n > 0)
        *out++ = digits[--n];
    int frac = int(thousandths % 1000);
    if (frac != 0) {
        *out++ = '.';
        int div = 100;
        while (frac != 0) {
            *out++ = char('0' + frac / div);
            frac %= div;
            div /= 10;
        }
    }
    return out;
}

int64_t UnixMinutes(int64_t minute, int32_t zone) {
    return minute - kUnixEpochDay * 1440 - zone;
}

QByteArray LocalText(int64_t minute, int32_t zone) {
    char text[40];
    return QByteArray(text, int(PutLocal(text, minute, zone) - text));
}

QByteArray UtcText(int64_t minute, int32_t zone) {
    char text[40];
    return QByteArray(text, int(PutUtc(text, minute, zone) - text));
}

QByteArray CsvHeader(const Table& table, const Options& options, const QByteArray& more) {
    char depth[32];
    QByteArray h;
    h += "# station: " + options.StationName.simplified().toUtf8() + '\n';
    h += "# station id: " + options.StationId.simplified().toUtf8() + '\n';
    h += "# tip depth: " + QByteArray(depth, int(PutDepth(depth, table.TipThousandths) - depth)) +
         " mm\n";
    h += "# clock zone: UTC" + ZoneText(options.ZoneMinutes).toLatin1() +
         " (fixed offset; time_local in this zone, time_utc in UTC)\n";
    h += "# corrections: " +
         (options.Corrections.isEmpty() ? QByteArray("none")
                                        : options.Corrections.simplified().toUtf8()) +
         '\n';
    if (options.LeaveOutAcceptedFlags)
        h += "# records with accepted flags: left out\n";
    h += more;
    return h;
}

bool Progress::step(int64_t done, int64_t total) {
    if (!m_callback || (done < m_next && done < total))
        return true;
    m_next = done + std::max<int64_t>(total / 256, 4096);
    return m_callback(total > 0 ? double(done) / double(total) : 1.0);
}

TextOut::TextOut(AtomicFile& file) : m_file(file), m_buffer(size_t(1) << 20) {}

char* TextOut::room(size_t bytes) {
    if (m_used + bytes > m_buffer.size()) {
        flush();
        if (bytes > m_buffer.size())
            m_buffer.resize(bytes);
    }
    return m_buffer.data() + m_used;
}

void TextOut::append(const QByteArray& bytes) {
    char* at = room(size_t(bytes.size()));
    std::memcpy(at, bytes.constData(), size_t(bytes.size()));
    advance(at + bytes.size());
}

void TextOut::flush() {
    m_file.write(m_buffer.data(), m_used);
    m_used = 0;
}

} // namespace StandardExport::Detail
