#include "chart/xml_writer.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "chart/export_layout.h"
#include "chart/xml_text.h"
#include "model/numtext.h"

namespace landuse {

namespace {

constexpr const char* CrLf = "\r\n";

std::string hexColor(Rgb c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", unsigned(c.red), unsigned(c.green), unsigned(c.blue));
    return text;
}

void writeAttribute(std::ostream& out, std::string_view name, double value, WriteReport& report)
{
    out << ' ' << name << "=\"";
    if (std::isfinite(value))
        out << FloatToStr(value);
    else
        ++report.nonFiniteValues;
    out << '"';
}

} // namespace

WriteReport WriteChartXml(std::ostream& out, const Chart& chart)
{
    WriteReport report;
    const bool withX = WritesXValues(chart);

    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" << CrLf;
    out << "<chart>" << CrLf;
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const Series& series = chart.SeriesAt(s);
        out << "<series title=\"" << XmlAttributeText(series.Title()) << "\" type=\""
            << XmlAttributeText(series.TypeName()) << "\" color=\"" << hexColor(series.Color()) << "\">" << CrLf;
        out << "<points count=\"" << IntToStr(std::int64_t(series.Count())) << "\">" << CrLf;
        for (std::size_t i = 0; i < series.Count(); ++i) {
            out << "<point ";
            if (withX)
                writeAttribute(out, XValuesName, series.X(i), report);
            writeAttribute(out, YValuesName, series.Y(i), report);
            out << "/>" << CrLf;
        }
        out << "</points>" << CrLf;
        out << "</series>" << CrLf;
        out << CrLf;
    }
    out << "</chart>";
    return report;
}

} // namespace landuse
