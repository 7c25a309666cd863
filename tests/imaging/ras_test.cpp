// SPDX-License-Identifier: GPL-3.0-or-later
// Sun rasterfile codec: round trips, RLE files, files made by GraphicsMagick and ImageMagick,
// our files in them, and damaged files.
#include <gtest/gtest.h>

#include "imaging/formats2_support.h"

namespace braxel::imaging::test {
namespace {

constexpr int kRas = 9;

uint32_t HeaderWord(const ByteVector& f, int index) {
  const uint8_t* p = f.data() + index * 4;
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
void SetHeaderWord(ByteVector& f, int index, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[index * 4 + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

struct RoundTripCase {
  const char* name;
  uint32_t width, height;
  PixelLayout layout;
  int colours;
  bool paletteInMetadata;
  uint32_t expectedDepth;
};

constexpr RoundTripCase kRoundTrips[] = {
    {"TrueColour", 37, 21, PixelLayout::kRgb, 0, false, 24},
    {"OddWidthPadsRows", 7, 3, PixelLayout::kRgb, 0, false, 24},
    {"Paletted", 33, 17, PixelLayout::kRgb, 120, true, 8},
    {"FewColoursNotPaletted", 33, 17, PixelLayout::kRgb, 120, false, 24},
    {"Grey", 19, 5, PixelLayout::kGray, 0, false, 8},
    {"AlphaIsDropped", 16, 9, PixelLayout::kRgba, 0, false, 24},
};

class RasRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RasRoundTrip, KeepsPixels) {
  const RoundTripCase& c = GetParam();
  Image source = MakeTestImage(c.width, c.height, c.layout, c.colours);
  if (c.paletteInMetadata) source.metadata.palette.assign(c.colours, 0xFF000000u);
  std::string error;
  const ByteVector file = SaveBytes(kRas, source, {}, &error);
  ASSERT_FALSE(file.empty()) << error;
  EXPECT_EQ(HeaderWord(file, 3), c.expectedDepth);
  EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kRas);
  auto loaded = LoadBytes(kRas, file);
  ASSERT_TRUE(loaded) << loaded.message();
  Image expected = source.Clone();
  if (HasAlpha(c.layout))
    for (size_t i = 3; i < expected.byteSize(); i += 4) expected.data()[i] = 255;
  EXPECT_EQ(MaxDifference(*loaded, expected), 0);
}

INSTANTIATE_TEST_SUITE_P(Ras, RasRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

// Re-encodes a standard file as byte-encoded (type 2), runs included.
ByteVector ToByteEncoded(const ByteVector& standard) {
  const size_t start = 32 + HeaderWord(standard, 7);
  ByteVector out(standard.begin(), standard.begin() + start);
  SetHeaderWord(out, 5, 2);
  for (size_t i = start; i < standard.size();) {
    size_t run = 1;
    while (i + run < standard.size() && run < 256 && standard[i + run] == standard[i]) ++run;
    if (run > 2) {
      out.insert(out.end(), {0x80, static_cast<uint8_t>(run - 1), standard[i]});
    } else {
      for (size_t k = 0; k < run; ++k) {
        out.push_back(standard[i]);
        if (standard[i] == 0x80) out.push_back(0);
      }
    }
    i += run;
  }
  return out;
}

TEST(Ras, ReadsByteEncodedFiles) {
  for (int colours : {0, 40}) {
    Image source = MakeTestImage(50, 20, PixelLayout::kRgb, colours);
    if (colours) source.metadata.palette.assign(colours, 0);
    // Long runs and literal 0x80 bytes both occur.
    for (uint32_t x = 0; x < 50; ++x) source.row(3)[x * 3] = 0x80;
    const ByteVector rle = ToByteEncoded(SaveBytes(kRas, source));
    auto loaded = LoadBytes(kRas, rle);
    ASSERT_TRUE(loaded) << loaded.message();
    EXPECT_EQ(MaxDifference(*loaded, source), 0);
    for (size_t cut : {rle.size() - 1, rle.size() - 2, rle.size() / 2}) {
      ByteVector truncated(rle.begin(), rle.begin() + cut);
      EXPECT_FALSE(LoadBytes(kRas, truncated)) << "cut at " << cut;
    }
  }
}

struct ForeignCase {
  const char* name;
  const std::string* converter;
  const char* arguments;
  PixelLayout layout;
  uint32_t expectedDepth;
};

const ForeignCase kForeign[] = {
    {"GmTrueColour", &kGm, "", PixelLayout::kRgb, 24},
    {"GmAlpha", &kGm, "", PixelLayout::kRgba, 32},
    {"GmPalette", &kGm, "-colors 100 -type Palette", PixelLayout::kRgb, 8},
    {"GmBilevel", &kGm, "-monochrome", PixelLayout::kRgb, 1},
    {"ImTrueColour", &kIm, "", PixelLayout::kRgb, 24},
    {"ImAlpha", &kIm, "", PixelLayout::kRgba, 32},
    {"ImPalette", &kIm, "-colors 60 -type Palette", PixelLayout::kRgb, 8},
    {"ImTwoColours", &kIm, "-colors 2 -type Palette", PixelLayout::kRgb, 8},
};

class RasForeign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(RasForeign, LoadsWithTheirPixels) {
  const ForeignCase& c = GetParam();
  if (!HaveConverter(*c.converter)) GTEST_SKIP() << *c.converter << " is not installed";
  const Image source = MakeTestImage(41, 23, c.layout);
  const ByteVector file = ConverterEncode(*c.converter, source, c.arguments, "ras");
  ASSERT_GE(file.size(), 32u);
  EXPECT_EQ(HeaderWord(file, 3), c.expectedDepth);
  auto theirs = ConverterDecode(*c.converter, file, "ras");
  ASSERT_TRUE(theirs) << theirs.message();
  auto ours = LoadBytes(kRas, file);
  ASSERT_TRUE(ours) << ours.message();
  EXPECT_EQ(MaxDifference(*ours, *theirs), 0);
}

INSTANTIATE_TEST_SUITE_P(Ras, RasForeign, ::testing::ValuesIn(kForeign),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Ras, OurFilesLoadInConverters) {
  for (const std::string* converter : {&kGm, &kIm}) {
    if (!HaveConverter(*converter)) continue;
    for (PixelLayout layout : {PixelLayout::kRgb, PixelLayout::kGray}) {
      SCOPED_TRACE(*converter + " channels " + std::to_string(ChannelCount(layout)));
      const Image source = MakeTestImage(29, 13, layout);
      auto theirs = ConverterDecode(*converter, SaveBytes(kRas, source), "ras");
      ASSERT_TRUE(theirs) << theirs.message();
      EXPECT_EQ(MaxDifference(*theirs, source), 0);
    }
  }
}

TEST(Ras, DamagedFilesFailCleanly) {
  const ByteVector good = SaveBytes(kRas, MakeTestImage(40, 30, PixelLayout::kRgb));
  Image palettedImage = MakeTestImage(40, 30, PixelLayout::kRgb, 20);
  palettedImage.metadata.palette.assign(20, 0);
  const ByteVector paletted = SaveBytes(kRas, palettedImage);
  struct Case {
    const ByteVector* file;
    Damage damage;
  };
  std::vector<Case> cases;
  for (const Damage& d : Truncations(good.size())) cases.push_back({&good, d});
  cases.push_back({&good, {"header only", [](ByteVector& f) { f.resize(32); }}});
  cases.push_back({&good, {"last byte missing", [](ByteVector& f) { f.pop_back(); }}});
  cases.push_back({&good, {"bad magic", [](ByteVector& f) { f[0] = 0; }}});
  cases.push_back({&good, {"depth 4", [](ByteVector& f) { SetHeaderWord(f, 3, 4); }}});
  cases.push_back({&good, {"type 5", [](ByteVector& f) { SetHeaderWord(f, 5, 5); }}});
  cases.push_back({&good, {"map type 9", [](ByteVector& f) { SetHeaderWord(f, 6, 9); }}});
  cases.push_back({&good, {"zero width", [](ByteVector& f) { SetHeaderWord(f, 1, 0); }}});
  cases.push_back({&good, {"huge size", [](ByteVector& f) { SetHeaderWord(f, 1, 0x7FFFFFFF); SetHeaderWord(f, 2, 0x7FFFFFFF); }}});
  cases.push_back({&good, {"map longer than file", [](ByteVector& f) { SetHeaderWord(f, 6, 1); SetHeaderWord(f, 7, 768); f.resize(400); }}});
  cases.push_back({&paletted, {"map length not triplets", [](ByteVector& f) { SetHeaderWord(f, 7, 59); }}});
  cases.push_back({&paletted, {"index outside map", [](ByteVector& f) { f[32 + 60] = 200; }}});
  cases.push_back({&paletted, {"map cut", [](ByteVector& f) { f.resize(60); }}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage.name);
    ByteVector file = *c.file;
    c.damage.apply(file);
    auto loaded = LoadBytes(kRas, file);
    EXPECT_FALSE(loaded);
    if (!loaded) {
      EXPECT_FALSE(loaded.message().empty());
    }
  }
}

TEST(Ras, WritesFuzzSeeds) {
  Image paletted = MakeTestImage(13, 7, PixelLayout::kRgb, 9);
  paletted.metadata.palette.assign(9, 0);
  bool written = WriteFuzzSeed("ras_fuzz", "rgb.ras", SaveBytes(kRas, MakeTestImage(13, 7, PixelLayout::kRgb)));
  if (!written) GTEST_SKIP() << "BRAXEL_FUZZ_SEEDS is not set";
  WriteFuzzSeed("ras_fuzz", "map.ras", SaveBytes(kRas, paletted));
  WriteFuzzSeed("ras_fuzz", "rle.ras", ToByteEncoded(SaveBytes(kRas, paletted)));
  WriteFuzzSeed("ras_fuzz", "gm-alpha.ras", ConverterEncode(kGm, MakeTestImage(7, 5, PixelLayout::kRgba), "", "ras"));
  WriteFuzzSeed("ras_fuzz", "gm-mono.ras", ConverterEncode(kGm, MakeTestImage(7, 5, PixelLayout::kRgb), "-monochrome", "ras"));
}

}  // namespace
}  // namespace braxel::imaging::test
