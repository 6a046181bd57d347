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

constexpr const char* kEol = "\r\n";

std::string HexColor(Rgb c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", unsigned(c.red), unsigned(c.green), unsigned(c.blue));
    return text;
}

void WriteAttribute(std::ostream& out, std::string_view name, double value, WriteReport& report)
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

    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" << kEol;
    out << "<chart>" << kEol;
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const Series& series = chart.SeriesAt(s);
        out << "<series title=\"" << XmlAttributeText(series.Title()) << "\" type=\""
            << XmlAttributeText(series.TypeName()) << "\" color=\"" << HexColor(series.Color()) << "\">" << kEol;
        out << "<points count=\"" << IntToStr(std::int64_t(series.Count())) << "\">" << kEol;
        for (std::size_t i = 0; i < series.Count(); ++i) {
            out << "<point ";
            if (withX)
                WriteAttribute(out, kXValuesName, series.X(i), report);
            WriteAttribute(out, kYValuesName, series.Y(i), report);
            out << "/>" << kEol;
        }
        out << "</points>" << kEol;
        out << "</series>" << kEol;
        out << kEol;
    }
    out << "</chart>";
    return report;
}

} // namespace landuse
