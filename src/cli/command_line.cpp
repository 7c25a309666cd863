// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "cli/version.h"
#include "engine/formats.h"
#include "engine/item_checks.h"
#include "engine/process_state.h"
#include "engine/report.h"
#include "engine/translate.h"
#include "platform/files.h"
#include "platform/folder_helpers.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/text.h"

namespace braxel {
namespace {

bool IsSwitchTailCharacter(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

// Positions of the "/" characters that start switches.
std::vector<size_t> SwitchPositions(std::string_view text, CommandLineSyntax syntax) {
  std::vector<size_t> positions;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '/') continue;
    if (syntax == CommandLineSyntax::kWindows) {
      positions.push_back(i);
      continue;
    }
    if (i > 0 && text[i - 1] != ' ') continue;
    size_t end = i + 1;
    while (end < text.size() && text[end] != ' ') ++end;
    const std::string_view run = text.substr(i + 1, end - i - 1);
    if (run.empty()) continue;
    bool tailOk = true;
    for (size_t k = 1; k < run.size(); ++k) tailOk = tailOk && IsSwitchTailCharacter(run[k]);
    if (tailOk) positions.push_back(i);
  }
  return positions;
}

// A whole number from a switch value: an integer, or a decimal rounded half to even.
std::optional<int32_t> WholeNumber(std::string_view value) {
  if (auto v = ParseInt32(value)) return v;
  const std::string trimmed = Trim(value);
  if (trimmed.empty()) return std::nullopt;
  char* end = nullptr;
  const double d = std::strtod(trimmed.c_str(), &end);
  if (end == nullptr || *end != 0 || !std::isfinite(d) || std::fabs(d) > 2147483647.0) return std::nullopt;
  return static_cast<int32_t>(std::nearbyint(d));
}

}  // namespace

std::vector<CommandLineToken> TokenizeCommandLine(std::string_view text, CommandLineSyntax syntax) {
  // The text gets one blank at the end; that last character ends the final token.
  const std::string extended = std::string(text) + " ";
  std::vector<size_t> ends = SwitchPositions(extended, syntax);
  ends.push_back(extended.size() - 1);
  std::vector<CommandLineToken> tokens;
  size_t start = 0;
  std::string previousLetter;
  for (const size_t end : ends) {
    CommandLineToken token;
    if (end > start) {
      token.letter = ReplaceAll(extended.substr(start, 1), " ", "");
      token.value = TrimBlanks(extended.substr(start + 1, end - start - 1));
    } else {
      token.letter = previousLetter;
    }
    previousLetter = token.letter;
    tokens.push_back(std::move(token));
    start = end + 1;
  }
  return tokens;
}

int CountCommandLineTokens(std::string_view text, CommandLineSyntax syntax) {
  return 1 + static_cast<int>(SwitchPositions(std::string(text) + " ", syntax).size());
}

CommandLineToken GetCommandLineToken(int index, std::string_view text, CommandLineSyntax syntax) {
  const auto tokens = TokenizeCommandLine(text, syntax);
  if (index < 1 || index > static_cast<int>(tokens.size())) return {};
  return tokens[static_cast<size_t>(index - 1)];
}

std::string ExpandDateTimeTokens(std::string_view name, const LocalDateTime& now) {
  const auto two = [](int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return std::string(b);
  };
  const auto four = [](int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04d", v);
    return std::string(b);
  };
  const std::pair<const char*, std::string> tokens[] = {
      {"[Y]", four(now.year)},
      {"[M]", two(now.month)},
      {"[D]", two(now.day)},
      {"[YMD]", four(now.year) + two(now.month) + two(now.day)},
      {"[MDY]", two(now.month) + two(now.day) + four(now.year)},
      {"[H]", two(now.hour)},
      {"[I]", two(now.minute)},
      {"[S]", two(now.second)},
      {"[HIS]", two(now.hour) + two(now.minute) + two(now.second)},
  };
  std::string out(name);
  for (const auto& [token, replacement] : tokens)
    if (ContainsNoCase(out, token)) out = ReplaceAll(out, token, replacement);
  return out;
}

std::string ProgramVersionText() {
  return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + std::to_string(kVersionRevision);
}

std::string CommandLineLogHeader(const LocalDateTime& now) {
  return "---------- braxel (v" + ProgramVersionText() + ") ----------\n" + Translate("Date") + ": " +
         FormatGeneralDate(now);
}

std::string ResolveCommandLinePath(std::string_view value) {
  const std::string expanded = ExpandFolderVariables(value);
  if (expanded.find(kPathSeparator) != std::string::npos) return StripQuotes(expanded);
  return CurrentFolder() + std::string(kPathSeparatorText) + StripQuotes(Trim(expanded));
}

bool ParseCommandLine(std::string_view text, clsConversionOptions& item, CommandLineParse* details,
                      CommandLineSyntax syntax) {
  CommandLineParse local;
  CommandLineParse& found = details ? *details : local;
  ProcessState& process = Process();
  if (Trim(text).empty()) {
    process.bCommandLineMode = false;
    return false;
  }
  process.bCommandLineMode = true;
  item.sExtraParams = "";

  std::vector<std::string> slots(22);
  const auto tokens = TokenizeCommandLine(text, syntax);
  for (size_t t = 1; t < tokens.size(); ++t) {
    const std::string& letter = tokens[t].letter;
    const std::string& value = tokens[t].value;
    if (letter.size() != 1) {
      found.unrecognized.push_back(letter);
      continue;
    }
    const char c = letter[0];
    switch (c) {
      case 'S':
        item.sOriginalFile = ResolveCommandLinePath(value);
        break;
      case 'T':
        item.sTargetFile = ResolveCommandLinePath(value);
        break;
      case 'F':
        if (auto v = WholeNumber(value)) item.lOriginalFileType = *v;
        break;
      case 'C':
        if (auto v = WholeNumber(value)) item.lTargetFileType = *v;
        break;
      case 'R':
        item.bDoSubfolders = true;
        break;
      case 'G':
        item.bSaveInOriginalFolder = true;
        break;
      case 'V':
        item.bVerbose = true;
        break;
      case 'Z':
        item.bVerboseLog = true;
        break;
      case 'L':
        item.sLogFile = ExpandDateTimeTokens(ResolveCommandLinePath(value), LocalNow());
        if (const std::string folder = ParentFolder(item.sLogFile); !folder.empty()) CreateFolderPath(folder);
        break;
      case 'B':
        item.sLogAsConversionJobFile = ResolveCommandLinePath(value);
        break;
      case 'J':
        item.sCLBatchJobFile = ResolveCommandLinePath(value);
        break;
      case 'P':
        item.sActionToDo = "S";
        if (auto v = WholeNumber(value)) item.lSpecialProcess = *v;
        break;
      case '0':
        item.bShellExtenderOptionsChange = true;
        if (auto v = WholeNumber(value)) item.lSpecialProcess = *v;
        process.bCommandLineMode = false;
        break;
      case 'O':
        item.bOpenButDoNotRun = true;
        process.bCommandLineMode = false;
        break;
      case 'X':
        found.exitRequested = true;
        return false;
      case '?':
        found.helpRequested = true;
        return false;
      default:
        if (c >= '1' && c <= '9') {
          slots[static_cast<size_t>(c - '0')] = value;
        } else if (c >= 'a' && c <= 'j') {
          slots[static_cast<size_t>(c - 'a' + 12)] = value;
        } else {
          found.unrecognized.push_back(letter);
        }
    }
  }

  // Format codes not given are taken from the extensions.
  if (item.lOriginalFileType == UNSET_FILE_TYPE) {
    if (const int32_t code = GetFormatForExtension(GetExtension(item.sOriginalFile)); code != UNSET_FILE_TYPE)
      item.lOriginalFileType = code;
  }
  if (item.lTargetFileType == UNSET_FILE_TYPE) {
    if (const int32_t code = GetFormatForExtension(GetExtension(item.sTargetFile)); code != UNSET_FILE_TYPE)
      item.lTargetFileType = code;
  }
  if (item.sActionToDo == "S") {
    if (item.lOriginalFileType != UNSET_FILE_TYPE)
      item.lTargetFileType = item.lOriginalFileType;
    else
      item.lOriginalFileType = item.lTargetFileType;
  }
  if ((item.lOriginalFileType == UNSET_FILE_TYPE || item.lTargetFileType == UNSET_FILE_TYPE) &&
      item.sCLBatchJobFile.empty())
    item.lErr = -202;

  if (!found.unrecognized.empty()) {
    std::string message =
        Translate("One or more command line arguements were not recognized. Command line IS case sensitive. Check:");
    for (const std::string& letter : found.unrecognized) message += " /" + letter;
    ReportCommandLineMessage(message, item.sLogFile, item.bVerbose);
  }

  if (item.sExtraParams.empty()) {
    for (size_t k = 1; k <= 20; ++k) item.sExtraParams += slots[k] + "^";
  }
  if (item.bSaveInOriginalFolder) {
    item.sTargetFile = ParentFolder(item.sOriginalFile) + std::string(kPathSeparatorText) + "*." +
                       GetExtensionForFormat(item.lTargetFileType);
  }
  if (!item.sCLBatchJobFile.empty() && item.sCLBatchJobFile.find("#OPEN.BXJ") != std::string::npos) {
    item.bOpenButDoNotRun = true;
    process.bCommandLineMode = false;
  }

  CompleteAndValidateItem(item);

  if (!item.sLogFile.empty()) ReportCommandLineMessage(CommandLineLogHeader(LocalNow()), item.sLogFile, false);

  if (item.lErr == 0) return true;
  ReportCommandLineItemError(item);
  return false;
}

}  // namespace braxel
