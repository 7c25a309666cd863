// SPDX-License-Identifier: GPL-3.0-or-later
// Page range normalisation. Parts are handled as closed intervals, so a wide span costs only
// the numbers it finally contributes, never an intermediate text of every page.
#include "engine/page_range.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace braxel {
namespace {

struct PageSpan {
  int64_t low = 0;
  int64_t high = 0;
};

// The value of a run of digits, clamped to kMaxPageNumber; nullopt for an empty run.
std::optional<int64_t> DigitsValue(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  int64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') continue;
    value = value * 10 + (c - '0');
    if (value > kMaxPageNumber) return kMaxPageNumber;
  }
  return value;
}

// One part of an already filtered range text (digits and "-" only). Page 0 stands for an
// unusable part (empty, or more than one "-"), as the conversion then reports it as a page it
// cannot load.
PageSpan SpanOfPart(std::string_view part) {
  const size_t dash = part.find('-');
  if (dash == std::string_view::npos) {
    const int64_t page = DigitsValue(part).value_or(0);
    return {page, page};
  }
  if (part.find('-', dash + 1) != std::string_view::npos) return {0, 0};
  const std::optional<int64_t> before = DigitsValue(part.substr(0, dash));
  const std::optional<int64_t> after = DigitsValue(part.substr(dash + 1));
  if (!before && !after) return {0, 0};
  PageSpan span;
  span.low = before.value_or(1);         // "-5": from the first page
  span.high = after.value_or(span.low);  // "5-": that page alone
  if (span.high < span.low) std::swap(span.low, span.high);
  return span;
}

std::string KeepRangeCharacters(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (const char c : text)
    if ((c >= '0' && c <= '9') || c == ',' || c == '-') kept.push_back(c);
  return kept;
}

void AppendNumber(std::string& out, int64_t value) {
  if (!out.empty()) out.push_back(',');
  out += std::to_string(value);
}

}  // namespace

std::string ExpandPageSpan(std::string_view part) {
  const std::string filtered = KeepRangeCharacters(part);
  const size_t dash = filtered.find('-');
  if (dash != std::string::npos && filtered.find('-', dash + 1) != std::string::npos) return "";
  if (filtered.find_first_of("0123456789") == std::string::npos) return "";
  const PageSpan span = SpanOfPart(filtered);
  std::string out;
  const int64_t last = std::min<int64_t>(span.high, span.low + kMaxPageListSize - 1);
  for (int64_t page = span.low; page <= last; ++page) AppendNumber(out, page);
  return out;
}

std::vector<int32_t> ParsePageNumbers(std::string_view text) {
  const std::string filtered = KeepRangeCharacters(text);
  if (filtered.empty()) return {};
  std::vector<PageSpan> spans;
  size_t start = 0;
  while (true) {
    const size_t comma = filtered.find(',', start);
    const std::string_view part = std::string_view(filtered).substr(
        start, comma == std::string::npos ? std::string::npos : comma - start);
    spans.push_back(SpanOfPart(part));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  // Ascending and distinct: sort the spans by their low end and walk them, skipping pages an
  // earlier span already gave.
  std::sort(spans.begin(), spans.end(),
            [](const PageSpan& a, const PageSpan& b) { return a.low < b.low; });
  std::vector<int32_t> pages;
  int64_t next = -1;  // the lowest page not yet listed
  for (const PageSpan& span : spans) {
    for (int64_t page = std::max(span.low, next); page <= span.high; ++page) {
      if (pages.size() == kMaxPageListSize) return pages;
      pages.push_back(static_cast<int32_t>(page));
    }
    next = std::max(next, span.high + 1);
  }
  return pages;
}

std::string ParsePageRange(std::string_view text) {
  std::string out;
  for (const int32_t page : ParsePageNumbers(text)) AppendNumber(out, page);
  return out;
}

}  // namespace braxel
