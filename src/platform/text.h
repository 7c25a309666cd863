// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers shared by every layer: trimming, comparisons that ignore letter case (ASCII),
// splitting, number parsing and the UTF-8 / Windows-1252 handling of text files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace braxel {

// Removes blanks, tabs, CR and LF at both ends (the trim of the file formats and the parser).
std::string Trim(std::string_view text);
std::string TrimRight(std::string_view text);
// Removes only blanks (space characters) at both ends, as VB's Trim does.
std::string TrimBlanks(std::string_view text);

std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Position of the first occurrence of `needle` ignoring letter case, or npos.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0);
bool ContainsNoCase(std::string_view text, std::string_view needle);
// Replaces every (or only the first) occurrence of `from`, ignoring letter case.
std::string ReplaceAllNoCase(std::string_view text, std::string_view from, std::string_view to);
std::string ReplaceFirstNoCase(std::string_view text, std::string_view from, std::string_view to);
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Splits at every `separator`; "" gives one empty piece.
std::vector<std::string> Split(std::string_view text, char separator);
std::string Join(const std::vector<std::string>& pieces, std::string_view separator);

// A whole decimal number (optional blanks around, optional sign); nullopt for anything else
// or a value outside 32 bits.
std::optional<int32_t> ParseInt32(std::string_view text);
std::optional<int64_t> ParseInt64(std::string_view text);

// UTF-8 validity of a byte string.
bool IsValidUtf8(std::string_view bytes);
// Converts Windows-1252 bytes to UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);
// A line read from a text file: kept when it is valid UTF-8, otherwise read as Windows-1252.
std::string DecodeTextLine(std::string_view bytes);
// Splits file content into lines, accepting LF and CR LF; a final line end adds no empty line.
// Lines are decoded with DecodeTextLine. A leading UTF-8 byte-order mark is dropped.
std::vector<std::string> SplitTextLines(std::string_view content);

}  // namespace braxel
