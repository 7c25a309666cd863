// SPDX-License-Identifier: GPL-3.0-or-later
// Tests of the alternate library path: formats, depth conversions and messages.
#include "engine/alternate.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/conversion_fixtures.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::PageWidths;
using test::TempDir;
using test::WriteImage;

bool Gm(const std::string& arguments) {
  return std::system(("gm convert " + arguments).c_str()) == 0;
}

clsConversionOptions Item(const std::string& in, int inCode, const std::string& out, int outCode) {
  clsConversionOptions item;
  item.sOriginalFile = in;
  item.lOriginalFileType = inCode;
  item.sTargetFile = out;
  item.lTargetFileType = outCode;
  return item;
}

TEST(Alternate, RoundTripsEveryFormatPair) {
  TempDir dir;
  const int codes[] = {1, 2, 3, 4, 8};
  const char* extensions[] = {"jpg", "bmp", "tif", "gif", "png"};
  for (int i = 0; i < 5; ++i) {
    const std::string in =
        WriteImage(dir.Sub(std::string("in.") + extensions[i]), codes[i], 20 + i);
    ASSERT_FALSE(in.empty());
    for (int j = 0; j < 5; ++j) {
      SCOPED_TRACE(std::string(extensions[i]) + " to " + extensions[j]);
      const std::string out = dir.Sub("Out/" + std::to_string(i) + "." + extensions[j]);
      clsConversionOptions item = Item(in, codes[i], out, codes[j]);
      EXPECT_EQ(PerformConversionItemAlternate(item), 0) << item.sErr;
      EXPECT_EQ(PageWidths(out), std::vector<uint32_t>{static_cast<uint32_t>(20 + i)});
    }
  }
}

TEST(Alternate, RefusedFormatsAndNames) {
  TempDir dir;
  const std::string png = WriteImage(dir.Sub("a.png"), 8, 20);
  const std::string jpeg = WriteImage(dir.Sub("photo.jpeg"), 1, 20);
  const std::string jpg = WriteImage(dir.Sub("photo.jpg"), 1, 20);
  ASSERT_TRUE(Gm("-size 8x8 xc:red '" + dir.Sub("a.pcx") + "'"));
  struct Case {
    const char* name;
    std::string in;
    int inCode, outCode;
    int32_t result;
    const char* message;
  };
  const Case cases[] = {
      {"PCX input", dir.Sub("a.pcx"), 7, 8, -101,
       "ALT: Unsupported source image file format. Unable to load image."},
      {"PCX output", png, 8, 7, -103, "ALT: Unable to convert"},
      {"icon output", png, 8, 12, -103, "ALT: Unable to convert"},
      {"autodetect does not know .jpeg", jpeg, -1, 8, -101,
       "ALT: Unsupported source image file format. Unable to load image."},
      {"autodetect by the last three letters", jpg, -1, 8, 0, ""},
      {"a PNG is not read by the JPEG decoder", png, 1, 8, -101,
       "ALT: Unsupported source image file format. Unable to load image."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = dir.Sub("Out/result.x");
    RemoveFile(out);
    clsConversionOptions item = Item(c.in, c.inCode, out, c.outCode);
    EXPECT_EQ(PerformConversionItemAlternate(item), c.result);
    EXPECT_EQ(item.sErr, c.message);
    EXPECT_EQ(FileExists(out), c.result == 0);
  }
}

TEST(Alternate, DepthConversionsAndFirstPageOnly) {
  TempDir dir;
  const std::string pages = test::WriteTiffPages(dir.Sub("pages.tif"), {21, 22, 23});
  ASSERT_TRUE(
      Gm("-size 19x7 gradient: -colorspace gray -depth 16 '" + dir.Sub("grey16.tif") + "'"));
  ASSERT_TRUE(Gm("-size 18x7 xc:gray +dither -monochrome '" + dir.Sub("mono.tif") + "'"));
  struct Case {
    const char* name;
    std::string in;
    int outCode;
    uint32_t width;
    unsigned long loadedDepth;  // 0: not checked
  };
  const Case cases[] = {
      {"a multi-page TIFF gives its first page", pages, 3, 21, 0},
      {"16-bit grey is reduced to 8 bits", dir.Sub("grey16.tif"), 8, 19, 8},
      {"a 1-bit image is widened for JPEG", dir.Sub("mono.tif"), 1, 18, 1},
      {"true colour is reduced to a palette for GIF", pages, 4, 21, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    imaging::AltWorkingImage work;
    ASSERT_TRUE(AltLoadImage(work, c.in, 3)) << work.lastError();
    if (c.loadedDepth) {
      EXPECT_EQ(work.depth(), c.loadedDepth);
    }
    const std::string out = dir.Sub("out." + std::to_string(c.outCode));
    ASSERT_TRUE(AltSaveImage(work, out, c.outCode, 75)) << work.lastError();
    EXPECT_EQ(PageWidths(out), std::vector<uint32_t>{c.width});
  }
}

TEST(Alternate, FailedSaveKeepsTheExistingOutput) {
  TempDir dir;
  const std::string out = dir.WriteFile("out.png", "earlier");
  imaging::AltWorkingImage work;
  EXPECT_FALSE(AltSaveImage(work, out, 8, 75)) << "nothing loaded yet";
  ASSERT_TRUE(AltLoadImage(work, WriteImage(dir.Sub("a.png"), 8, 20), 8));
  EXPECT_FALSE(work.Load(dir.WriteFile("bad.png", "junk"), 8));
  EXPECT_EQ(work.width(), 20u) << "a failed load keeps the working image";
  EXPECT_EQ(test::ReadWholeFile(out), "earlier");
  EXPECT_TRUE(AltSaveImage(work, out, 8, 75));
  EXPECT_EQ(PageWidths(out), std::vector<uint32_t>{20});
}

}  // namespace
}  // namespace braxel
