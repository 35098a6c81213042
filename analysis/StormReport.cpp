#include "analysis/StormReport.h"

namespace StormReport {

namespace {

constexpr double kMmPerInch = 25.4;

Cell Number(double value, int decimals) {
    return {QString::number(value, 'f', decimals), value};
}

Cell Whole(int64_t value) {
    return {QString::number(value), double(value)};
}

Cell Time(TDateTime t) {
    const TDateTime minute = Analysis::MinuteTime(Analysis::MinuteNumber(t));
    return {ShortDateText(minute) + QLatin1Char(' ') + LoggerTimeText(minute).mid(9), minute};
}

double Depth(double mm, bool inches) {
    return inches ? mm / kMmPerInch : mm;
}

// Inches need a decimal more than millimetres for the same resolution.
int DepthDecimals(bool inches) {
    return inches ? 3 : 2;
}

} // namespace

QString DepthUnit(bool inches) {
    return inches ? QStringLiteral("in") : QStringLiteral("mm");
}

QString IntensityUnit(bool inches) {
    return inches ? QStringLiteral("in/h") : QStringLiteral("mm/h");
}

QString EquationName(Analysis::EnergyEquation equation) {
    switch (equation) {
    case Analysis::EnergyEquation::McGregor:
        return QStringLiteral("McGregor");
    case Analysis::EnergyEquation::Usle:
        return QStringLiteral("USLE");
    case Analysis::EnergyEquation::BrownFoster:
        break;
    }
    return QStringLiteral("Brown-Foster");
}

QStringList StormColumns(bool inches) {
    QStringList c = {QStringLiteral("Start"), QStringLiteral("End"),
                     QStringLiteral("Duration (min)"),
                     QStringLiteral("Depth (%1)").arg(DepthUnit(inches))};
    for (int32_t d : Analysis::kDurations)
        c << QStringLiteral("I%1 (%2)").arg(d).arg(IntensityUnit(inches));
    c << QStringLiteral("Energy (MJ/ha)") << QStringLiteral("EI30 (MJ mm/(ha h))")
      << QStringLiteral("Erosive");
    return c;
}

Row StormRow(const Analysis::Storm& s, bool inches) {
    Row r = {Time(s.Start), Time(s.End), Whole(s.DurationMinutes),
             Number(Depth(s.DepthMm, inches), DepthDecimals(inches))};
    for (double i : s.MaxIntensityMmH)
        r.push_back(Number(Depth(i, inches), DepthDecimals(inches)));
    r.push_back(Number(s.EnergyMJPerHa, 3));
    r.push_back(Number(s.EI30, 1));
    r.push_back({s.Erosive ? QStringLiteral("yes") : QStringLiteral("no"), s.Erosive ? 1.0 : 0.0});
    return r;
}

QStringList SummaryColumns(bool inches) {
    return {QStringLiteral("Period"),
            QStringLiteral("Depth (%1)").arg(DepthUnit(inches)),
            QStringLiteral("Rain days"),
            QStringLiteral("Largest day (%1)").arg(DepthUnit(inches)),
            QStringLiteral("Largest I60 (%1)").arg(IntensityUnit(inches)),
            QStringLiteral("Storms"),
            QStringLiteral("Erosive storms"),
            QStringLiteral("R (MJ mm/(ha h))"),
            QStringLiteral("Complete (%)")};
}

Row SummaryRow(const Analysis::PeriodSummary& p, bool inches) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QString period =
        p.Month >= 1 && p.Month <= 12
            ? QStringLiteral("%1 %2").arg(QLatin1String(months[p.Month - 1])).arg(p.Year)
            : QString::number(p.Year);
    return {{period, double(p.Year * 100 + p.Month)},
            Number(Depth(p.DepthMm, inches), DepthDecimals(inches)),
            Whole(p.RainDays),
            Number(Depth(p.LargestDayMm, inches), DepthDecimals(inches)),
            Number(Depth(p.LargestI60MmH, inches), DepthDecimals(inches)),
            Whole(p.Storms),
            Whole(p.ErosiveStorms),
            Number(p.R, 1),
            Number(100.0 * p.Completeness, 1)};
}

namespace {

// Summary cells that a correction changes, in the order CorrectedSummaryColumns names them.
Row CorrectedSummaryCells(const Analysis::PeriodSummary& p, bool inches) {
    return {Number(Depth(p.DepthMm, inches), DepthDecimals(inches)),
            Number(Depth(p.LargestDayMm, inches), DepthDecimals(inches)),
            Number(Depth(p.LargestI60MmH, inches), DepthDecimals(inches)), Whole(p.ErosiveStorms),
            Number(p.R, 1)};
}

} // namespace

Table StormTable(const Analysis::TableStorms& a, bool inches) {
    Table t{StormColumns(inches), {}};
    const bool corrected = a.HasCorrection() && a.Corrected.size() == a.Storms.size();
    constexpr int kRawDepth = 3; // Start, End, Duration, then the depth
    if (corrected) {
        QStringList more = StormColumns(inches).mid(kRawDepth);
        for (QString& c : more) {
            const qsizetype unit = c.indexOf(QLatin1String(" ("));
            c.insert(unit < 0 ? c.size() : unit, QStringLiteral(" corrected"));
        }
        t.columns.insert(kRawDepth + 1, more.takeFirst());
        t.columns += more;
    }
    t.rows.reserve(a.Storms.size());
    for (size_t i = 0; i < a.Storms.size(); ++i) {
        Row r = StormRow(a.Storms[i], inches);
        if (corrected) {
            Row more = StormRow(a.Corrected[i], inches);
            more.erase(more.begin(), more.begin() + kRawDepth);
            r.insert(r.begin() + kRawDepth + 1, more.front());
            r.insert(r.end(), more.begin() + 1, more.end());
        }
        t.rows.push_back(std::move(r));
    }
    return t;
}

QStringList CorrectedSummaryColumns(bool inches) {
    return {QStringLiteral("Depth corrected (%1)").arg(DepthUnit(inches)),
            QStringLiteral("Largest day corrected (%1)").arg(DepthUnit(inches)),
            QStringLiteral("Largest I60 corrected (%1)").arg(IntensityUnit(inches)),
            QStringLiteral("Erosive storms corrected"),
            QStringLiteral("R corrected (MJ mm/(ha h))")};
}

Table SummaryTable(const std::vector<Analysis::PeriodSummary>& periods,
                   const std::vector<Analysis::PeriodSummary>& corrected, bool inches) {
    const bool both = !corrected.empty() && corrected.size() == periods.size();
    Table t{SummaryColumns(inches), {}};
    if (both)
        t.columns += CorrectedSummaryColumns(inches);
    for (size_t i = 0; i < periods.size(); ++i) {
        Row r = SummaryRow(periods[i], inches);
        if (both) {
            const Row more = CorrectedSummaryCells(corrected[i], inches);
            r.insert(r.end(), more.begin(), more.end());
        }
        t.rows.push_back(std::move(r));
    }
    return t;
}

QString QualityText(const Analysis::TableStorms& a) {
    QString text = a.FlagsLeftOut ? QStringLiteral("Accepted flags left out of the analysis")
                                  : QStringLiteral("No flags left out of the analysis");
    if (a.HasCorrection())
        text += QStringLiteral("; corrected depths for a tip time constant of %1 s beside the raw")
                    .arg(a.TipTimeConstantS, 0, 'g', 4);
    return text;
}

QString OptionsText(const Analysis::StormOptions& options, uint16_t bucketFactor) {
    const QString collector =
        bucketFactor == 10 ? QStringLiteral("0.01 in/tip")
                           : QStringLiteral("%1 mm/tip").arg(bucketFactor / 1000.0, 0, 'g', 4);
    return QStringLiteral("Storms separated by more than %1 dry minutes; energy: %2; collector "
                          "%3")
        .arg(options.SeparationMinutes)
        .arg(EquationName(options.Energy), collector);
}

} // namespace StormReport
