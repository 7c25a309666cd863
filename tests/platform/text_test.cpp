// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text.h"

#include <gtest/gtest.h>

namespace braxel {
namespace {

TEST(Text, CaseInsensitiveHelpers) {
  EXPECT_TRUE(EqualsNoCase("TIFF", "tiff"));
  EXPECT_TRUE(StartsWithNoCase("/USR/local", "/usr/"));
  EXPECT_EQ(FindNoCase("a%AppData%b", "%APPDATA%"), 1u);
  EXPECT_EQ(ReplaceAllNoCase("%x%/%X%", "%x%", "y"), "y/y");
  EXPECT_EQ(ReplaceFirstNoCase("%x%/%X%", "%x%", "y"), "y/%X%");
}

TEST(Text, SplitKeepsEmptyPieces) {
  EXPECT_EQ(Split("a^^b^", '^'), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Split("", '^'), (std::vector<std::string>{""}));
}

TEST(Text, ParseIntegers) {
  EXPECT_EQ(ParseInt32(" 12 "), 12);
  EXPECT_EQ(ParseInt32("-7"), -7);
  EXPECT_FALSE(ParseInt32("1x"));
  EXPECT_FALSE(ParseInt32("99999999999"));
  EXPECT_FALSE(ParseInt32(""));
}

TEST(Text, LinesFallBackToWindows1252) {
  // "caf\xE9" is not UTF-8; it reads as Windows-1252 e-acute. CR LF and LF both end lines.
  const auto lines = SplitTextLines("\xEF\xBB\xBF" "a\r\ncaf\xE9\ncaf\xC3\xA9\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[1], "caf\xC3\xA9");
  EXPECT_EQ(lines[2], "caf\xC3\xA9");
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));  // overlong
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
}

}  // namespace
}  // namespace braxel
