#pragma once

#include "analysis/Storms.h"
#include "analysis/Summaries.h"
#include "analysis/TableStorms.h"

#include <QString>
#include <QStringList>
#include <vector>

// The storm and summary tables as people read them: depths and intensities in the collector's
// unit (inches for the 0.01 inch collector, else millimetres), erosivity always in SI units.
// Shared by the Storms window, its printout and the spreadsheet report.
namespace StormReport {

struct Cell {
    QString text;
    double sortKey = 0; // the value behind the text, for sorting
};
using Row = std::vector<Cell>;

QString DepthUnit(bool inches);     // "in" or "mm"
QString IntensityUnit(bool inches); // "in/h" or "mm/h"
QString EquationName(Analysis::EnergyEquation equation);

QStringList StormColumns(bool inches);
Row StormRow(const Analysis::Storm& storm, bool inches);

QStringList SummaryColumns(bool inches);
// A month reads "Mar 2009", a year "2009".
Row SummaryRow(const Analysis::PeriodSummary& period, bool inches);

// The tables with the corrected figures beside the raw ones where the analysis has them: the
// storm table gains "Depth corrected" and a second set of intensities and erosivity, the
// summaries their depths, I60 and R corrected.
struct Table {
    QStringList columns;
    std::vector<Row> rows;
};
Table StormTable(const Analysis::TableStorms& analysis, bool inches);
Table SummaryTable(const std::vector<Analysis::PeriodSummary>& periods,
                   const std::vector<Analysis::PeriodSummary>& corrected, bool inches);
// The columns a summary row gains when corrected figures are shown.
QStringList CorrectedSummaryColumns(bool inches);

// "Accepted flags left out of the analysis" or "No flags left out", and the correction when set.
QString QualityText(const Analysis::TableStorms& analysis);

// "Storms separated by 360 dry minutes; energy: Brown-Foster; collector 0.01 in/tip"
QString OptionsText(const Analysis::StormOptions& options, uint16_t bucketFactor);

} // namespace StormReport
