#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>

#include "chart/export_test_support.h"
#include "chart/worksheet_writer.h"

namespace landuse {
namespace {

using testing::BytesFromHex;
using testing::Fixture;
using testing::Hex;

std::string Written(const Chart& chart, WriteReport& report)
{
    std::ostringstream out(std::ios::binary);
    report = WriteWorksheet(out, chart);
    return out.str();
}

// The DIMENSIONS body starts at byte 16: first row, row count, first
// column, column count.
unsigned Rows(const std::string& b) { return std::uint8_t(b[18]) | std::uint8_t(b[19]) << 8; }
unsigned Columns(const std::string& b) { return std::uint8_t(b[22]) | std::uint8_t(b[23]) << 8; }

TEST(BiffWriter, MatchesHandWrittenFiles)
{
    WriteReport report;
    Chart withX; // first filled series has X 1, 2: X columns kept, short series blanked
    Series& a = withX.AddSeries();
    a.Add(1, 57);
    a.Add(2, 0.5);
    withX.AddSeries().Add(10, -2);
    EXPECT_EQ(Hex(BytesFromHex(Fixture("worksheet_with_x.hex"))), Hex(Written(withX, report)));
    EXPECT_TRUE(report.complete());

    Chart indexX; // the empty first series does not decide; B's X 0, 1 do
    indexX.AddSeries();
    Series& b = indexX.AddSeries();
    b.Add(0, 3);
    b.Add(1, 4.25);
    indexX.AddSeries().Add(5, 1);
    EXPECT_EQ(Hex(BytesFromHex(Fixture("worksheet_index_x.hex"))), Hex(Written(indexX, report)));

    Chart odd;
    Series& s = odd.AddSeries();
    s.Add(0, std::numeric_limits<double>::quiet_NaN());
    s.Add(1, std::numeric_limits<double>::infinity());
    s.Add(2, 8);
    EXPECT_EQ(Hex(BytesFromHex(Fixture("worksheet_nonfinite.hex"))), Hex(Written(odd, report)));
    EXPECT_EQ(report.nonFiniteValues, 2u);
}

TEST(BiffWriter, ChartWithoutPointsKeepsXColumns)
{
    WriteReport report;
    Chart empty; // no series has points, so none can decide against X
    empty.AddSeries();
    const std::string bytes = Written(empty, report);
    EXPECT_EQ(Rows(bytes), 1u);
    EXPECT_EQ(Columns(bytes), 2u);
}

TEST(BiffWriter, CutsAtTheWorksheetLimitsAndSaysSo)
{
    WriteReport report;
    Chart wide;
    for (int s = 0; s < 129; ++s)
        wide.AddSeries().Add(1, s);
    EXPECT_EQ(Columns(Written(wide, report)), 256u);
    EXPECT_EQ(report.droppedColumns, 2u);
    EXPECT_EQ(report.droppedRows, 0u);

    Chart tall;
    Series& s = tall.AddSeries();
    for (std::size_t i = 0; i < WorksheetMaxRows; ++i)
        s.Add(double(i) + 0.5, 1);
    const std::string bytes = Written(tall, report);
    EXPECT_EQ(Rows(bytes), WorksheetMaxRows);
    EXPECT_EQ(report.droppedRows, 1u);
    // BOF, DIMENSIONS, 2 LABELs of 13 bytes, 2 NUMBERs of 19 bytes a row, EOF.
    EXPECT_EQ(bytes.size(), 12 + 14 + 2 * 13 + (WorksheetMaxRows - 1) * 2 * 19 + 4);
}

} // namespace
} // namespace landuse
