#include "chart/worksheet_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "chart/export_layout.h"

namespace landuse {

namespace {

constexpr std::uint16_t BiffBof = 0x0809;
constexpr std::uint16_t BiffDimensions = 0x0200;
constexpr std::uint16_t BiffLabel = 0x0004;
constexpr std::uint16_t BiffNumber = 0x0003;
constexpr std::uint16_t BiffBlank = 0x0001;
constexpr std::uint16_t BiffEof = 0x000A;

class RecordWriter {
public:
    explicit RecordWriter(std::ostream& out) : out_(out) {}

    void u8(std::uint8_t v) { out_.put(char(v)); }
    void u16(std::uint16_t v)
    {
        u8(std::uint8_t(v & 0xFF));
        u8(std::uint8_t(v >> 8));
    }
    void f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int i = 0; i < 8; ++i)
            u8(std::uint8_t(bits >> (8 * i)));
    }
    void header(std::uint16_t number, std::uint16_t length)
    {
        u16(number);
        u16(length);
    }
    // Row, column and the three attribute bytes every cell record starts with.
    void Cell(std::size_t row, std::size_t column)
    {
        u16(std::uint16_t(row));
        u16(std::uint16_t(column));
        u8(0);
        u8(0);
        u8(0);
    }

private:
    std::ostream& out_;
};

void writeLabel(RecordWriter& w, std::size_t column, std::string_view text)
{
    w.header(BiffLabel, std::uint16_t(8 + text.size()));
    w.Cell(0, column);
    w.u8(std::uint8_t(text.size()));
    for (char c : text)
        w.u8(std::uint8_t(c));
}

// One cell of a data row: the value, or BLANK when there is none to write.
void writeValue(RecordWriter& w, std::size_t row, std::size_t column, const std::vector<double>& values,
                std::size_t index, WriteReport& report)
{
    if (index < values.size() && std::isfinite(values[index])) {
        w.header(BiffNumber, 15);
        w.Cell(row, column);
        w.f64(values[index]);
        return;
    }
    if (index < values.size())
        ++report.nonFiniteValues;
    w.header(BiffBlank, 7);
    w.Cell(row, column);
}

} // namespace

WriteReport WriteWorksheet(std::ostream& out, const Chart& chart)
{
    WriteReport report;
    const bool withX = WritesXValues(chart);
    const std::size_t perSeries = withX ? 2 : 1;

    const std::size_t seriesCount = std::min(chart.SeriesCount(), WorksheetMaxColumns / perSeries);
    const std::size_t columns = seriesCount * perSeries;
    report.droppedColumns = chart.SeriesCount() * perSeries - columns;

    std::size_t dataRows = 0;
    for (std::size_t s = 0; s < seriesCount; ++s)
        dataRows = std::max(dataRows, chart.SeriesAt(s).Count());
    const std::size_t rows = std::min(dataRows, WorksheetMaxRows - 1);
    report.droppedRows = dataRows - rows;

    RecordWriter w(out);
    w.header(BiffBof, 8);
    for (std::uint8_t b : {0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00})
        w.u8(b);

    w.header(BiffDimensions, 10);
    w.u16(0);
    w.u16(std::uint16_t(rows + 1));
    w.u16(0);
    w.u16(std::uint16_t(columns));
    w.u16(0);

    for (std::size_t column = 0; column < columns; ++column) {
        const bool isX = withX && column % 2 == 0;
        writeLabel(w, column, isX ? XValuesName : YValuesName);
    }

    for (std::size_t i = 0; i < rows; ++i) {
        std::size_t column = 0;
        for (std::size_t s = 0; s < seriesCount; ++s) {
            const Series& series = chart.SeriesAt(s);
            if (withX)
                writeValue(w, i + 1, column++, series.XValues(), i, report);
            writeValue(w, i + 1, column++, series.YValues(), i, report);
        }
    }

    w.header(BiffEof, 0);
    return report;
}

} // namespace landuse
