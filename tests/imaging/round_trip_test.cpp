// SPDX-License-Identifier: GPL-3.0-or-later
// Round trips through every writer: pixels come back (exactly for lossless formats), the layout
// and palette are what the writer promises, and tags, resolution and ICC profiles are carried.
#include <gtest/gtest.h>

#include "imaging/image_file.h"
#include "imaging/image_testing.h"
#include "support/temp_dir.h"

namespace braxel::imaging {
namespace {

using test::MakePhoto;
using test::MaxDifference;
using test::ToRgba;

struct RoundTripCase {
  const char* name;
  int format;
  PixelLayout layout;
  int tiffCompression;
  int tolerance;               // largest sample difference allowed
  PixelLayout expectedLayout;  // layout after loading back
};

// Lossy or lossy-by-design writers: JPEG drops alpha (over white), BMP/GIF keep binary data.
constexpr RoundTripCase kRoundTrips[] = {
    {"JpegGray", 1, PixelLayout::kGray, 0, 8, PixelLayout::kGray},
    {"JpegRgb", 1, PixelLayout::kRgb, 0, 24, PixelLayout::kRgb},
    {"PngGray", 8, PixelLayout::kGray, 0, 0, PixelLayout::kGray},
    {"PngGrayAlpha", 8, PixelLayout::kGrayAlpha, 0, 0, PixelLayout::kGrayAlpha},
    {"PngRgb", 8, PixelLayout::kRgb, 0, 0, PixelLayout::kRgb},
    {"PngRgba", 8, PixelLayout::kRgba, 0, 0, PixelLayout::kRgba},
    {"TiffGrayNone", 3, PixelLayout::kGray, 0, 0, PixelLayout::kGray},
    {"TiffGrayAlphaLzw", 3, PixelLayout::kGrayAlpha, 1, 0, PixelLayout::kGrayAlpha},
    {"TiffRgbLzw", 3, PixelLayout::kRgb, 1, 0, PixelLayout::kRgb},
    {"TiffRgbaNone", 3, PixelLayout::kRgba, 0, 0, PixelLayout::kRgba},
    {"BmpGray", 2, PixelLayout::kGray, 0, 0, PixelLayout::kRgb},
    {"BmpRgb", 2, PixelLayout::kRgb, 0, 0, PixelLayout::kRgb},
    {"BmpRgba", 2, PixelLayout::kRgba, 0, 0, PixelLayout::kRgba},
};

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, KeepsPixels) {
  const RoundTripCase& c = GetParam();
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetJpegQuality(90);
  file.SetTiffCompression(c.tiffCompression);
  Image original = MakePhoto(67, 45, c.layout);
  const std::string path = dir.Sub("out.img");
  ASSERT_TRUE(file.SaveImageAs(path, c.format, original)) << file.lastError();
  Image loaded;
  ASSERT_TRUE(file.LoadImageFile(path, loaded)) << file.lastError();
  EXPECT_EQ(loaded.width(), original.width());
  EXPECT_EQ(loaded.height(), original.height());
  EXPECT_EQ(loaded.layout(), c.expectedLayout);
  EXPECT_LE(MaxDifference(ToRgba(loaded), ToRgba(original)), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoundTrip, JpegCompositesAlphaOverWhite) {
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetJpegQuality(95);
  Image image = std::move(Image::Create(16, 16, PixelLayout::kRgba, Limits{}).value());  // transparent black
  ASSERT_TRUE(file.SaveImageAs(dir.Sub("a.jpg"), 1, image));
  Image loaded;
  ASSERT_TRUE(file.LoadImageFile(dir.Sub("a.jpg"), loaded));
  ASSERT_EQ(loaded.layout(), PixelLayout::kRgb);
  for (size_t i = 0; i < loaded.byteSize(); ++i) ASSERT_GE(loaded.data()[i], 250);
}

// Paletted images keep their exact palette in PNG, BMP, TIFF and GIF.
TEST(RoundTrip, PaletteIsKept) {
  braxel::test::TempDir dir;
  ImageFile file;
  const Image original = test::MakePaletted(40, 30, 12);
  for (int format : {8, 2, 3, 4}) {
    SCOPED_TRACE(format);
    const std::string path = dir.Sub("p" + std::to_string(format));
    ASSERT_TRUE(file.SaveImageAs(path, format, original)) << file.lastError();
    Image loaded;
    ASSERT_TRUE(file.LoadImageFile(path, loaded)) << file.lastError();
    EXPECT_EQ(MaxDifference(ToRgba(loaded), ToRgba(original)), 0);
    ASSERT_GE(loaded.metadata.palette.size(), 12u);
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(loaded.metadata.palette[i], original.metadata.palette[i]) << i;
  }
}

TEST(RoundTrip, GifQuantisesPhotosAndKeepsTransparency) {
  braxel::test::TempDir dir;
  ImageFile file;
  Image photo = MakePhoto(80, 60, PixelLayout::kRgba);
  // Left half opaque, right half fully transparent.
  for (uint32_t y = 0; y < photo.height(); ++y)
    for (uint32_t x = 0; x < photo.width(); ++x) photo.row(y)[4 * x + 3] = x < 40 ? 255 : 0;
  ASSERT_TRUE(file.SaveImageAs(dir.Sub("q.gif"), 4, photo)) << file.lastError();
  Image loaded;
  ASSERT_TRUE(file.LoadImageFile(dir.Sub("q.gif"), loaded)) << file.lastError();
  ASSERT_EQ(loaded.layout(), PixelLayout::kRgba);
  const auto a = ToRgba(loaded), b = ToRgba(photo);
  double error = 0;
  for (size_t i = 0; i < a.size(); i += 4) {
    ASSERT_EQ(a[i + 3], b[i + 3]) << i / 4;
    if (b[i + 3]) error += std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]);
  }
  EXPECT_LT(error / (40 * 60 * 3), 6.0);  // dithered 256 colours stay close on average
}

TEST(RoundTrip, TagsResolutionAndIccAreCarried) {
  braxel::test::TempDir dir;
  ImageFile file;
  ImageTags tags{"T\xc3\xa9tle", "Desc", "2024-03-05 14:07:09", "Ann Author", "(c) Me", "Maker", "Model X"};
  file.SetImageTags(tags);
  Image image = MakePhoto(20, 10, PixelLayout::kRgb);
  image.metadata.resolutionX = image.metadata.resolutionY = 300;
  image.metadata.iccProfile.assign(200, 7);  // opaque bytes; the readers carry them unchanged
  ImageTags expected = tags;
  expected.dateTime = "2024:03:05 14:07:09";
  for (int format : {1, 3, 8, 4}) {
    SCOPED_TRACE(format);
    const std::string path = dir.Sub("t" + std::to_string(format));
    ASSERT_TRUE(file.SaveImageAs(path, format, image)) << file.lastError();
    Image loaded;
    ASSERT_TRUE(file.LoadImageFile(path, loaded)) << file.lastError();
    ImageTags want = expected;
    if (format == 8) want.dateTime = tags.dateTime;  // PNG keeps the text as given
    EXPECT_EQ(loaded.metadata.tags, want);
    if (format != 4) {
      EXPECT_NEAR(loaded.metadata.resolutionX, 300, 0.5);
    }
  }
  // A fake profile is not a valid ICC profile for libpng; JPEG and TIFF carry any bytes.
  for (int format : {1, 3}) {
    Image loaded;
    ASSERT_TRUE(file.LoadImageFile(dir.Sub("t" + std::to_string(format)), loaded));
    EXPECT_EQ(loaded.metadata.iccProfile, image.metadata.iccProfile) << format;
  }
}

TEST(RoundTrip, EmptyTagsAreNotWritten) {
  braxel::test::TempDir dir;
  ImageFile file;
  file.SetImageTags(ImageTags{"Only title", "", "", "", "", "", ""});
  ASSERT_TRUE(file.SaveImageAs(dir.Sub("a.tif"), 3, MakePhoto(8, 8, PixelLayout::kRgb)));
  const std::string dump = test::RunOutput("exiftool -s -s -s -Artist -Copyright -Make -DocumentName '" + dir.Sub("a.tif") + "'");
  EXPECT_EQ(dump, "Only title\n");
}

TEST(ImageFileSave, CodesWithoutWriterFailCleanly) {
  braxel::test::TempDir dir;
  ImageFile file;
  const Image image = MakePhoto(8, 8, PixelLayout::kRgb);
  for (int code : {0, 5, 11, 12, 13, 14, 15, -1}) {
    EXPECT_FALSE(file.SaveImageAs(dir.Sub("x"), code, image)) << code;
    EXPECT_NE(file.lastError().find("not supported"), std::string::npos) << file.lastError();
  }
  EXPECT_FALSE(file.SaveImageAs(dir.Sub("x"), 1, Image())) << "empty image";
  EXPECT_FALSE(file.SaveImageAs(dir.Sub("missing/x.png"), 8, image));
  EXPECT_TRUE(std::system(("test -z \"$(ls -A '" + dir.path() + "')\"").c_str()) == 0) << "no file left behind";
}

}  // namespace
}  // namespace braxel::imaging
