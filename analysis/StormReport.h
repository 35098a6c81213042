#pragma once

#include "analysis/Storms.h"
#include "analysis/Summaries.h"

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

// "Storms separated by 360 dry minutes; energy: Brown-Foster; collector 0.01 in/tip"
QString OptionsText(const Analysis::StormOptions& options, uint16_t bucketFactor);

} // namespace StormReport
