// SPDX-License-Identifier: GPL-3.0-or-later
// The date form of EXIF and TIFF tags, and the EXIF and comment forms read back.
#include "imaging/core/tag_text.h"

#include <gtest/gtest.h>

namespace braxel::imaging {
namespace {

TEST(ExifDateTime, ConvertsDatesAndKeepsOtherText) {
  const std::pair<const char*, const char*> cases[] = {
      {"2024-03-05", "2024:03:05 00:00:00"},
      {"2024/03/05 14:07", "2024:03:05 14:07:00"},
      {"2024-03-05T14:07:09", "2024:03:05 14:07:09"},
      {"2024:03:05 14:07:09", "2024:03:05 14:07:09"},
      {" 2024.12.31 23:59:59 ", "2024:12:31 23:59:59"},
      {"2024-13-05", "2024-13-05"},
      {"2024-03-05 25:00", "2024-03-05 25:00"},
      {"yesterday", "yesterday"},
      {"05/03/2024", "05/03/2024"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ExifDateTime(in), out) << in;
}

TEST(ExifBlock, RoundTripsAllTags) {
  const ImageTags tags{"Ti\xe2\x82\xac tle", "D", "2020-01-02", "A", "C", "Make", "Model"};
  ImageTags expected = tags;
  expected.dateTime = "2020:01:02 00:00:00";
  EXPECT_EQ(ParseExifBlock(BuildExifBlock(tags)), expected);
  EXPECT_TRUE(BuildExifBlock(ImageTags{}).empty());
  const std::vector<uint8_t> junk = {'I', 'I', 42, 0, 0xff, 0xff, 0, 0, 1};
  EXPECT_EQ(ParseExifBlock(junk), ImageTags{});
}

TEST(TagComment, RoundTripsAndTakesForeignComments) {
  const ImageTags tags{"T", "", "", "Au", "", "", "Mo"};
  EXPECT_EQ(BuildTagComment(tags), "Title: T\nAuthor: Au\nEquipmentModel: Mo");
  EXPECT_EQ(ParseTagComment(BuildTagComment(tags)), tags);
  EXPECT_EQ(ParseTagComment("made with something").description, "made with something");
  EXPECT_TRUE(BuildTagComment(ImageTags{}).empty());
}

}  // namespace
}  // namespace braxel::imaging
