// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing and building of the conversion options text.
#include "engine/conversion_options.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/text.h"

namespace braxel {
namespace {

// A decimal number with an optional fraction, blanks around allowed.
std::optional<double> ParseDecimal(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  std::string_view digits = trimmed;
  if (digits.front() == '+') digits.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                         std::chars_format::fixed);
  if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// A whole number, or a decimal rounded to the nearest (ties to even) that fits 32 bits.
std::optional<int32_t> NumberValue(std::string_view text) {
  if (const auto whole = ParseInt32(text)) return whole;
  const auto decimal = ParseDecimal(text);
  if (!decimal) return std::nullopt;
  const double rounded = std::nearbyint(*decimal);
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::nullopt;
  return static_cast<int32_t>(rounded);
}

std::optional<bool> TruthValue(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (EqualsNoCase(trimmed, "TRUE")) return true;
  if (EqualsNoCase(trimmed, "FALSE")) return false;
  if (const auto number = ParseDecimal(trimmed)) return *number != 0;
  return std::nullopt;
}

}  // namespace

ConversionOptions ConversionOptions::Blank() {
  ConversionOptions blank;
  blank.sPageRange.clear();
  blank.lJpegQuality = 0;
  blank.sTitle.clear();
  blank.sDescription.clear();
  return blank;
}

ConversionOptions ParseConversionOptions(std::string_view text) {
  ConversionOptions options = ConversionOptions::Blank();
  const std::vector<std::string> pieces = Split(text, kOptionsFieldSeparator);
  if (pieces.size() <= 1) return options;
  const auto piece = [&pieces](size_t index) -> const std::string* {
    return index < pieces.size() ? &pieces[index] : nullptr;
  };

  options.sPageRange = pieces[0];
  if (const std::string* p = piece(1)) {
    if (const auto value = NumberValue(*p)) options.lTiffCompression = *value;
  }
  if (const std::string* p = piece(2)) {
    if (p->empty()) {
      options.bTiffAppend = false;
    } else if (const auto value = TruthValue(*p)) {
      options.bTiffAppend = *value;
    }
  }
  if (const std::string* p = piece(3)) options.lJpegQuality = NumberValue(*p).value_or(100);
  std::string* const tags[] = {
      &options.sTitle,     &options.sDescription,    &options.sDateTime,     &options.sAuthor,
      &options.sCopyright, &options.sEquipmentModel, &options.sEquipmentType};
  for (size_t i = 0; i < std::size(tags); ++i) {
    if (const std::string* p = piece(4 + i)) *tags[i] = *p;
  }
  return options;
}

std::string RemoveFieldSeparators(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    if (c != kOptionsFieldSeparator) out.push_back(c);
  return out;
}

std::string BuildConversionOptions(const ConversionOptions& options) {
  const std::string fields[kConversionOptionsFieldCount] = {
      RemoveFieldSeparators(options.sPageRange),    std::to_string(options.lTiffCompression),
      options.bTiffAppend ? "TRUE" : "FALSE",       std::to_string(options.lJpegQuality),
      RemoveFieldSeparators(options.sTitle),        RemoveFieldSeparators(options.sDescription),
      RemoveFieldSeparators(options.sDateTime),     RemoveFieldSeparators(options.sAuthor),
      RemoveFieldSeparators(options.sCopyright),    RemoveFieldSeparators(options.sEquipmentModel),
      RemoveFieldSeparators(options.sEquipmentType)};
  std::string text;
  for (const std::string& field : fields) {
    text += field;
    text.push_back(kOptionsFieldSeparator);
  }
  return text;
}

ConvertPanelLayout ConvertPanelLayoutFor(std::string_view inputText, int32_t conversionMethod) {
  ConvertPanelLayout layout;
  const bool folderInput = inputText.find('*') != std::string_view::npos;
  layout.bShowFolderOptions = folderInput;
  layout.bUntickSaveToOriginalFolder = !folderInput;
  layout.bShowSelectTargetFile = !folderInput;
  layout.bShowInputFormatList = conversionMethod == 1;
  return layout;
}

}  // namespace braxel
