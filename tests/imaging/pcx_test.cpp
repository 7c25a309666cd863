// SPDX-License-Identifier: GPL-3.0-or-later
// PCX codec: round trips, files made by GraphicsMagick and ImageMagick, our files in them, and
// damaged files.
#include <gtest/gtest.h>

#include "imaging/formats2_support.h"

namespace braxel::imaging::test {
namespace {

constexpr int kPcx = 7;

struct RoundTripCase {
  const char* name;
  uint32_t width, height;
  PixelLayout layout;
  int colours;
  int expectedPlanes;
};

constexpr RoundTripCase kRoundTrips[] = {
    {"TrueColour", 37, 21, PixelLayout::kRgb, 0, 3},
    {"Paletted", 33, 17, PixelLayout::kRgb, 200, 1},
    {"Grey", 19, 5, PixelLayout::kGray, 0, 1},
    {"OnePixel", 1, 1, PixelLayout::kRgb, 0, 1},
    {"AlphaIsDropped", 40, 20, PixelLayout::kRgba, 0, 3},
};

class PcxRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(PcxRoundTrip, KeepsPixels) {
  const RoundTripCase& c = GetParam();
  const Image source = MakeTestImage(c.width, c.height, c.layout, c.colours);
  std::string error;
  const ByteVector file = SaveBytes(kPcx, source, {}, &error);
  ASSERT_FALSE(file.empty()) << error;
  EXPECT_EQ(file[65], c.expectedPlanes);
  EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kPcx);
  auto loaded = LoadBytes(kPcx, file);
  ASSERT_TRUE(loaded) << loaded.message();
  Image expected = source.Clone();
  if (HasAlpha(c.layout)) {
    // PCX keeps no alpha: compare colours only.
    for (size_t i = 3; i < expected.byteSize(); i += 4) expected.data()[i] = 255;
  }
  EXPECT_EQ(MaxDifference(*loaded, expected), 0);
  EXPECT_FALSE(HasAlpha(loaded->layout()));
}

INSTANTIATE_TEST_SUITE_P(Pcx, PcxRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

struct ForeignCase {
  const char* name;
  const std::string* converter;
  const char* arguments;
  int expectedBitsPerPixel;
  PixelLayout layout = PixelLayout::kRgb;
};

const ForeignCase kForeign[] = {
    {"GmTrueColour", &kGm, "", 8},
    {"GmAlphaPlane", &kGm, "", 8, PixelLayout::kRgba},
    {"ImAlphaPlane", &kIm, "", 8, PixelLayout::kRgba},
    {"GmPalette", &kGm, "-colors 100 -type Palette", 8},
    {"GmBilevel", &kGm, "-monochrome", 1},
    {"ImTrueColour", &kIm, "", 8},
    {"ImPalette", &kIm, "-colors 60 -type Palette", 8},
    {"ImBilevel", &kIm, "-monochrome", 8},
};

class PcxForeign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(PcxForeign, LoadsWithTheirPixels) {
  const ForeignCase& c = GetParam();
  if (!HaveConverter(*c.converter)) GTEST_SKIP() << *c.converter << " is not installed";
  const Image source = MakeTestImage(41, 23, c.layout);
  const ByteVector file = ConverterEncode(*c.converter, source, c.arguments, "pcx");
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file[3], c.expectedBitsPerPixel);
  if (HasAlpha(c.layout)) {
    EXPECT_EQ(file[65], 4);
  }
  auto theirs = ConverterDecode(*c.converter, file, "pcx");
  ASSERT_TRUE(theirs) << theirs.message();
  auto ours = LoadBytes(kPcx, file);
  ASSERT_TRUE(ours) << ours.message();
  EXPECT_EQ(MaxDifference(*ours, *theirs), 0);
}

INSTANTIATE_TEST_SUITE_P(Pcx, PcxForeign, ::testing::ValuesIn(kForeign),
                         [](const auto& info) { return std::string(info.param.name); });

// A 16-colour PCX with the header palette, 8x2 pixels of indices 0..15, either four 1-bit
// planes (EGA) or one 4-bit plane; uncompressed or RLE.
ByteVector MakeSixteenColourPcx(bool planar, bool rle) {
  ByteVector f(128, 0);
  f[0] = 0x0A, f[1] = 5, f[2] = rle ? 1 : 0, f[3] = planar ? 1 : 4;
  f[8] = 7, f[10] = 1;  // window 0..7 x 0..1
  f[65] = planar ? 4 : 1;
  const int bytesPerLine = planar ? 2 : 4;
  f[66] = static_cast<uint8_t>(bytesPerLine);
  for (int i = 0; i < 16; ++i) f[16 + i * 3] = static_cast<uint8_t>(i * 16), f[17 + i * 3] = static_cast<uint8_t>(255 - i * 16), f[18 + i * 3] = 7;
  for (int y = 0; y < 2; ++y) {
    ByteVector line;
    if (planar) {
      for (int plane = 0; plane < 4; ++plane) {
        uint8_t bits = 0;
        for (int x = 0; x < 8; ++x) bits |= static_cast<uint8_t>((((y * 8 + x) >> plane) & 1) << (7 - x));
        line.push_back(bits);
        line.push_back(0);
      }
    } else {
      for (int x = 0; x < 8; x += 2) line.push_back(static_cast<uint8_t>((y * 8 + x) << 4 | (y * 8 + x + 1)));
    }
    for (uint8_t b : line) {
      if (rle) f.push_back(0xC1);
      f.push_back(b);
    }
  }
  return f;
}

TEST(Pcx, ReadsSixteenColourFiles) {
  for (bool planar : {true, false})
    for (bool rle : {true, false}) {
      SCOPED_TRACE(std::string(planar ? "planar" : "packed") + (rle ? " RLE" : " plain"));
      auto loaded = LoadBytes(kPcx, MakeSixteenColourPcx(planar, rle));
      ASSERT_TRUE(loaded) << loaded.message();
      ASSERT_EQ(loaded->layout(), PixelLayout::kRgb);
      for (uint32_t i = 0; i < 16; ++i) {
        const uint8_t* p = loaded->row(i / 8) + (i % 8) * 3;
        EXPECT_EQ(p[0], i * 16);
        EXPECT_EQ(p[1], 255 - i * 16);
        EXPECT_EQ(p[2], 7);
      }
    }
}

TEST(Pcx, OurFilesLoadInConverters) {
  for (const std::string* converter : {&kGm, &kIm}) {
    if (!HaveConverter(*converter)) continue;
    for (int colours : {0, 50}) {
      SCOPED_TRACE(*converter + " colours " + std::to_string(colours));
      const Image source = MakeTestImage(29, 13, PixelLayout::kRgb, colours);
      const ByteVector file = SaveBytes(kPcx, source);
      auto theirs = ConverterDecode(*converter, file, "pcx");
      ASSERT_TRUE(theirs) << theirs.message();
      EXPECT_EQ(MaxDifference(*theirs, source), 0);
    }
  }
}

TEST(Pcx, DamagedFilesFailCleanly) {
  const Image source = MakeTestImage(40, 30, PixelLayout::kRgb);
  const ByteVector good = SaveBytes(kPcx, source);
  const ByteVector paletted = SaveBytes(kPcx, MakeTestImage(40, 30, PixelLayout::kRgb, 20));
  std::vector<Damage> cases = Truncations(good.size());
  cases.push_back({"header only", [](ByteVector& f) { f.resize(128); }});
  cases.push_back({"last byte missing", [](ByteVector& f) { f.pop_back(); }});
  cases.push_back({"bad manufacturer", [](ByteVector& f) { f[0] = 0x0B; }});
  cases.push_back({"unknown encoding", [](ByteVector& f) { f[2] = 7; }});
  cases.push_back({"unsupported bits", [](ByteVector& f) { f[3] = 3; }});
  cases.push_back({"two 8-bit planes", [](ByteVector& f) { f[65] = 2; }});
  cases.push_back({"scanline too short", [](ByteVector& f) { f[66] = 2; f[67] = 0; }});
  cases.push_back({"window inverted", [](ByteVector& f) { f[8] = 0; f[9] = 0; f[4] = 5; }});
  cases.push_back({"huge window", [](ByteVector& f) { f[8] = f[9] = f[10] = f[11] = 0xFF; f[66] = f[67] = 0xFF; }});
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.name);
    ByteVector file = good;
    d.apply(file);
    auto loaded = LoadBytes(kPcx, file);
    EXPECT_FALSE(loaded);
    if (!loaded) {
      EXPECT_FALSE(loaded.message().empty());
    }
  }
  // The palette of an 8-bit file is optional: without it the indices read as grey.
  ByteVector noPalette(paletted.begin(), paletted.end() - 769);
  auto grey = LoadBytes(kPcx, noPalette);
  ASSERT_TRUE(grey) << grey.message();
  EXPECT_EQ(grey->layout(), PixelLayout::kGray);
}

TEST(Pcx, WritesFuzzSeeds) {
  const struct { const char* name; Image image; } seeds[] = {
      {"rgb.pcx", MakeTestImage(13, 7, PixelLayout::kRgb)},
      {"palette.pcx", MakeTestImage(13, 7, PixelLayout::kRgb, 9)},
      {"grey.pcx", MakeTestImage(5, 3, PixelLayout::kGray)},
  };
  bool written = false;
  for (const auto& s : seeds) written = WriteFuzzSeed("pcx_fuzz", s.name, SaveBytes(kPcx, s.image)) || written;
  if (!written) GTEST_SKIP() << "BRAXEL_FUZZ_SEEDS is not set";
  WriteFuzzSeed("pcx_fuzz", "ega.pcx", MakeSixteenColourPcx(true, true));
  WriteFuzzSeed("pcx_fuzz", "gm-mono.pcx", ConverterEncode(kGm, MakeTestImage(11, 5, PixelLayout::kRgb), "-monochrome", "pcx"));
}

}  // namespace
}  // namespace braxel::imaging::test
