// SPDX-License-Identifier: GPL-3.0-or-later
// Targa codec: round trips, hand-built 15/16-bit and oriented files, files made by
// GraphicsMagick and ImageMagick, our files in them, and damaged files.
#include <gtest/gtest.h>

#include "imaging/formats2_support.h"

namespace braxel::imaging::test {
namespace {

constexpr int kTga = 10;

struct RoundTripCase {
  const char* name;
  uint32_t width, height;
  PixelLayout layout;
  int colours;
  int expectedBits;
};

constexpr RoundTripCase kRoundTrips[] = {
    {"TrueColour", 37, 21, PixelLayout::kRgb, 0, 24},
    {"Alpha", 33, 17, PixelLayout::kRgba, 0, 32},
    {"FewColoursMakeRuns", 300, 7, PixelLayout::kRgba, 3, 32},
    {"Grey", 19, 5, PixelLayout::kGray, 0, 24},
    {"GreyAlpha", 19, 5, PixelLayout::kGrayAlpha, 0, 32},
    {"OnePixel", 1, 1, PixelLayout::kRgb, 0, 24},
};

class TgaRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(TgaRoundTrip, KeepsPixels) {
  const RoundTripCase& c = GetParam();
  const Image source = MakeTestImage(c.width, c.height, c.layout, c.colours);
  std::string error;
  const ByteVector file = SaveBytes(kTga, source, {}, &error);
  ASSERT_FALSE(file.empty()) << error;
  EXPECT_EQ(file[2], 10);
  EXPECT_EQ(file[16], c.expectedBits);
  EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kTga);
  auto loaded = LoadBytes(kTga, file);
  ASSERT_TRUE(loaded) << loaded.message();
  EXPECT_EQ(HasAlpha(loaded->layout()), HasAlpha(c.layout));
  EXPECT_EQ(MaxDifference(*loaded, source), 0);
}

INSTANTIATE_TEST_SUITE_P(Tga, TgaRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

// A 2x2 file of 16-bit pixels (ARRRRRGG GGGBBBBB) in file order, with the given descriptor.
ByteVector Make16Bit(uint8_t descriptor, int pixelBits, const uint16_t (&pixels)[4]) {
  ByteVector f = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, static_cast<uint8_t>(pixelBits), descriptor};
  for (uint16_t p : pixels) PutLe16(f, p);
  return f;
}

TEST(Tga, ReadsSixteenBitPixelsInEveryOrientation) {
  // Red (opaque), green (transparent), blue (opaque), white (transparent), in file order.
  const uint16_t pixels[4] = {0xFC00, 0x03E0, 0x801F, 0x7FFF};
  struct Case {
    const char* name;
    uint8_t descriptor;
    int bits;
    // Index into `pixels` of the file pixel shown at top-left, top-right, bottom-left, bottom-right.
    int order[4];
    bool alpha;
  };
  const Case cases[] = {
      {"bottom-left origin", 0x01, 16, {2, 3, 0, 1}, true},
      {"top-left origin", 0x21, 16, {0, 1, 2, 3}, true},
      {"top-right origin", 0x31, 16, {1, 0, 3, 2}, true},
      {"bottom-right origin", 0x11, 16, {3, 2, 1, 0}, true},
      {"no alpha bits", 0x20, 16, {0, 1, 2, 3}, false},
      {"15 bits", 0x20, 15, {0, 1, 2, 3}, false},
  };
  const uint8_t rgba[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 255}, {255, 255, 255, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto loaded = LoadBytes(kTga, Make16Bit(c.descriptor, c.bits, pixels));
    ASSERT_TRUE(loaded) << loaded.message();
    ASSERT_EQ(loaded->layout(), c.alpha ? PixelLayout::kRgba : PixelLayout::kRgb);
    const auto got = ToRgba(*loaded);
    for (int i = 0; i < 4; ++i)
      for (int s = 0; s < 4; ++s)
        EXPECT_EQ(got[i * 4 + s], s == 3 && !c.alpha ? 255 : rgba[c.order[i]][s]) << "pixel " << i;
  }
}

TEST(Tga, ZeroAlphaBytesMeanOpaque) {
  // 32-bit pixels whose alpha bytes are all zero, as some writers leave them.
  ByteVector f = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, 0x28};
  for (int i = 0; i < 2; ++i) f.insert(f.end(), {10, 20, 30, 0});
  auto loaded = LoadBytes(kTga, f);
  ASSERT_TRUE(loaded) << loaded.message();
  EXPECT_EQ(loaded->layout(), PixelLayout::kRgb);
  EXPECT_EQ(loaded->data()[0], 30);
}

struct ForeignCase {
  const char* name;
  const std::string* converter;
  const char* arguments;
  PixelLayout layout;
  int expectedType;
};

const ForeignCase kForeign[] = {
    {"GmTrueColour", &kGm, "", PixelLayout::kRgb, 2},
    {"GmAlpha", &kGm, "", PixelLayout::kRgba, 2},
    {"GmPalette", &kGm, "-colors 100 -type Palette", PixelLayout::kRgb, 1},
    {"GmGrey", &kGm, "-type Grayscale", PixelLayout::kRgb, 3},
    {"ImTrueColour", &kIm, "", PixelLayout::kRgb, 2},
    {"ImAlphaRle", &kIm, "-compress RLE", PixelLayout::kRgba, 10},
    {"ImPalette", &kIm, "-colors 60 -type Palette", PixelLayout::kRgb, 1},
    {"ImPaletteRle", &kIm, "-colors 60 -type Palette -compress RLE", PixelLayout::kRgb, 9},
    {"ImGreyRle", &kIm, "-type Grayscale -compress RLE", PixelLayout::kRgb, 11},
    {"ImTopLeft", &kIm, "-orient TopLeft", PixelLayout::kRgb, 2},
};

class TgaForeign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(TgaForeign, LoadsWithTheirPixels) {
  const ForeignCase& c = GetParam();
  if (!HaveConverter(*c.converter)) GTEST_SKIP() << *c.converter << " is not installed";
  const Image source = MakeTestImage(41, 23, c.layout);
  const ByteVector file = ConverterEncode(*c.converter, source, c.arguments, "tga");
  ASSERT_GE(file.size(), 18u);
  EXPECT_EQ(file[2], c.expectedType);
  auto theirs = ConverterDecode(*c.converter, file, "tga");
  ASSERT_TRUE(theirs) << theirs.message();
  auto ours = LoadBytes(kTga, file);
  ASSERT_TRUE(ours) << ours.message();
  EXPECT_EQ(MaxDifference(*ours, *theirs), 0);
}

INSTANTIATE_TEST_SUITE_P(Tga, TgaForeign, ::testing::ValuesIn(kForeign),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Tga, OurFilesLoadInConverters) {
  for (const std::string* converter : {&kGm, &kIm}) {
    if (!HaveConverter(*converter)) continue;
    for (PixelLayout layout : {PixelLayout::kRgb, PixelLayout::kRgba}) {
      SCOPED_TRACE(*converter + " channels " + std::to_string(ChannelCount(layout)));
      const Image source = MakeTestImage(29, 13, layout);
      auto theirs = ConverterDecode(*converter, SaveBytes(kTga, source), "tga");
      ASSERT_TRUE(theirs) << theirs.message();
      EXPECT_EQ(MaxDifference(*theirs, source), 0);
    }
  }
}

TEST(Tga, DamagedFilesFailCleanly) {
  const ByteVector good = SaveBytes(kTga, MakeTestImage(40, 30, PixelLayout::kRgba));
  const ByteVector mapped = ConverterEncode(kGm, MakeTestImage(40, 30, PixelLayout::kRgb, 20), "-type Palette", "tga");
  struct Case {
    const ByteVector* file;
    Damage damage;
  };
  std::vector<Case> cases;
  for (const Damage& d : Truncations(good.size())) cases.push_back({&good, d});
  cases.push_back({&good, {"header only", [](ByteVector& f) { f.resize(18); }}});
  cases.push_back({&good, {"pixels cut", [](ByteVector& f) { f.resize(f.size() - 26 - 40); }}});
  cases.push_back({&good, {"type 4", [](ByteVector& f) { f[2] = 4; }}});
  cases.push_back({&good, {"type 12", [](ByteVector& f) { f[2] = 12; }}});
  cases.push_back({&good, {"map type 2", [](ByteVector& f) { f[1] = 2; }}});
  cases.push_back({&good, {"pixel bits 20", [](ByteVector& f) { f[16] = 20; }}});
  cases.push_back({&good, {"zero height", [](ByteVector& f) { f[14] = f[15] = 0; }}});
  cases.push_back({&good, {"mapped without map", [](ByteVector& f) { f[2] = 1; f[16] = 8; }}});
  cases.push_back({&good, {"id runs past end", [](ByteVector& f) { f[0] = 255; f.resize(200); }}});
  cases.push_back({&good, {"huge size", [](ByteVector& f) { f[12] = f[13] = f[14] = f[15] = 0xFF; }}});
  if (!mapped.empty()) {
    cases.push_back({&mapped, {"map cut", [](ByteVector& f) { f.resize(18 + 30); }}});
    cases.push_back({&mapped, {"index outside map", [](ByteVector& f) { f[5] = 4; f[6] = 0; f.resize(18 + 4 * 3 + 1200); }}});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage.name);
    ByteVector file = *c.file;
    c.damage.apply(file);
    auto loaded = LoadBytes(kTga, file);
    EXPECT_FALSE(loaded);
    if (!loaded) {
      EXPECT_FALSE(loaded.message().empty());
    }
  }
}

TEST(Tga, WritesFuzzSeeds) {
  bool written = WriteFuzzSeed("tga_fuzz", "rgb.tga", SaveBytes(kTga, MakeTestImage(13, 7, PixelLayout::kRgb)));
  if (!written) GTEST_SKIP() << "BRAXEL_FUZZ_SEEDS is not set";
  WriteFuzzSeed("tga_fuzz", "rgba.tga", SaveBytes(kTga, MakeTestImage(13, 7, PixelLayout::kRgba, 3)));
  const uint16_t pixels[4] = {0xFC00, 0x03E0, 0x801F, 0x7FFF};
  WriteFuzzSeed("tga_fuzz", "16bit.tga", Make16Bit(0x31, 16, pixels));
  WriteFuzzSeed("tga_fuzz", "palette-rle.tga", ConverterEncode(kIm, MakeTestImage(9, 5, PixelLayout::kRgb), "-colors 8 -type Palette -compress RLE", "tga"));
  WriteFuzzSeed("tga_fuzz", "grey.tga", ConverterEncode(kGm, MakeTestImage(9, 5, PixelLayout::kRgb), "-type Grayscale", "tga"));
}

}  // namespace
}  // namespace braxel::imaging::test
