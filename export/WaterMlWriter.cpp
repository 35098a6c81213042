// WaterML 2.0: one observation whose result is a measurement time series of interval totals.
#include "export/AtomicFile.h"
#include "export/ExportTable.h"

#include <QCoreApplication>
#include <QDateTime>

namespace StandardExport {

using namespace Detail;

namespace {

QByteArray Escaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

// xs:dateTime needs the seconds.
QByteArray XmlTime(int64_t minute, int32_t zone) {
    QByteArray t = LocalText(minute, zone);
    t.insert(16, ":00");
    return t;
}

} // namespace

bool WriteWaterMl(const QString& path, const Options& options) {
    const Table table = TakeTable(options);
    const Grid grid = MakeGrid(table, options);
    const std::vector<int64_t> totals = IntervalTotals(table, grid);
    const int32_t zone = options.ZoneMinutes;
    const QByteArray id = Escaped(options.StationId), name = Escaped(options.StationName);
    const QByteArray interval = QByteArray::number(grid.N);

    AtomicFile file(path);
    TextOut out(file);
    QByteArray head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<wml2:Collection xmlns:wml2=\"http://www.opengis.net/waterml/2.0\""
        " xmlns:gml=\"http://www.opengis.net/gml/3.2\""
        " xmlns:om=\"http://www.opengis.net/om/2.0\""
        " xmlns:sa=\"http://www.opengis.net/sampling/2.0\""
        " xmlns:sams=\"http://www.opengis.net/samplingSpatial/2.0\""
        " xmlns:xlink=\"http://www.w3.org/1999/xlink\""
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
        " xsi:schemaLocation=\"http://www.opengis.net/waterml/2.0"
        " http://schemas.opengis.net/waterml/2.0/waterml2.xsd\" gml:id=\"collection\">\n";
    head += "  <gml:description>Rainfall of " + name + " in " + interval +
            "-minute intervals</gml:description>\n";
    head += "  <wml2:metadata>\n    <wml2:DocumentMetadata gml:id=\"document-metadata\">\n"
            "      <wml2:generationDate>" +
            QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() +
            "</wml2:generationDate>\n      <wml2:generationSystem>" +
            Escaped(QCoreApplication::applicationName()) +
            "</wml2:generationSystem>\n    </wml2:DocumentMetadata>\n  </wml2:metadata>\n";
    head += "  <wml2:observationMember>\n    <om:OM_Observation gml:id=\"observation\">\n";
    const int64_t first = grid.Start, last = grid.Start + grid.Count * grid.N;
    head += "      <om:phenomenonTime>\n        <gml:TimePeriod gml:id=\"phenomenon-time\">\n"
            "          <gml:beginPosition>" +
            XmlTime(first, zone) + "</gml:beginPosition>\n          <gml:endPosition>" +
            XmlTime(last, zone) +
            "</gml:endPosition>\n        </gml:TimePeriod>\n      </om:phenomenonTime>\n";
    head += "      <om:resultTime>\n        <gml:TimeInstant gml:id=\"result-time\">\n"
            "          <gml:timePosition>" +
            QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() +
            "</gml:timePosition>\n        </gml:TimeInstant>\n      </om:resultTime>\n";
    head += "      <om:procedure xlink:title=\"tipping-bucket rain gauge with a Hyetra logger\"/>\n"
            "      <om:observedProperty xlink:title=\"Precipitation\"/>\n"
            "      <om:featureOfInterest xlink:href=\"urn:ombrex:station:" +
            id + "\" xlink:title=\"" + name + "\"/>\n";
    head += "      <om:result>\n        <wml2:MeasurementTimeseries gml:id=\"timeseries\">\n"
            "          <wml2:defaultPointMetadata>\n"
            "            <wml2:DefaultTVPMeasurementMetadata>\n"
            "              <wml2:uom code=\"mm\"/>\n"
            "              <wml2:interpolationType"
            " xlink:href=\"http://www.opengis.net/def/waterml/2.0/interpolationType/TotalPrec\""
            " xlink:title=\"Preceding total\"/>\n"
            "              <wml2:aggregationDuration>PT" +
            interval +
            "M</wml2:aggregationDuration>\n"
            "            </wml2:DefaultTVPMeasurementMetadata>\n"
            "          </wml2:defaultPointMetadata>\n";
    out.append(head);

    static const char kPointStart[] = "          <wml2:point><wml2:MeasurementTVP><wml2:time>";
    static const char kValue[] = "</wml2:time><wml2:value>";
    static const char kPointEnd[] = "</wml2:value></wml2:MeasurementTVP></wml2:point>\n";
    static const char kMissing[] =
        "</wml2:time><wml2:value xsi:nil=\"true\"/><wml2:metadata><wml2:TVPMeasurementMetadata>"
        "<wml2:nilReason xlink:href=\"http://www.opengis.net/def/nil/OGC/0/missing\"/>"
        "</wml2:TVPMeasurementMetadata></wml2:metadata></wml2:MeasurementTVP></wml2:point>\n";
    Progress progress(options);
    for (int64_t k = 0; k < grid.Count; ++k) {
        if (!progress.step(k, grid.Count))
            return false;
        char* p = out.room(512);
        std::memcpy(p, kPointStart, sizeof kPointStart - 1);
        p += sizeof kPointStart - 1;
        char* time = p;
        p = PutLocal(p, grid.Start + (k + 1) * grid.N, zone);
        // xs:dateTime needs the seconds: "...THH:MM" then ":00" before the offset.
        std::memmove(time + 19, time + 16, size_t(p - (time + 16)));
        std::memcpy(time + 16, ":00", 3);
        p += 3;
        const int64_t t = totals[size_t(k)];
        if (t < 0) {
            std::memcpy(p, kMissing, sizeof kMissing - 1);
            p += sizeof kMissing - 1;
        } else {
            std::memcpy(p, kValue, sizeof kValue - 1);
            p += sizeof kValue - 1;
            p = PutDepth(p, t);
            std::memcpy(p, kPointEnd, sizeof kPointEnd - 1);
            p += sizeof kPointEnd - 1;
        }
        out.advance(p);
    }
    out.append("        </wml2:MeasurementTimeseries>\n      </om:result>\n"
               "    </om:OM_Observation>\n  </wml2:observationMember>\n</wml2:Collection>\n");
    out.flush();
    if (!progress.step(grid.Count, grid.Count))
        return false;
    file.commit();
    return true;
}

} // namespace StandardExport
