// SPDX-License-Identifier: GPL-3.0-or-later
// Page range normalisation and span expansion, including unusable and huge input.
#include "engine/page_range.h"

#include <gtest/gtest.h>

#include <string>

namespace braxel {
namespace {

std::string Sequence(int from, int to) {
  std::string out;
  for (int i = from; i <= to; ++i) out += (out.empty() ? "" : ",") + std::to_string(i);
  return out;
}

struct RangeCase {
  const char* name;
  const char* text;
  std::string expected;
};

TEST(PageRange, Normalises) {
  const RangeCase cases[] = {
      {"span and page", "1-3,5", "1,2,3,5"},
      {"sorted", "5-10,2", "2,5,6,7,8,9,10"},
      {"reversed span", "3-1", "1,2,3"},
      {"repeats removed", "2,2,1-2", "1,2"},
      {"other characters dropped", "1 - 3; 7", Sequence(1, 37)},
      {"empty part is page 0", "1,,3", "0,1,3"},
      {"two dashes is page 0", "1-2-3", "0"},
      {"nothing usable", "abc", ""},
      {"empty", "", ""},
      {"all pages marker", "*", ""},
      {"leading zeros", "007,7", "7"},
      {"open high side", "5-", "5"},
      {"open low side", "-5", "1,2,3,4,5"},
      {"dash alone", "-", "0"},
      {"open sides mixed", "8-,-2,4", "1,2,4,8"},
      {"huge number clamped", "99999999999999999999", "2147483647"},
      {"huge span end clamped", "2147483646-99999999999", "2147483646,2147483647"},
      {"overlapping spans", "3-6,1-4,6-7", Sequence(1, 7)},
  };
  for (const RangeCase& c : cases) EXPECT_EQ(ParsePageRange(c.text), c.expected) << c.name;
}

TEST(PageRange, WideSpansAreCapped) {
  for (const char* text : {"1-2000000000", "2000000000-1,5-3000000000,7", "-99999999999"}) {
    const std::vector<int32_t> pages = ParsePageNumbers(text);
    ASSERT_EQ(pages.size(), kMaxPageListSize) << text;
    EXPECT_EQ(pages.front(), 1) << text;
    EXPECT_EQ(pages.back(), static_cast<int32_t>(kMaxPageListSize)) << text;
  }
  // The text form agrees with the numbers.
  EXPECT_EQ(ParsePageRange("1-2000000000"), Sequence(1, kMaxPageListSize));
}

TEST(PageRange, ExpandsOneSpan) {
  const RangeCase cases[] = {
      {"ascending", "1-3", "1,2,3"}, {"descending", "3-1", "1,2,3"},
      {"single", "4-4", "4"},        {"two dashes", "1-2-3", ""},
      {"open high side", "5-", "5"}, {"open low side", "-3", "1,2,3"},
      {"no number", "-", ""},
  };
  for (const RangeCase& c : cases) EXPECT_EQ(ExpandPageSpan(c.text), c.expected) << c.name;
  EXPECT_EQ(ExpandPageSpan("1-2000000000"), Sequence(1, kMaxPageListSize));
}

}  // namespace
}  // namespace braxel
