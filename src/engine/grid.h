// SPDX-License-Identifier: GPL-3.0-or-later
// A grid of text cells: the job list (to-do grid) and the result log, kept without any window.
// Row 0 is the header. Each row carries the mark drawn in its Pass cell.
#pragma once

#include <string>
#include <vector>

namespace braxel {

enum class PassMark { kNone, kPass, kFail };

struct GridRow {
  std::vector<std::string> cells;
  PassMark mark = PassMark::kNone;
};

class Grid {
 public:
  explicit Grid(int columns) : columns_(columns) { rows_.resize(1, Blank()); }

  int Rows() const { return static_cast<int>(rows_.size()); }
  int Cols() const { return columns_; }
  // Out-of-range reads give "" and writes are ignored.
  const std::string& Cell(int row, int col) const;
  void SetCell(int row, int col, std::string text);
  GridRow& Row(int row) { return rows_.at(static_cast<size_t>(row)); }
  const GridRow& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }

  // Sets the number of rows; new rows are empty, rows beyond the count are dropped.
  void SetRows(int count);
  // Inserts a row at `at` (0 < at <= Rows()); cells beyond the column count are dropped.
  void InsertRow(int at, std::vector<std::string> cells = {});
  void RemoveRow(int at);

  int currentRow = 0;

 private:
  GridRow Blank() const { return GridRow{std::vector<std::string>(static_cast<size_t>(columns_)), PassMark::kNone}; }
  int columns_;
  std::vector<GridRow> rows_;
};

// Columns of the to-do grid.
namespace todo {
inline constexpr int kColumns = 11;
inline constexpr int kFlags = 0, kParams = 1, kTask = 2, kAction = 3, kInput = 4, kInputType = 5,
                     kInputExt = 6, kOutput = 7, kOutputType = 8, kOutputExt = 9, kPass = 10;
}  // namespace todo

// Columns of the log grid (the to-do columns plus the status text).
namespace logcol {
inline constexpr int kColumns = 12;
inline constexpr int kStatus = 11;
}  // namespace logcol

}  // namespace braxel
