// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG 2000 codec: lossless and lossy round trips, the quality mapping, codestreams and JP2
// files made by ImageMagick (precisions, sub-sampling), our files in ImageMagick, damaged files.
#include <gtest/gtest.h>

#include <openjpeg.h>

#include <cstring>

#include "imaging/codecs/j2k/j2k.h"
#include "imaging/formats2_support.h"

namespace braxel::imaging::test {
namespace {

constexpr int kJ2k = 6;

SaveOptions Quality(int quality) {
  SaveOptions options;
  options.jpegQuality = quality;
  return options;
}

// A smooth image, as photographs are: lossy coding is judged on it.
Image MakeSmoothImage(uint32_t width, uint32_t height, PixelLayout layout) {
  Image image = MakeTestImage(width, height, layout);
  const int channels = image.channels();
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c)
        image.row(y)[size_t{x} * channels + c] = static_cast<uint8_t>((x * (c + 2) + y * (3 - c % 3)) & 0xFF);
  return image;
}

struct LayoutCase {
  const char* name;
  uint32_t width, height;
  PixelLayout layout;
};

constexpr LayoutCase kLayouts[] = {
    {"Rgb", 64, 48, PixelLayout::kRgb},       {"Rgba", 40, 33, PixelLayout::kRgba},
    {"Grey", 31, 17, PixelLayout::kGray},     {"GreyAlpha", 20, 20, PixelLayout::kGrayAlpha},
    {"OnePixel", 1, 1, PixelLayout::kRgb},    {"Thin", 300, 2, PixelLayout::kRgb},
};

class J2kRoundTrip : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(J2kRoundTrip, QualityHundredIsLossless) {
  const LayoutCase& c = GetParam();
  const Image source = MakeTestImage(c.width, c.height, c.layout);
  std::string error;
  const ByteVector file = SaveBytes(kJ2k, source, Quality(100), &error);
  ASSERT_FALSE(file.empty()) << error;
  EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kJ2k);
  auto loaded = LoadBytes(kJ2k, file);
  ASSERT_TRUE(loaded) << loaded.message();
  EXPECT_EQ(loaded->layout(), c.layout);
  EXPECT_EQ(MaxDifference(*loaded, source), 0);
}

TEST_P(J2kRoundTrip, QualitySeventyFiveStaysClose) {
  const LayoutCase& c = GetParam();
  const Image source = MakeSmoothImage(c.width, c.height, c.layout);
  std::string error;
  const ByteVector file = SaveBytes(kJ2k, source, Quality(75), &error);
  ASSERT_FALSE(file.empty()) << error;
  auto loaded = LoadBytes(kJ2k, file);
  ASSERT_TRUE(loaded) << loaded.message();
  EXPECT_EQ(loaded->layout(), c.layout);
  EXPECT_GE(Psnr(*loaded, source), 34.0);
}

INSTANTIATE_TEST_SUITE_P(J2k, J2kRoundTrip, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(J2k, LowerQualityGivesSmallerFiles) {
  const Image source = MakeTestImage(128, 96, PixelLayout::kRgb);
  size_t previous = SIZE_MAX;
  for (int quality : {100, 90, 75, 40, 0}) {
    const ByteVector file = SaveBytes(kJ2k, source, Quality(quality));
    ASSERT_FALSE(file.empty()) << "quality " << quality;
    EXPECT_LT(file.size(), previous) << "quality " << quality;
    previous = file.size();
    auto loaded = LoadBytes(kJ2k, file);
    ASSERT_TRUE(loaded);
    if (quality < 100) {
      EXPECT_GE(Psnr(*loaded, source), J2kTargetPsnr(quality) - 3) << "quality " << quality;
    }
  }
  EXPECT_DOUBLE_EQ(J2kTargetPsnr(75), 38.75);
}

// A lossless codestream written with OpenJPEG directly, for component layouts our writer does
// not make: `value(c, x, y)` gives the samples of component c on its own grid.
struct ComponentSpec {
  uint32_t dx, dy, precision;
  bool isSigned;
};
ByteVector EncodeComponents(uint32_t width, uint32_t height, const std::vector<ComponentSpec>& specs,
                            OPJ_COLOR_SPACE space, int (*value)(int c, uint32_t x, uint32_t y)) {
  std::vector<opj_image_cmptparm_t> params(specs.size());
  for (size_t c = 0; c < specs.size(); ++c) {
    std::memset(&params[c], 0, sizeof params[c]);
    params[c].dx = specs[c].dx;
    params[c].dy = specs[c].dy;
    params[c].w = (width + specs[c].dx - 1) / specs[c].dx;
    params[c].h = (height + specs[c].dy - 1) / specs[c].dy;
    params[c].prec = specs[c].precision;
    params[c].sgnd = specs[c].isSigned;
  }
  opj_image_t* image = opj_image_create(static_cast<OPJ_UINT32>(specs.size()), params.data(), space);
  image->x1 = width;
  image->y1 = height;
  for (size_t c = 0; c < specs.size(); ++c)
    for (uint32_t y = 0; y < params[c].h; ++y)
      for (uint32_t x = 0; x < params[c].w; ++x) image->comps[c].data[y * params[c].w + x] = value(static_cast<int>(c), x, y);
  opj_cparameters_t encoding;
  opj_set_default_encoder_parameters(&encoding);
  encoding.tcp_numlayers = 1;
  encoding.cp_disto_alloc = 1;
  encoding.numresolution = 3;
  opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
  const std::string path = ::testing::TempDir() + "/components.j2k";
  opj_stream_t* stream = opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE);
  const bool ok = opj_setup_encoder(codec, &encoding, image) && opj_start_compress(codec, image, stream) &&
                  opj_encode(codec, stream) && opj_end_compress(codec, stream);
  opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  opj_image_destroy(image);
  EXPECT_TRUE(ok);
  return ReadBytes(path);
}

TEST(J2k, UpsamplesSubsampledComponents) {
  // Full-resolution luma-like first component, the other two on a 2x2 grid (as 4:2:0).
  const ByteVector file = EncodeComponents(9, 7, {{1, 1, 8, false}, {2, 2, 8, false}, {2, 2, 8, false}}, OPJ_CLRSPC_SRGB,
                                           [](int c, uint32_t x, uint32_t y) { return static_cast<int>(c * 70 + x * 9 + y * 5); });
  auto loaded = LoadBytes(kJ2k, file);
  ASSERT_TRUE(loaded) << loaded.message();
  ASSERT_EQ(loaded->width(), 9u);
  ASSERT_EQ(loaded->height(), 7u);
  for (uint32_t y = 0; y < 7; ++y)
    for (uint32_t x = 0; x < 9; ++x) {
      const uint8_t* p = loaded->row(y) + x * 3;
      EXPECT_EQ(p[0], x * 9 + y * 5);
      EXPECT_EQ(p[1], 70 + x / 2 * 9 + y / 2 * 5);
      EXPECT_EQ(p[2], 140 + x / 2 * 9 + y / 2 * 5);
    }
}

TEST(J2k, ScalesPrecisionToEightBits) {
  struct Case {
    const char* name;
    ComponentSpec spec;
    int (*value)(int, uint32_t, uint32_t);
    uint8_t expectedFirst, expectedLast;
  };
  const Case cases[] = {
      {"12-bit", {1, 1, 12, false}, [](int, uint32_t x, uint32_t) { return static_cast<int>(x * 4095 / 15); }, 0, 255},
      {"signed 10-bit", {1, 1, 10, true}, [](int, uint32_t x, uint32_t) { return static_cast<int>(x * 1023 / 15) - 512; }, 0, 255},
      {"2-bit", {1, 1, 2, false}, [](int, uint32_t x, uint32_t) { return static_cast<int>(x / 4); }, 0, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto loaded = LoadBytes(kJ2k, EncodeComponents(16, 4, {c.spec}, OPJ_CLRSPC_GRAY, c.value));
    ASSERT_TRUE(loaded) << loaded.message();
    ASSERT_EQ(loaded->layout(), PixelLayout::kGray);
    EXPECT_EQ(loaded->row(0)[0], c.expectedFirst);
    EXPECT_EQ(loaded->row(1)[15], c.expectedLast);
    for (uint32_t x = 1; x < 16; ++x) EXPECT_GE(loaded->row(0)[x], loaded->row(0)[x - 1]);
  }
}

TEST(J2k, ComponentCountCountsAgainstTheLimits) {
  Limits limits;
  limits.maxPixels = 64;
  auto value = [](int c, uint32_t x, uint32_t y) { return static_cast<int>((c + x + y) & 0xFF); };
  for (size_t count : {4u, 20u}) {
    SCOPED_TRACE(count);
    const ByteVector file = EncodeComponents(8, 8, std::vector<ComponentSpec>(count, {1, 1, 8, false}), OPJ_CLRSPC_UNSPECIFIED, value);
    auto loaded = CodecFor(kJ2k).load(Bytes(file.data(), file.size()), kDefaultPage, limits);
    EXPECT_EQ(static_cast<bool>(loaded), count == 4) << (loaded ? "" : loaded.message());
  }
}

struct ForeignCase {
  const char* name;
  const char* arguments;
  const char* extension;
  PixelLayout layout;
  int tolerance;
};

const ForeignCase kForeign[] = {
    {"Codestream", "-quality 0", "j2k", PixelLayout::kRgb, 0},
    {"Jp2", "-quality 0", "jp2", PixelLayout::kRgb, 0},
    {"Jp2Alpha", "-quality 0", "jp2", PixelLayout::kRgba, 0},
    {"Grey", "-colorspace Gray -quality 0", "j2k", PixelLayout::kRgb, 0},
    {"SixteenBits", "-depth 16 -quality 0", "jp2", PixelLayout::kRgb, 0},
    {"FourBits", "-depth 4 -quality 0", "j2k", PixelLayout::kRgb, 0},
    // ImageMagick sub-samples every component of the YCbCr image on a 2x2 grid.
    {"SubsampledYcc", "-colorspace YCbCr -sampling-factor 2x2 -quality 0", "jp2", PixelLayout::kRgb, 3},
    {"Lossy", "-quality 40", "j2k", PixelLayout::kRgb, 0},
};

class J2kForeign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(J2kForeign, ImageMagickFilesLoadWithTheirPixels) {
  const ForeignCase& c = GetParam();
  if (!HaveConverter(kIm)) GTEST_SKIP() << "ImageMagick is not installed";
  const ByteVector file = ConverterEncode(kIm, MakeSmoothImage(45, 27, c.layout), c.arguments, c.extension);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kJ2k);
  auto theirs = ConverterDecode(kIm, file, c.extension);
  ASSERT_TRUE(theirs) << theirs.message();
  auto ours = LoadBytes(kJ2k, file);
  ASSERT_TRUE(ours) << ours.message();
  EXPECT_LE(MaxDifference(*ours, *theirs), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(J2k, J2kForeign, ::testing::ValuesIn(kForeign),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(J2k, OurFilesLoadInImageMagick) {
  if (!HaveConverter(kIm)) GTEST_SKIP() << "ImageMagick is not installed";
  for (PixelLayout layout : {PixelLayout::kRgb, PixelLayout::kRgba, PixelLayout::kGray}) {
    SCOPED_TRACE(ChannelCount(layout));
    const Image source = MakeTestImage(29, 13, layout);
    auto lossless = ConverterDecode(kIm, SaveBytes(kJ2k, source, Quality(100)), "j2k");
    ASSERT_TRUE(lossless) << lossless.message();
    EXPECT_EQ(MaxDifference(*lossless, source), 0);
    const Image smooth = MakeSmoothImage(64, 64, layout);
    auto lossy = ConverterDecode(kIm, SaveBytes(kJ2k, smooth, Quality(75)), "j2k");
    ASSERT_TRUE(lossy) << lossy.message();
    EXPECT_GE(Psnr(*lossy, smooth), 34.0);
  }
}

TEST(J2k, DamagedFilesFailCleanly) {
  const ByteVector good = SaveBytes(kJ2k, MakeTestImage(64, 64, PixelLayout::kRgb), Quality(100));
  std::vector<Damage> cases = Truncations(good.size());
  cases.push_back({"magic only", [](ByteVector& f) { f.resize(4); }});
  cases.push_back({"header only", [](ByteVector& f) { f.resize(60); }});
  cases.push_back({"last bytes missing", [](ByteVector& f) { f.resize(f.size() - 40); }});
  cases.push_back({"not a codestream", [](ByteVector& f) { f[1] = 0; }});
  cases.push_back({"zero width", [](ByteVector& f) { std::fill(f.begin() + 8, f.begin() + 12, 0); }});
  cases.push_back({"huge size", [](ByteVector& f) {
                     std::fill(f.begin() + 8, f.begin() + 16, 0);
                     f[8] = f[12] = 0x7F;
                   }});
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.name);
    ByteVector file = good;
    d.apply(file);
    auto loaded = LoadBytes(kJ2k, file);
    EXPECT_FALSE(loaded);
    if (!loaded) {
      EXPECT_FALSE(loaded.message().empty());
    }
  }
}

}  // namespace
}  // namespace braxel::imaging::test
