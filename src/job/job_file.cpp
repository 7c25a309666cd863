// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing job files, and the job file written from the result log.
#include "job/job_file.h"

#include <string_view>
#include <vector>

#include "engine/process_state.h"
#include "engine/translate.h"
#include "platform/files.h"
#include "platform/folder_helpers.h"
#include "platform/text.h"

namespace braxel {

namespace {

constexpr int kEventsEveryLines = 1000;
constexpr std::string_view kReloadText = "Reload conversion job start at task ";

// Walks the lines of a file's content: LF or CR LF line ends, a leading UTF-8 byte-order mark
// dropped, each line decoded as UTF-8 or, when invalid, as Windows-1252. Lines are decoded one
// at a time, so a reader that stops early does not pay for the rest of the file.
class LineReader {
 public:
  explicit LineReader(std::string_view content) : content_(content) {
    if (content_.substr(0, 3) == "\xEF\xBB\xBF") content_.remove_prefix(3);
  }
  bool Next(std::string& line) {
    std::string_view raw;
    if (!NextRaw(raw)) return false;
    line = DecodeTextLine(raw);
    return true;
  }
  // Passes over one line without decoding it.
  bool Skip() {
    std::string_view raw;
    return NextRaw(raw);
  }

 private:
  bool NextRaw(std::string_view& raw) {
    if (pos_ >= content_.size()) return false;
    size_t end = content_.find('\n', pos_);
    if (end == std::string_view::npos) end = content_.size();
    size_t stop = end;
    if (stop > pos_ && content_[stop - 1] == '\r') --stop;
    raw = content_.substr(pos_, stop - pos_);
    pos_ = end + 1;
    return true;
  }

  std::string_view content_;
  size_t pos_ = 0;
};

// True for the lines the loader skips: empty once blanks are trimmed, or the marker row ("*"
// and TABs only). A line of TABs alone is kept and becomes an empty row.
bool IsSkippedLine(std::string_view line) {
  if (TrimBlanks(line).empty()) return true;
  bool star = false;
  for (char c : line) {
    if (c == '\t') continue;
    if (c != '*' || star) return false;
    star = true;
  }
  return star;
}

// The cells of a job line: its TAB-separated pieces in column order, at most one per column.
std::vector<std::string> LineCells(std::string_view line) {
  std::vector<std::string> cells;
  cells.reserve(todo::kColumns);
  size_t start = 0;
  while (cells.size() < static_cast<size_t>(todo::kColumns)) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      cells.emplace_back(line.substr(start));
      break;
    }
    cells.emplace_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  return cells;
}

// Appends one cell and its TAB. The format has no quoting, so characters that would split the
// cell or the line are written as blanks.
void AppendCell(std::string& out, std::string_view cell) {
  for (char c : cell) out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
  out.push_back('\t');
}

void AppendLine(std::string& out, const std::vector<std::string>& cells) {
  for (int col = 0; col < todo::kColumns; ++col) {
    AppendCell(out, static_cast<size_t>(col) < cells.size()
                        ? std::string_view(cells[static_cast<size_t>(col)])
                        : std::string_view());
  }
  out.push_back('\n');
}

// A reload row the loader made: action S1, the loader's text in the input cell, a file and a
// first task. Such a row stands for the items of that file from the task on.
bool IsLoaderReloadRow(const GridRow& row, std::string& file, int& firstTask) {
  const auto& cells = row.cells;
  if (cells.size() < static_cast<size_t>(todo::kColumns)) return false;
  if (Trim(cells[todo::kAction]) != kReloadAction) return false;
  if (!StartsWithNoCase(cells[todo::kInput], kReloadText)) return false;
  const auto task = ParseInt32(cells[todo::kOutputType]);
  if (!task || *task < 1) return false;
  file = ExpandFolderVariables(cells[todo::kOutput]);
  firstTask = *task;
  return FileExists(file);
}

// Appends the item lines of a job file from `firstTask` on, as the loader would read them.
// False when the file cannot be read.
bool AppendItemLinesFrom(std::string& out, const std::string& file, int firstTask) {
  auto mapped = MappedFile::Open(file);
  if (!mapped) return false;
  LineReader reader(
      std::string_view(reinterpret_cast<const char*>(mapped->data()), mapped->size()));
  std::string line;
  int lineNumber = 0;
  while (++lineNumber < firstTask && reader.Skip()) {
  }
  while (reader.Next(line)) {
    if (!IsSkippedLine(line)) AppendLine(out, LineCells(line));
  }
  return true;
}

// Restores the run flag and the event suppression however loading ends.
class LoadingScope {
 public:
  explicit LoadingScope(Session& session)
      : session_(session),
        wasRunning_(session.bRunning),
        wasIgnoring_(Process().bIgnoreGuiEvents.exchange(true)) {
    session_.bRunning = true;
  }
  ~LoadingScope() {
    // A pause during loading stays in force: a run that was going on stops as asked.
    session_.bRunning = wasRunning_ && session_.bRunning;
    Process().bIgnoreGuiEvents = wasIgnoring_;
  }
  LoadingScope(const LoadingScope&) = delete;
  LoadingScope& operator=(const LoadingScope&) = delete;

 private:
  Session& session_;
  bool wasRunning_;
  bool wasIgnoring_;
};

}  // namespace

void ResetToDoGrid(Grid& fgToDo) {
  fgToDo.SetRows(0);
  fgToDo.SetRows(2);
  fgToDo.SetCell(0, todo::kTask, "#");
  fgToDo.SetCell(0, todo::kAction, Translate("Do"));
  fgToDo.SetCell(0, todo::kInput, Translate("Input File(s)"));
  fgToDo.SetCell(0, todo::kInputExt, Translate("Type"));
  fgToDo.SetCell(0, todo::kOutput, Translate("Output File(s)"));
  fgToDo.SetCell(0, todo::kOutputExt, Translate("Type"));
  fgToDo.SetCell(0, todo::kPass, Translate("Pass"));
  fgToDo.SetCell(1, todo::kTask, "*");
  fgToDo.currentRow = 1;
}

Status WriteJobFile(const std::string& path, const Grid& fgToDo) {
  std::string out;
  out.reserve(static_cast<size_t>(fgToDo.Rows()) * 96);
  const int markerRow = fgToDo.Rows() - 1;
  for (int row = 1; row < fgToDo.Rows(); ++row) {
    const GridRow& cells = fgToDo.Row(row);
    std::string file;
    int firstTask = 0;
    // Only the loader's own reload row, just above the marker row, is expanded: it stands for
    // the rest of the file that was opened.
    if (row == markerRow - 1 && IsLoaderReloadRow(cells, file, firstTask) &&
        AppendItemLinesFrom(out, file, firstTask)) {
      continue;
    }
    AppendLine(out, cells.cells);
  }
  return WriteFileAtomic(path, out, /*durable=*/true);
}

bool LoadJobFile(const std::string& pathText, int firstTask, Session& session) {
  // A copy: the run engine passes the reload row's own cell, which the grid reset frees.
  const std::string path = pathText;
  if (!FileExists(path)) return false;
  auto mapped = MappedFile::Open(path);
  if (!mapped) return false;
  if (firstTask < 1) firstTask = 1;

  LoadingScope scope(session);
  Grid& grid = session.fgToDo;
  ResetToDoGrid(grid);
  session.SetPanel(panel::kLoading, Translate("Loading Conversion Job: ") + path);

  LineReader reader(
      std::string_view(reinterpret_cast<const char*>(mapped->data()), mapped->size()));
  std::string line;
  int linesRead = 0;
  while (session.bRunning) {
    // Lines before the first task are only counted.
    if (linesRead + 1 < firstTask ? !reader.Skip() : !reader.Next(line)) break;
    ++linesRead;
    if (linesRead >= firstTask) {
      // New rows go just above the marker row, which stays last.
      if (!IsSkippedLine(line)) grid.InsertRow(grid.Rows() - 1, LineCells(line));
      if (grid.Rows() > kMaxJobGridRows) {
        const std::string next = std::to_string(linesRead + 1);
        grid.InsertRow(grid.Rows() - 1, {" ", " ", next, std::string(kReloadAction),
                                         std::string(kReloadText) + next, "0", "0", path, next});
        break;
      }
    }
    if (linesRead % kEventsEveryLines == 0) {
      session.SetPanel(panel::kLoading,
                       Translate("Loading Conversion Task: ") + std::to_string(linesRead));
      session.DoEvents();
    }
  }

  session.SetPanel(panel::kLoading, Translate("Completed loading conversion job: ") + path);
  const int dataRows = grid.Rows() - 2;
  for (int j = 1; j <= dataRows; ++j)
    grid.SetCell(j, todo::kTask, std::to_string(j + firstTask - 1));
  grid.currentRow = grid.Rows() - 1;
  if (session.onChanged) session.onChanged();
  return true;
}

Status WriteJobFileFromLog(const std::string& path, const Grid& fgLog) {
  std::string out;
  out.reserve(static_cast<size_t>(fgLog.Rows()) * 96);
  for (int row = 1; row < fgLog.Rows(); ++row) {
    bool empty = true;
    for (int col = 0; col < todo::kPass && empty; ++col) empty = fgLog.Cell(row, col).empty();
    if (empty) continue;
    std::vector<std::string> cells(static_cast<size_t>(todo::kColumns));
    // The log's columns 0 to 9 are the job row's own columns (option letters, parameters,
    // action, input and output with their codes and extensions); the Pass cell starts empty
    // so the row runs again.
    for (int col = 0; col < todo::kPass; ++col)
      cells[static_cast<size_t>(col)] = fgLog.Cell(row, col);
    cells[todo::kTask] = std::to_string(row);
    AppendLine(out, cells);
  }
  // The marker line, as in every job saved from the window.
  std::vector<std::string> marker(static_cast<size_t>(todo::kColumns));
  marker[todo::kTask] = "*";
  AppendLine(out, marker);
  return WriteFileAtomic(path, out, /*durable=*/true);
}

void InstallJobFileLoader(Session& session) {
  session.loadJobFile = [&session](const std::string& path, int firstTask) {
    return LoadJobFile(path, firstTask, session);
  };
}

}  // namespace braxel
