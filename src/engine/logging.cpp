// SPDX-License-Identifier: GPL-3.0-or-later
// Result logging into the log grid and the log file.
#include "engine/logging.h"

#include <algorithm>
#include <vector>

#include "engine/formats.h"
#include "engine/process_state.h"
#include "engine/report.h"
#include "engine/session.h"
#include "engine/translate.h"
#include "platform/text.h"

namespace braxel {
namespace {

constexpr int kJobRowModulus = 30000;

// Inserts the entry above the empty last row and marks its Pass cell; the empty row stays last
// and becomes current.
void InsertLogRow(Grid& grid, std::vector<std::string> cells, bool passed) {
  if (grid.Rows() < 2) grid.SetRows(2);
  const int at = grid.Rows() - 1;
  cells[todo::kPass] = passed ? "+" : "-";
  grid.InsertRow(at, std::move(cells));
  grid.Row(at).mark = passed ? PassMark::kPass : PassMark::kFail;
  grid.currentRow = grid.Rows() - 1;
}

std::vector<std::string> EntryFields(const Grid& fgToDo, int jobNumber,
                                     const clsConversionOptions& item) {
  std::vector<std::string> f(logcol::kColumns);
  f[todo::kFlags] = fgToDo.Cell(jobNumber % kJobRowModulus, todo::kFlags);
  f[todo::kParams] = item.sExtraParams;
  f[todo::kTask] = std::to_string(jobNumber);
  f[todo::kAction] = item.sActionToDo;
  f[todo::kInput] = item.sOriginalFile;
  f[todo::kInputType] = std::to_string(item.lOriginalFileType);
  f[todo::kOutput] = item.sTargetFile;
  f[todo::kOutputType] = std::to_string(item.lTargetFileType);
  return f;
}

// The fields joined by tabs; a tab inside a field (a file name may hold one) becomes a space so
// that every line keeps its twelve fields.
std::string JoinEntry(std::vector<std::string> fields) {
  for (std::string& field : fields) std::replace(field.begin(), field.end(), '\t', ' ');
  return Join(fields, "\t");
}

}  // namespace

void ResetLogGrid(Grid& grid) {
  const bool ignoring = Process().bIgnoreGuiEvents.exchange(true);
  grid.SetRows(0);
  grid.SetRows(2);
  grid.SetCell(0, 2, Translate("#"));
  grid.SetCell(0, 3, Translate("Do"));
  grid.SetCell(0, 7, Translate("Output File"));
  grid.SetCell(0, 9, Translate("Type"));
  grid.SetCell(0, 10, Translate("Pass"));
  grid.SetCell(0, 11, Translate("Status"));
  grid.currentRow = 1;
  Process().bIgnoreGuiEvents = ignoring;
}

static std::vector<std::string> ConversionFields(const Grid& fgToDo, int jobNumber,
                                                 const clsConversionOptions& item) {
  std::vector<std::string> f = EntryFields(fgToDo, jobNumber, item);
  if (item.lConversionMethod == 1)
    f[todo::kInputExt] = GetExtensionForFormat(item.lOriginalFileType);
  f[todo::kOutputExt] = GetExtensionForFormat(item.lTargetFileType);
  f[logcol::kStatus] = item.sErr;
  return f;
}

std::string BuildConversionLogEntry(const Grid& fgToDo, int jobNumber,
                                    const clsConversionOptions& item) {
  return JoinEntry(ConversionFields(fgToDo, jobNumber, item));
}

void LogConversionError(Session& session, int jobNumber, clsConversionOptions& item) {
  if (Process().Interactive()) {
    std::replace(item.sErr.begin(), item.sErr.end(), '\n', ' ');
    std::replace(item.sErr.begin(), item.sErr.end(), '\r', ' ');
  }
  std::vector<std::string> fields = ConversionFields(session.fgToDo, jobNumber, item);
  const std::string entry = JoinEntry(fields);
  InsertLogRow(session.fgLog, std::move(fields), item.lErr == 0);
  if (session.onChanged) session.onChanged();

  if (session.sLogFile.empty() && !item.bVerboseLog) return;
  if (!item.sLogFile.empty()) session.sLogFile = item.sLogFile;
  if (!session.sLogFile.empty()) ReportCommandLineMessage(entry, session.sLogFile, false);
}

void LogExitCode(Session& session, int jobNumber, const clsConversionOptions& item) {
  std::vector<std::string> f = EntryFields(session.fgToDo, jobNumber, item);
  f[logcol::kStatus] = Translate("Exit Code: ") + std::to_string(item.lCommandLineExitCode);
  InsertLogRow(session.fgLog, std::move(f), true);
  if (session.onChanged) session.onChanged();
}

}  // namespace braxel
