#pragma once
// The texts of a string grid: rows of cells, row 0 the header.

#include <string>
#include <vector>

namespace landuse {

class TextGrid {
public:
    explicit TextGrid(int columns) : columns_(columns) {}

    int columnCount() const { return columns_; }
    int rowCount() const { return int(rows_.size()); }
    // Keeps existing rows; new rows are blank.
    void setRowCount(int rows) { rows_.resize(size_t(rows), std::vector<std::string>(size_t(columns_))); }
    std::string& cell(int col, int row) { return rows_.at(size_t(row)).at(size_t(col)); }
    const std::string& cell(int col, int row) const { return rows_.at(size_t(row)).at(size_t(col)); }

private:
    int columns_;
    std::vector<std::vector<std::string>> rows_;
};

} // namespace landuse
