#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "chart/export_test_support.h"
#include "chart/xml_text.h"
#include "chart/xml_writer.h"

namespace landuse {
namespace {

using testing::Fixture;
 

std::string Written(const Chart& chart, WriteReport* report = nullptr)
{
    std::ostringstream out(std::ios::binary);
    const WriteReport r = WriteChartXml(out, chart);
    if (report)
        *report = r;
    return out.str();
}

TEST(XmlWriter, EscapedTitleXValuesAndEmptySeries)
{
    Chart chart;
    Series& a = chart.AddSeries();
    a.SetTitle("a & <b> \"c\"");
    a.SetColor({255, 128, 0});
    a.Add(1, 57);
    a.Add(2, 0.5);
    chart.AddSeries().SetColor({1, 2, 171}); // no title, no points
    EXPECT_EQ(Fixture("chart_with_x.xml"), Written(chart));
}

TEST(XmlWriter, IndexedXLeftOutLatinTitleAndNonFiniteValue)
{
    Chart chart;
    Series& ok = chart.AddSeries();
    ok.SetTitle("successful Ag`s");
    ok.SetColor({0, 128, 0});
    ok.Add(0, 0);
    ok.Add(1, 12.5);
    Series& maxMark = chart.AddSeries();
    maxMark.SetTitle("max mark");
    maxMark.SetColor({0, 0, 0});
    Series& odd = chart.AddSeries();
    odd.SetTitle("Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC"); // "Größe €" in UTF-8
    odd.SetColor({0, 0, 255});
    odd.Add(7, 1e-5);
    odd.Add(8, std::numeric_limits<double>::quiet_NaN());

    WriteReport report;
    EXPECT_EQ(Fixture("chart_index_x.xml"), Written(chart, &report));
    EXPECT_EQ(report.nonFiniteValues, 1u);
}

TEST(XmlWriter, AttributeTextCannotBreakTheDocument)
{
    EXPECT_EQ(XmlAttributeText("a\"b<c>d&e"), "a&quot;b&lt;c&gt;d&amp;e");
    EXPECT_EQ(XmlAttributeText("line\nbreak\ttab"), "line&#10;break&#9;tab");
    EXPECT_EQ(XmlAttributeText(std::string("bell\x07", 5)), "bell?");
    EXPECT_EQ(XmlAttributeText("\xF6 alone"), "\xF6 alone") << "stray Latin-1 byte kept as it is";
    EXPECT_EQ(XmlAttributeText("\xE2\x82"), "\xE2\x82") << "cut-off sequence kept byte by byte";
    EXPECT_EQ(XmlAttributeText("\xF0\x9F\x98\x80"), "&#128512;");
}

} // namespace
} // namespace landuse
