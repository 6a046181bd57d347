#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "../chart/export_test_support.h"
#include "files/export_error.h"
#include "analysis/export_series.h"
#include "chart/worksheet_writer.h"

namespace landuse {
namespace {

using testing::RunPython;
using testing::ScratchDir;

// Cells row by row; numbers with 17 digits, so equal text means equal bits.
constexpr const char* ReadWorksheetScript = R"(import sys, xlrd
sheet = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr).sheet_by_index(0)
print(sheet.nrows, sheet.ncols)
for r in range(sheet.nrows):
    print(",".join("%.17g" % v if isinstance(v, float) else v for v in sheet.row_values(r)))
)";

constexpr const char* ReadXmlScript = R"(import sys, xml.etree.ElementTree as ET
for s in ET.parse(sys.argv[1]).getroot().findall("series"):
    points = s.find("points")
    print("%s|%s|%s|%s|%d" % (s.get("title"), s.get("type"), s.get("color"), points.get("count"), len(points)))
    for p in points.findall("point"):
        print(" %s %s" % (p.get("X", "-"), p.get("Y")))
)";

std::string G17(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// The three charts as the rank-size window and the main window hold them.
struct Charts {
    Chart rankSize, linear, timeSeries;

    Charts()
    {
        Series& logLog = rankSize.AddSeries();
        Series& trend = rankSize.AddFunctionSeries(SeriesFunction::LeastSquares);
        Series& correlation = rankSize.AddFunctionSeries(SeriesFunction::Correlation);
        correlation.SetActive(false);
        logLog.Add(0, 1.5);
        logLog.Add(0.30103, 1.25);
        logLog.Add(0.47712, 0.75);
        trend.SetSource(&logLog);
        correlation.SetSource(&logLog);

        Series& byRank = linear.AddSeries();
        for (int rank = 1; rank <= 3; ++rank)
            byRank.Add(rank, 40 - 10 * rank);

        for (const char* title : {"successful Ag`s", "max mark", "avg travel time", "migrated Ag`s", "returning"})
            timeSeries.AddSeries().SetTitle(title);
        for (int step = 1; step <= 2; ++step)
            for (std::size_t s : {0u, 2u, 3u, 4u})
                timeSeries.SeriesAt(s).Add(step, double(step * 10 + s));
    }
};

TEST(ExportSeriesData, WritesThreeFilesThatRealReadersAccept)
{
    ScratchDir dir;
    Charts charts;
    const auto files = SaveSeriesData(dir.path(), "001_pic_", charts.rankSize, charts.linear, charts.timeSeries);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].file, dir.path() / "data" / "001_pic_3.xls");
    EXPECT_EQ(files[1].file, dir.path() / "data" / "001_pic_4.xls");
    EXPECT_EQ(files[2].file, dir.path() / "data" / "001_pic_5.xls");
    EXPECT_EQ(DescribeOmissions(files), "");

    // Log-log X is no index sequence: X columns kept. The hidden correlation
    // series is in the file too.
    const Series& trend = charts.rankSize.SeriesAt(1);
    const std::string r = G17(charts.rankSize.SeriesAt(2).Y(0));
    EXPECT_EQ(RunPython(dir, ReadWorksheetScript, files[0].file).output,
              "4 6\nX,Y,X,Y,X,Y\n"
              "0,1.5,0," + G17(trend.Y(0)) + ",0," + r + "\n" +
              G17(0.30103) + ",1.25," + G17(trend.X(1)) + "," + G17(trend.Y(1)) + ",,\n" +
              G17(0.47712) + ",0.75,,,,\n");

    EXPECT_EQ(RunPython(dir, ReadXmlScript, files[1].file).output, "|Line|#ff0000|3|3\n 1 30\n 2 20\n 3 10\n");

    // Steps 1, 2 are no index sequence: X kept. "max mark" has no points.
    EXPECT_EQ(RunPython(dir, ReadXmlScript, files[2].file).output,
              "successful Ag`s|Line|#ff0000|2|2\n 1 10\n 2 20\n"
              "max mark|Line|#008000|0|0\n"
              "avg travel time|Line|#0000ff|2|2\n 1 12\n 2 22\n"
              "migrated Ag`s|Line|#ff8000|2|2\n 1 13\n 2 23\n"
              "returning|Line|#800080|2|2\n 1 14\n 2 24\n");
}

TEST(ExportSeriesData, TitlesThatLookLikeMarkupSurviveAParser)
{
    ScratchDir dir;
    Charts charts;
    charts.linear.SeriesAt(0).SetTitle("</series> & \"x\" <chart> Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC");
    const auto files = SaveSeriesData(dir.path(), "t", charts.rankSize, charts.linear, charts.timeSeries);
    EXPECT_EQ(RunPython(dir, ReadXmlScript, files[1].file).output,
              "</series> & \"x\" <chart> Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC|Line|#ff0000|3|3\n 1 30\n 2 20\n 3 10\n");
}

TEST(ExportSeriesData, WorksheetCutAtTheRowLimitStillReads)
{
    ScratchDir dir;
    Charts charts;
    charts.rankSize.RemoveAllSeries();
    Series& s = charts.rankSize.AddSeries();
    for (std::size_t i = 0; i < WorksheetMaxRows; ++i)
        s.Add(double(i), double(i) * 2);
    const auto files = SaveSeriesData(dir.path(), "", charts.rankSize, charts.linear, charts.timeSeries);
    const std::string file = files[0].file.string();
    EXPECT_EQ(DescribeOmissions(files), '"' + file + "\": 1 rows beyond the worksheet's last row left out\n");

    const std::string cells = RunPython(dir, ReadWorksheetScript, files[0].file).output;
    EXPECT_EQ(cells.substr(0, cells.find('\n')), "16384 1");
    EXPECT_EQ(cells.substr(cells.size() - 7), "\n32764\n") << "last row holds point 16382";
}

TEST(ExportSeriesData, FailureNamesTheFileAndKeepsEarlierFiles)
{
    ScratchDir dir;
    Charts charts;
    const auto blocked = dir.path() / "data" / "run.5_4.xls";
    std::filesystem::create_directories(blocked); // a folder where the file should go
    try {
        SaveSeriesData(dir.path(), "run.5_", charts.rankSize, charts.linear, charts.timeSeries);
        FAIL() << "expected an ExportError";
    } catch (const ExportError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write \"" + blocked.string() + "\": " + std::strerror(EISDIR));
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / "data" / "run.5_3.xls"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "data" / "run.5_5.xls"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "data" / "run.5_4.xls.part"));

    // No data folder and no way to make one: the message names the folder.
    std::ofstream(dir.path() / "taken") << "a file";
    try {
        SaveSeriesData(dir.path() / "taken", "", charts.rankSize, charts.linear, charts.timeSeries);
        FAIL() << "expected an ExportError";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find("\"" + (dir.path() / "taken" / "data").string() + "\": "),
                  std::string::npos)
            << e.what();
    }
}

} // namespace
} // namespace landuse
