// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF specifics: multi-page writing and reading, the five compressions, tags read by exiftool.
#include <gtest/gtest.h>

#include "imaging/core/pixel_convert.h"
#include "imaging/image_file.h"
#include "imaging/image_testing.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace braxel::imaging {
namespace {

using test::MakePhoto;
using test::MaxDifference;
using test::RunOutput;
using test::ToRgba;

TEST(TiffMultiPage, PagesAreKeptInOrder) {
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetTiffCompression(1);
  file.SetMultiPageMode(true);
  const std::string path = dir.Sub("book.tif");
  Image pages[3] = {MakePhoto(30, 20, PixelLayout::kRgb, 1), MakePhoto(25, 40, PixelLayout::kGray, 2),
                    MakePhoto(10, 10, PixelLayout::kRgba, 3)};
  ASSERT_TRUE(file.SaveImageAs(path, 3, pages[0])) << file.lastError();
  EXPECT_FALSE(FileExists(path)) << "appears only when complete";
  ASSERT_TRUE(file.AppendTiffPage(pages[1], false)) << file.lastError();
  ASSERT_TRUE(file.AppendTiffPage(pages[2], true)) << file.lastError();
  file.SetMultiPageMode(false);
  ASSERT_EQ(file.GetPageCount(path), 3);
  for (int i = 0; i < 3; ++i) {
    Image loaded;
    ASSERT_TRUE(file.LoadImagePage(path, i, loaded)) << file.lastError();
    EXPECT_EQ(loaded.layout(), pages[i].layout());
    EXPECT_EQ(MaxDifference(ToRgba(loaded), ToRgba(pages[i])), 0) << i;
  }
  Image none;
  EXPECT_FALSE(file.LoadImagePage(path, 3, none));
  EXPECT_EQ(RunOutput("gm identify '" + path + "' | wc -l"), "3\n");
  EXPECT_FALSE(file.AppendTiffPage(pages[0], true)) << "no file is open after the last page";
}

TEST(TiffMultiPage, AbandonLeavesTargetUntouched) {
  braxel::test::TempDir dir;
  const std::string path = dir.WriteFile("old.tif", "old content");
  {
    ImageFile file;
    file.SetMultiPageMode(true);
    ASSERT_TRUE(file.SaveImageAs(path, 3, MakePhoto(8, 8, PixelLayout::kRgb)));
    ASSERT_TRUE(file.AppendTiffPage(MakePhoto(8, 8, PixelLayout::kRgb), false));
    file.AbandonMultiPage();
    EXPECT_FALSE(file.AppendTiffPage(MakePhoto(8, 8, PixelLayout::kRgb), true));
    ASSERT_TRUE(file.SaveImageAs(path, 3, MakePhoto(8, 8, PixelLayout::kRgb)));
  }  // destroyed unfinished
  EXPECT_EQ(braxel::test::ReadWholeFile(path), "old content");
  EXPECT_EQ(RunOutput("ls -A '" + dir.path() + "'"), "old.tif\n") << "no temporary file left";
}

TEST(TiffMultiPage, OnePageModeWritesOrdinaryFile) {
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetMultiPageMode(false);
  ASSERT_TRUE(file.SaveImageAs(dir.Sub("a.tif"), 3, MakePhoto(8, 8, PixelLayout::kRgb)));
  EXPECT_EQ(file.GetPageCount(dir.Sub("a.tif")), 1);
  EXPECT_FALSE(file.AppendTiffPage(MakePhoto(8, 8, PixelLayout::kRgb), true));
}

struct CompressionCase {
  int code;
  const char* name;  // as exiftool names it
  bool bilevel;
};
constexpr CompressionCase kCompressions[] = {
    {0, "Uncompressed", false}, {1, "LZW", false}, {2, "CCITT 1D", true},
    {3, "T4/Group 3 Fax", true}, {4, "T6/Group 4 Fax", true}};

class TiffCompression : public ::testing::TestWithParam<CompressionCase> {};

TEST_P(TiffCompression, WritesValidFile) {
  const CompressionCase& c = GetParam();
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetTiffCompression(c.code);
  const Image photo = MakePhoto(61, 33, PixelLayout::kRgba);
  const std::string path = dir.Sub("c.tif");
  ASSERT_TRUE(file.SaveImageAs(path, 3, photo)) << file.lastError();
  Image loaded;
  ASSERT_TRUE(file.LoadImageFile(path, loaded)) << file.lastError();
  EXPECT_EQ(RunOutput("exiftool -s -s -s -Compression '" + path + "'"), std::string(c.name) + "\n");
  uint32_t w = 0, h = 0;
  const auto reference = test::DecodeWithGm(path, w, h);
  ASSERT_EQ(w, 61u);
  EXPECT_EQ(MaxDifference(ToRgba(loaded), reference), 0);
  if (c.bilevel) {
    // Thresholded at mid grey after compositing over white.
    EXPECT_EQ(loaded.layout(), PixelLayout::kGray);
    EXPECT_EQ(loaded.metadata.sourceBitsPerSample, 1);
    for (uint32_t y = 0; y < photo.height(); ++y) {
      std::vector<uint8_t> gray(photo.width());
      RowToGray(photo.row(y), photo.layout(), photo.width(), gray.data());
      for (uint32_t x = 0; x < photo.width(); ++x)
        ASSERT_EQ(loaded.row(y)[x], gray[x] < 128 ? 0 : 255) << x << "," << y;
    }
  } else {
    EXPECT_EQ(MaxDifference(ToRgba(loaded), ToRgba(photo)), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, TiffCompression, ::testing::ValuesIn(kCompressions),
                         [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(TiffCompression, UnknownCodeFailsCleanly) {
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetTiffCompression(7);
  EXPECT_FALSE(file.SaveImageAs(dir.Sub("c.tif"), 3, MakePhoto(8, 8, PixelLayout::kRgb)));
  EXPECT_NE(file.lastError().find("compression"), std::string::npos);
  EXPECT_FALSE(FileExists(dir.Sub("c.tif")));
}

// The seven tags as an independent reader sees them, in each format that holds them.
TEST(Tags, ExiftoolReadsThem) {
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetImageTags({"My Title", "My Description", "2023-12-31", "Me", "(c) 2023", "Acme", "Cam 1"});
  const Image image = MakePhoto(16, 16, PixelLayout::kRgb);
  struct Expect {
    int format;
    const char* fields;
    const char* values;
  };
  const Expect cases[] = {
      {3, "-DocumentName -ImageDescription -ModifyDate -Artist -Copyright -Make -Model",
       "My Title\nMy Description\n2023:12:31 00:00:00\nMe\n(c) 2023\nAcme\nCam 1\n"},
      {1, "-XPTitle -ImageDescription -ModifyDate -Artist -Copyright -Make -Model",
       "My Title\nMy Description\n2023:12:31 00:00:00\nMe\n(c) 2023\nAcme\nCam 1\n"},
      {8, "-PNG:Title -PNG:Description -PNG:CreationTime -PNG:Author -PNG:Copyright -PNG:Make -PNG:Model",
       "My Title\nMy Description\n2023-12-31\nMe\n(c) 2023\nAcme\nCam 1\n"},
      {4, "-Comment", "Title: My Title.Description: My Description.DateTime: 2023:12:31 00:00:00."},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.format);
    const std::string path = dir.Sub("tags" + std::to_string(e.format));
    ASSERT_TRUE(file.SaveImageAs(path, e.format, image)) << file.lastError();
    const std::string got = RunOutput(std::string("exiftool -s -s -s ") + e.fields + " '" + path + "'");
    if (e.format == 4)
      EXPECT_EQ(got.rfind(e.values, 0), 0u) << got;
    else
      EXPECT_EQ(got, e.values);
  }
}

}  // namespace
}  // namespace braxel::imaging
