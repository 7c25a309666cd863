// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing and building of the conversion options text.
#include "engine/conversion_options.h"

#include <gtest/gtest.h>

#include <ostream>

namespace braxel {

// Readable failure messages.
void PrintTo(const ConversionOptions& o, std::ostream* os) { *os << BuildConversionOptions(o); }

namespace {

TEST(ConversionOptions, ParsesEveryField) {
  const ConversionOptions o = ParseConversionOptions("1-3^1^TRUE^90^T^D^^A^C^M^E^");
  EXPECT_EQ(o.sPageRange, "1-3");
  EXPECT_EQ(o.lTiffCompression, kTiffLzw);
  EXPECT_TRUE(o.bTiffAppend);
  EXPECT_EQ(o.lJpegQuality, 90);
  EXPECT_EQ(o.sTitle, "T");
  EXPECT_EQ(o.sDescription, "D");
  EXPECT_EQ(o.sDateTime, "");
  EXPECT_EQ(o.sAuthor, "A");
  EXPECT_EQ(o.sCopyright, "C");
  EXPECT_EQ(o.sEquipmentModel, "M");
  EXPECT_EQ(o.sEquipmentType, "E");
  // Building gives the same text back.
  EXPECT_EQ(BuildConversionOptions(o), "1-3^1^TRUE^90^T^D^^A^C^M^E^");
}

TEST(ConversionOptions, UnreadableAndMissingFields) {
  struct Case {
    const char* name;
    const char* text;
    ConversionOptions expected;
  };
  const auto with = [](auto change) {
    ConversionOptions o = ConversionOptions::Blank();
    change(o);
    return o;
  };
  const Case cases[] = {
      {"empty append, text quality", "5^2^^x^", with([](ConversionOptions& o) {
         o.sPageRange = "5";
         o.lTiffCompression = kTiffRle;
         o.lJpegQuality = 100;
       })},
      {"no separator", "1", ConversionOptions::Blank()},
      {"empty text", "", ConversionOptions::Blank()},
      {"fewer fields", "1-2^3", with([](ConversionOptions& o) {
         o.sPageRange = "1-2";
         o.lTiffCompression = 3;
       })},
      {"empty quality field", "1^0^FALSE^^", with([](ConversionOptions& o) {
         o.sPageRange = "1";
         o.lJpegQuality = 100;
       })},
      {"append in lower case", "^0^true", with([](ConversionOptions& o) { o.bTiffAppend = true; })},
      {"append as number", "^0^-1", with([](ConversionOptions& o) { o.bTiffAppend = true; })},
      {"append zero", "^0^0", ConversionOptions::Blank()},
      {"append unreadable", "^0^maybe", ConversionOptions::Blank()},
      {"compression unreadable", "^x^", ConversionOptions::Blank()},
      {"numbers with blanks", " 2 ^ 4 ^FALSE^ 60 ", with([](ConversionOptions& o) {
         o.sPageRange = " 2 ";
         o.lTiffCompression = 4;
         o.lJpegQuality = 60;
       })},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseConversionOptions(c.text), c.expected) << c.name;
}

TEST(ConversionOptions, DefaultsMatchTheDefaultText) {
  EXPECT_EQ(BuildConversionOptions(ConversionOptions{}), kDefaultConversionOptionsText);
  EXPECT_EQ(ParseConversionOptions(kDefaultConversionOptionsText), ConversionOptions{});
}

TEST(ConversionOptions, BuildKeepsFieldPositions) {
  ConversionOptions o;
  o.sTitle = "A^B";
  o.sPageRange = "1^-3";
  const std::string text = BuildConversionOptions(o);
  EXPECT_EQ(ParseConversionOptions(text).sTitle, "AB");
  EXPECT_EQ(ParseConversionOptions(text).sPageRange, "1-3");
  EXPECT_EQ(ParseConversionOptions(text).sDescription, o.sDescription);
  EXPECT_EQ(RemoveFieldSeparators("^a^^b^"), "ab");
}

TEST(ConversionOptions, PanelLayoutFollowsInput) {
  const ConvertPanelLayout folder = ConvertPanelLayoutFor("/In/*.png", 1);
  EXPECT_TRUE(folder.bShowFolderOptions);
  EXPECT_FALSE(folder.bUntickSaveToOriginalFolder);
  EXPECT_FALSE(folder.bShowSelectTargetFile);
  EXPECT_TRUE(folder.bShowInputFormatList);
  const ConvertPanelLayout file = ConvertPanelLayoutFor("/In/a.png", 0);
  EXPECT_FALSE(file.bShowFolderOptions);
  EXPECT_TRUE(file.bUntickSaveToOriginalFolder);
  EXPECT_TRUE(file.bShowSelectTargetFile);
  EXPECT_FALSE(file.bShowInputFormatList);
}

}  // namespace
}  // namespace braxel
