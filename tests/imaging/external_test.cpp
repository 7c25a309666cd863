// SPDX-License-Identifier: GPL-3.0-or-later
// Interchange with independent programs: files written by GraphicsMagick and ImageMagick in each
// format and colour type load with the pixels those programs decode, and Braxel's files load in
// GraphicsMagick with Braxel's pixels.
#include <gtest/gtest.h>

#include "imaging/image_file.h"
#include "imaging/image_testing.h"
#include "support/temp_dir.h"

namespace braxel::imaging {
namespace {

using test::MakePhoto;
using test::MaxDifference;
using test::ToRgba;

struct ForeignCase {
  const char* name;
  const char* command;  // %in is a 64x48 RGBA raw file, %out the file to write
  int tolerance;
};

// `gm` is GraphicsMagick, `im` ImageMagick 6.
// GraphicsMagick widens 5- and 6-bit fields by shifting (31 -> 248) and truncates 16-bit colour
// map entries; Braxel scales and rounds.
constexpr ForeignCase kForeign[] = {
    {"JpegRgb", "gm convert -size 64x48 -depth 8 rgba:%in -quality 90 jpg:%out", 2},
    {"JpegGray", "gm convert -size 64x48 -depth 8 rgba:%in -colorspace gray -quality 90 jpg:%out", 2},
    {"JpegProgressive", "gm convert -size 64x48 -depth 8 rgba:%in -interlace line jpg:%out", 2},
    {"JpegCmyk", "im -size 64x48 -depth 8 rgba:%in -alpha off -colorspace cmyk -quality 95 jpg:%out", 3},
    {"JpegGraySubsampled", "im -size 64x48 -depth 8 rgba:%in -alpha off -sampling-factor 2x2 jpg:%out", 2},
    {"PngRgba", "gm convert -size 64x48 -depth 8 rgba:%in png:%out", 0},
    {"PngRgb", "gm convert -size 64x48 -depth 8 rgba:%in +matte png:%out", 0},
    {"PngGray", "im -size 64x48 -depth 8 rgba:%in -alpha off -colorspace gray png:%out", 0},
    {"PngGrayAlpha", "im -size 64x48 -depth 8 rgba:%in -colorspace gray -define png:color-type=4 png:%out", 0},
    {"PngRgb16", "im -size 64x48 -depth 8 rgba:%in -depth 16 png48:%out", 1},
    {"PngRgba16", "im -size 64x48 -depth 8 rgba:%in -depth 16 png64:%out", 1},
    {"PngPalette", "im -size 64x48 -depth 8 rgba:%in -alpha off -colors 16 png8:%out", 0},
    {"PngPaletteAlpha", "im -size 64x48 -depth 8 rgba:%in -channel A -threshold 50% +channel -colors 16 png8:%out", 0},
    {"PngGray1", "im -size 64x48 -depth 8 rgba:%in -alpha off -threshold 50% -type bilevel png:%out", 0},
    {"PngInterlaced", "gm convert -size 64x48 -depth 8 rgba:%in -interlace line png:%out", 0},
    {"TiffRgbNone", "gm convert -size 64x48 -depth 8 rgba:%in +matte -compress none tif:%out", 0},
    {"TiffRgbaLzw", "gm convert -size 64x48 -depth 8 rgba:%in -compress lzw tif:%out", 0},
    {"TiffGrayZip", "im -size 64x48 -depth 8 rgba:%in -alpha off -colorspace gray -compress zip tif:%out", 0},
    {"TiffGray16", "im -size 64x48 -depth 8 rgba:%in -alpha off -colorspace gray -depth 16 tif:%out", 1},
    {"TiffRgb16", "im -size 64x48 -depth 8 rgba:%in -alpha off -depth 16 tif:%out", 1},
    {"TiffPalette", "im -size 64x48 -depth 8 rgba:%in -alpha off -colors 16 -type palette tif:%out", 1},
    {"TiffBilevelG4", "im -size 64x48 -depth 8 rgba:%in -alpha off -threshold 50% -type bilevel -compress group4 tif:%out", 0},
    {"TiffTiled", "im -size 64x48 -depth 8 rgba:%in -alpha off -define tiff:tile-geometry=16x16 tif:%out", 0},
    {"TiffCmyk", "im -size 64x48 -depth 8 rgba:%in -alpha off -colorspace cmyk tif:%out", 2},
    {"TiffJpegYcbcr", "im -size 64x48 -depth 8 rgba:%in -alpha off -compress jpeg tif:%out", 3},
    {"TiffPlanar", "im -size 64x48 -depth 8 rgba:%in -alpha off -interlace plane tif:%out", 0},
    {"GifPalette", "im -size 64x48 -depth 8 rgba:%in -alpha off -colors 64 gif:%out", 0},
    {"GifTransparent", "im -size 64x48 -depth 8 rgba:%in -channel A -threshold 50% +channel -colors 32 gif:%out", 0},
    {"GifInterlaced", "im -size 64x48 -depth 8 rgba:%in -alpha off -colors 64 -interlace gif gif:%out", 0},
    {"Bmp24", "gm convert -size 64x48 -depth 8 rgba:%in +matte bmp:%out", 0},
    {"Bmp32Alpha", "im -size 64x48 -depth 8 rgba:%in bmp:%out", 0},
    {"Bmp8Palette", "im -size 64x48 -depth 8 rgba:%in -alpha off -colors 200 -type palette bmp3:%out", 0},
    {"Bmp8Rle", "im -size 64x48 -depth 8 rgba:%in -alpha off -colors 200 -type palette -compress rle bmp3:%out", 0},
    {"Bmp4Palette", "im -size 64x48 -depth 8 rgba:%in -alpha off -colors 16 -type palette bmp3:%out", 0},
    {"Bmp1", "im -size 64x48 -depth 8 rgba:%in -alpha off -threshold 50% -type bilevel bmp3:%out", 0},
    {"Bmp16", "im -size 64x48 -depth 8 rgba:%in -alpha off -define bmp:subtype=RGB565 bmp:%out", 7},
    {"BmpOs2", "im -size 64x48 -depth 8 rgba:%in -alpha off bmp2:%out", 0},
};

std::string Expand(std::string command, const std::string& in, const std::string& out) {
  auto replace = [&command](const std::string& from, const std::string& to) {
    for (size_t at; (at = command.find(from)) != std::string::npos;) command.replace(at, from.size(), to);
  };
  if (command.rfind("im ", 0) == 0) command.replace(0, 2, "convert-im6.q16");
  replace("%in", "'" + in + "'");
  replace("%out", "'" + out + "'");
  return command;
}

class ForeignFile : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignFile, LoadsWithTheSamePixels) {
  const ForeignCase& c = GetParam();
  braxel::test::TempDir dir;
  const std::string raw = dir.Sub("in.rgba"), file = dir.Sub("in.img");
  test::WriteRaw(raw, ToRgba(MakePhoto(64, 48, PixelLayout::kRgba)));
  ASSERT_EQ(test::Run(Expand(c.command, raw, file)), 0) << Expand(c.command, raw, file);
  uint32_t w = 0, h = 0;
  const auto reference = test::DecodeWithGm(file, w, h);
  ASSERT_FALSE(reference.empty());
  ImageFile imageFile;
  Image loaded;
  ASSERT_TRUE(imageFile.LoadImageFile(file, loaded)) << imageFile.lastError();
  ASSERT_EQ(loaded.width(), w);
  ASSERT_EQ(loaded.height(), h);
  EXPECT_LE(MaxDifference(ToRgba(loaded), reference), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Writers, ForeignFile, ::testing::ValuesIn(kForeign),
                         [](const auto& info) { return std::string(info.param.name); });

struct OwnCase {
  const char* name;
  int format;
  PixelLayout layout;
  int tolerance;
};
constexpr OwnCase kOwn[] = {
    {"Jpeg", 1, PixelLayout::kRgb, 1},       {"JpegGray", 1, PixelLayout::kGray, 1},
    {"Png", 8, PixelLayout::kRgba, 0},       {"PngGray", 8, PixelLayout::kGrayAlpha, 0},
    {"Tiff", 3, PixelLayout::kRgba, 0},      {"TiffGray", 3, PixelLayout::kGray, 0},
    {"Bmp", 2, PixelLayout::kRgb, 0},        {"BmpAlpha", 2, PixelLayout::kRgba, 0},
    {"Gif", 4, PixelLayout::kRgb, 0},
};

class OwnFile : public ::testing::TestWithParam<OwnCase> {};

TEST_P(OwnFile, LoadsInGraphicsMagick) {
  const OwnCase& c = GetParam();
  braxel::test::TempDir dir;
  ImageFile imageFile;
  imageFile.SetJpegQuality(85);
  const std::string path = dir.Sub("out.img");
  ASSERT_TRUE(imageFile.SaveImageAs(path, c.format, MakePhoto(64, 48, c.layout))) << imageFile.lastError();
  Image ours;
  ASSERT_TRUE(imageFile.LoadImageFile(path, ours));
  uint32_t w = 0, h = 0;
  const auto reference = test::DecodeWithGm(path, w, h);
  ASSERT_EQ(w, 64u);
  ASSERT_EQ(h, 48u);
  EXPECT_LE(MaxDifference(ToRgba(ours), reference), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Formats, OwnFile, ::testing::ValuesIn(kOwn),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace braxel::imaging
