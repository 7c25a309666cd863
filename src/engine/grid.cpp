// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/grid.h"

namespace braxel {

const std::string& Grid::Cell(int row, int col) const {
  static const std::string kEmpty;
  if (row < 0 || row >= Rows() || col < 0 || col >= columns_) return kEmpty;
  return rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(col)];
}

void Grid::SetCell(int row, int col, std::string text) {
  if (row < 0 || row >= Rows() || col < 0 || col >= columns_) return;
  rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(col)] = std::move(text);
}

void Grid::SetRows(int count) {
  if (count < 0) count = 0;
  rows_.resize(static_cast<size_t>(count), Blank());
  if (currentRow >= count) currentRow = count > 0 ? count - 1 : 0;
}

void Grid::InsertRow(int at, std::vector<std::string> cells) {
  if (at < 0) at = 0;
  if (at > Rows()) at = Rows();
  cells.resize(static_cast<size_t>(columns_));
  rows_.insert(rows_.begin() + at, GridRow{std::move(cells), PassMark::kNone});
}

void Grid::RemoveRow(int at) {
  if (at < 0 || at >= Rows()) return;
  rows_.erase(rows_.begin() + at);
  if (currentRow >= Rows()) currentRow = Rows() > 0 ? Rows() - 1 : 0;
}

}  // namespace braxel
