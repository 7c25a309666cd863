// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line syntax: switches that start with "/", a case-sensitive letter and a value
// running to the next switch. ParseCommandLine reads one command line into a conversion item.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_item.h"
#include "platform/clock.h"

namespace braxel {

// kWindows: every "/" starts a switch. kLinux: a "/" starts a switch only at the start of the
// text or after a blank, when the non-blank run after it is one character, or one character
// followed only by digits, "+", "-" and "." (/S, /?, /C1, /F-1); every other "/" belongs to a
// value, so absolute paths are values.
enum class CommandLineSyntax { kWindows, kLinux };

struct CommandLineToken {
  std::string letter;  // "" for a switch whose character is a blank
  std::string value;   // trimmed
};

// One plus the number of switch-starting "/" in the text.
int CountCommandLineTokens(std::string_view text, CommandLineSyntax syntax = CommandLineSyntax::kLinux);
// Token `index` (1 = the text before the first switch; k >= 2 follows the (k-1)-th switch).
// A token with no characters has an empty value and keeps the letter of the token before it.
CommandLineToken GetCommandLineToken(int index, std::string_view text,
                                     CommandLineSyntax syntax = CommandLineSyntax::kLinux);
// All tokens, index 1 first.
std::vector<CommandLineToken> TokenizeCommandLine(std::string_view text,
                                                  CommandLineSyntax syntax = CommandLineSyntax::kLinux);

// Replaces [Y] [M] [D] [YMD] [MDY] [H] [I] [S] [HIS] (upper case only) by parts of `now`.
std::string ExpandDateTimeTokens(std::string_view name, const LocalDateTime& now);

// The header written into the log file of a command line (two lines, no final line end).
std::string CommandLineLogHeader(const LocalDateTime& now);

// What the parse found besides the item.
struct CommandLineParse {
  bool helpRequested = false;  // "/?" seen: parsing stopped
  bool exitRequested = false;  // "/X" seen: the program ends at once
  std::vector<std::string> unrecognized;  // letters of unrecognized switches, in order
};

// Fills `item` (created by the caller with its defaults) from the text, completes and checks
// it, writes the log header and reports a rejected item. True when the item may be run.
bool ParseCommandLine(std::string_view text, clsConversionOptions& item, CommandLineParse* details = nullptr,
                      CommandLineSyntax syntax = CommandLineSyntax::kLinux);

// A /S /T /L /B /J value as a path: folder variables (and "~/") expanded; a value holding a
// separator keeps its text without double quotes; a bare name is taken in the current folder.
std::string ResolveCommandLinePath(std::string_view value);

// The program's version as the log header and "--version" show it ("1.00").
std::string ProgramVersionText();

}  // namespace braxel
