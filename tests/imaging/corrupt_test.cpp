// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged input: truncated files fail to load, corrupted files never crash and never give a
// partial image, and headers that claim huge images are refused before anything is allocated.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/image_file.h"
#include "imaging/image_testing.h"
#include "support/temp_dir.h"

namespace braxel::imaging {
namespace {

using test::MakePhoto;

struct Source {
  const char* name;
  int format;         // written by Braxel when command is null
  PixelLayout layout;
  int tiffCompression;
  const char* command;  // or made by ImageMagick from a PNG (%in) into %out
};

constexpr Source kSources[] = {
    {"Jpeg", 1, PixelLayout::kRgb, 0, nullptr},
    {"JpegProgressive", 0, PixelLayout::kRgb, 0, "-interlace line jpg"},
    {"Png", 8, PixelLayout::kRgba, 0, nullptr},
    {"PngInterlaced", 0, PixelLayout::kRgb, 0, "-interlace line png"},
    {"TiffLzw", 3, PixelLayout::kRgb, 1, nullptr},
    {"TiffG4", 3, PixelLayout::kRgb, 4, nullptr},
    {"TiffTiled", 0, PixelLayout::kRgb, 0, "-define tiff:tile-geometry=16x16 -compress lzw tif"},
    {"Gif", 4, PixelLayout::kRgb, 0, nullptr},
    {"Bmp", 2, PixelLayout::kRgba, 0, nullptr},
    {"BmpRle8", 0, PixelLayout::kRgb, 0, "-colors 200 -type palette -compress rle bmp3"},
    {"BmpRle4", 0, PixelLayout::kRgb, 0, "-colors 16 -type palette -compress rle bmp3"},
};

std::string MakeSource(const Source& s, const braxel::test::TempDir& dir) {
  ImageFile file;
  file.SetTiffCompression(s.tiffCompression);
  const std::string path = dir.Sub("good");
  const Image photo = MakePhoto(97, 61, s.layout);
  if (!s.command) return file.SaveImageAs(path, s.format, photo) ? path : "";
  if (!file.SaveImageAs(dir.Sub("in.png"), 8, photo)) return "";
  const std::string format = std::string(s.command).substr(std::string(s.command).rfind(' ') + 1);
  const std::string options = std::string(s.command).substr(0, std::string(s.command).rfind(' '));
  return test::Run("convert-im6.q16 '" + dir.Sub("in.png") + "' " + options + " " + format + ":'" + path + "'") == 0
             ? path
             : "";
}

class Damaged : public ::testing::TestWithParam<Source> {};

TEST_P(Damaged, TruncatedFilesFail) {
  braxel::test::TempDir dir;
  const std::string good = MakeSource(GetParam(), dir);
  ASSERT_FALSE(good.empty());
  const std::string bytes = braxel::test::ReadWholeFile(good);
  ImageFile file;
  Image image;
  ASSERT_TRUE(file.LoadImageFile(good, image)) << file.lastError();
  for (double fraction : {0.0, 0.01, 0.1, 0.5, 0.8, 0.95}) {
    const size_t keep = std::max<size_t>(1, static_cast<size_t>(bytes.size() * fraction));
    const std::string path = dir.WriteFile("cut", bytes.substr(0, keep));
    EXPECT_FALSE(file.LoadImageFile(path, image)) << "kept " << keep << " of " << bytes.size();
    EXPECT_TRUE(image.empty());
    EXPECT_FALSE(file.lastError().empty());
  }
}

TEST_P(Damaged, CorruptedFilesNeverCrash) {
  braxel::test::TempDir dir;
  const std::string good = MakeSource(GetParam(), dir);
  ASSERT_FALSE(good.empty());
  const std::string bytes = braxel::test::ReadWholeFile(good);
  ImageFile file;
  uint32_t state = 12345;
  for (int round = 0; round < 60; ++round) {
    std::string damaged = bytes;
    // Early rounds hit the headers, later ones anywhere.
    const size_t span = round < 30 ? std::min<size_t>(bytes.size(), 64) : bytes.size();
    for (int k = 0; k < 1 + round % 4; ++k) {
      state = state * 1664525u + 1013904223u;
      damaged[(state >> 8) % span] = static_cast<char>(state >> 24);
    }
    const std::string path = dir.WriteFile("bad", damaged);
    Image image;
    if (file.LoadImageFile(path, image)) {
      EXPECT_FALSE(image.empty());
      EXPECT_EQ(image.byteSize(), size_t{image.width()} * image.height() * image.channels());
    } else {
      EXPECT_TRUE(image.empty());
    }
    file.GetPageCount(path);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, Damaged, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return std::string(info.param.name); });

void Put16(std::string& s, size_t at, uint32_t v, bool big) {
  s[at + (big ? 1 : 0)] = static_cast<char>(v & 0xff);
  s[at + (big ? 0 : 1)] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, size_t at, uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i) s[at + (big ? 3 - i : i)] = static_cast<char>(v >> (8 * i));
}
uint32_t Crc32(const std::string& s, size_t from, size_t length) {
  uint32_t crc = 0xffffffffu;
  for (size_t i = from; i < from + length; ++i) {
    crc ^= static_cast<uint8_t>(s[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// Headers patched to claim 60000 x 60000 pixels or more; the default limits refuse them.
TEST(HugeHeader, IsRefusedBeforeAllocation) {
  braxel::test::TempDir dir;
  ImageFile writer;
  const Image small = MakePhoto(16, 16, PixelLayout::kRgb);
  struct Patch {
    int format;
    void (*apply)(std::string&);
    const char* message = "exceeds";
  };
  const Patch patches[] = {
      {2, [](std::string& s) { Put32(s, 18, 2000000, false), Put32(s, 22, 2000000, false); }},
      {8, [](std::string& s) {
         Put32(s, 16, 60000, true), Put32(s, 20, 60000, true);
         Put32(s, 29, Crc32(s, 12, 17), true);
       }},
      // A chunk after IHDR that claims 2 GB: refused before libpng allocates a buffer for it.
      {8, [](std::string& s) { Put32(s, 33, 0x7fffffff, true); }, "truncated"},
      {1, [](std::string& s) {
         const size_t sof = s.find("\xff\xc0");
         Put16(s, sof + 5, 65000, true), Put16(s, sof + 7, 65000, true);
       }},
      {4, [](std::string& s) {
         Put16(s, 6, 65535, false), Put16(s, 8, 65535, false);
         const size_t desc = s.find(',');  // image separator
         Put16(s, desc + 5, 65535, false), Put16(s, desc + 7, 65535, false);
       }},
  };
  for (const Patch& p : patches) {
    SCOPED_TRACE(p.format);
    const std::string good = dir.Sub("good");
    ASSERT_TRUE(writer.SaveImageAs(good, p.format, small));
    std::string bytes = braxel::test::ReadWholeFile(good);
    p.apply(bytes);
    const std::string path = dir.WriteFile("huge", bytes);
    ImageFile file;
    Image image;
    EXPECT_FALSE(file.LoadImageFile(path, image));
    EXPECT_NE(file.lastError().find(p.message), std::string::npos) << file.lastError();
  }
}

// Every reader checks the limits from the header, including TIFF's.
TEST(HugeHeader, EveryReaderHonoursTheLimits) {
  braxel::test::TempDir dir;
  ImageFile writer;
  Limits tight;
  tight.maxPixels = 1000;
  ImageFile file(tight);
  for (int format : {1, 2, 3, 4, 8}) {
    const std::string path = dir.Sub("f" + std::to_string(format));
    ASSERT_TRUE(writer.SaveImageAs(path, format, MakePhoto(40, 30, PixelLayout::kRgb)));
    Image image;
    EXPECT_FALSE(file.LoadImageFile(path, image)) << format;
    EXPECT_NE(file.lastError().find("exceeds"), std::string::npos) << file.lastError();
    ASSERT_TRUE(writer.LoadImageFile(path, image)) << writer.lastError();
  }
}

TEST(Limits, EnvironmentOverridesDefaults) {
  ::setenv("BRAXEL_MAX_PIXELS", "5000", 1);
  ::setenv("BRAXEL_MAX_DIMENSION", "100", 1);
  const Limits limits = Limits::FromEnvironment();
  ::unsetenv("BRAXEL_MAX_PIXELS");
  ::unsetenv("BRAXEL_MAX_DIMENSION");
  EXPECT_EQ(limits.maxPixels, 5000u);
  EXPECT_EQ(limits.maxDimension, 100u);
  EXPECT_TRUE(limits.Check(50, 100));
  EXPECT_FALSE(limits.Check(101, 1));
  EXPECT_FALSE(limits.Check(80, 80));
  EXPECT_GE(Limits{}.maxPixels, 1ull << 30);
}

TEST(Load, ContentDecidesNotExtension) {
  braxel::test::TempDir dir;
  ImageFile file;
  ASSERT_TRUE(file.SaveImageAs(dir.Sub("png-with-jpeg-extension.jpg"), 8, MakePhoto(9, 9, PixelLayout::kRgba)));
  Image image;
  ASSERT_TRUE(file.LoadImageFile(dir.Sub("png-with-jpeg-extension.jpg"), image)) << file.lastError();
  EXPECT_EQ(image.layout(), PixelLayout::kRgba);
  dir.WriteFile("text.png", "this is not an image at all");
  EXPECT_FALSE(file.LoadImageFile(dir.Sub("text.png"), image));
  EXPECT_NE(file.lastError().find("unrecognised"), std::string::npos);
  EXPECT_FALSE(file.LoadImageFile(dir.Sub("missing.png"), image));
  EXPECT_EQ(file.GetPageCount(dir.Sub("missing.png")), 0);
}

}  // namespace
}  // namespace braxel::imaging
