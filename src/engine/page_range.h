// SPDX-License-Identifier: GPL-3.0-or-later
// Page ranges of multi-page TIFF inputs: "1-3", "2,5-10" normalised to ascending, distinct
// page numbers ("1,2,3", "2,5,6,7,8,9,10").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace braxel {

// Page numbers are clamped to this value: a number written with more digits than 32 bits hold
// still names "a page far beyond the end" instead of stopping the program.
inline constexpr int32_t kMaxPageNumber = 2147483647;
// The longest page list a range expands to. No TIFF file holds that many pages, and without a
// bound a span such as 1-2000000000 would need gigabytes; the lowest pages are kept.
inline constexpr size_t kMaxPageListSize = 100000;

// The normalised form of a page range: only "0123456789,-" are kept, each "," separated part is
// a page or a low-high span, and the result lists every page once in ascending order, joined
// with ",". An empty part, and a part with two or more "-", stand for page 0. A span with an
// empty side counts that side as the other end ("5-" is page 5) or, for the low side, as page 1
// ("-5" is pages 1 to 5). "" when nothing usable is left.
std::string ParsePageRange(std::string_view text);
// The same result as numbers (empty for "").
std::vector<int32_t> ParsePageNumbers(std::string_view text);

// One part of the form low-high as every number from the lower to the higher end, joined with
// ","; "" for a part with two or more "-". At most kMaxPageListSize numbers, from the lower end.
std::string ExpandPageSpan(std::string_view part);

}  // namespace braxel
