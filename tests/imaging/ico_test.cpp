// SPDX-License-Identifier: GPL-3.0-or-later
// ICO, CUR and ANI readers: entries built byte by byte at every depth, files made by
// ImageMagick, the default page, animated cursors with and without a sequence, damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "support/temp_dir.h"

#include "imaging/formats2_support.h"

namespace braxel::imaging::test {
namespace {

constexpr int kIco = 12, kCur = 13, kAni = 14;

// An RGBA image with `colours` colours and binary alpha (alpha 0 on a diagonal band).
Image MakeIconImage(uint32_t size, int colours, bool softAlpha = false) {
  Image image = std::move(Image::Create(size, size, PixelLayout::kRgba, Limits{}).value());
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) {
      uint8_t* p = image.row(y) + x * 4;
      const int index = static_cast<int>((x / 2 + y * 3) % colours);
      p[0] = static_cast<uint8_t>(index * 53 + 7);
      p[1] = static_cast<uint8_t>(index * 101 + size);
      p[2] = static_cast<uint8_t>(255 - index * 17);
      p[3] = softAlpha ? static_cast<uint8_t>(x * 255 / (size - 1)) : ((x + y) % 5 == 0 ? 0 : 255);
    }
  return image;
}

// A BMP-style icon entry of `image` at `bpp` bits. With `zeroAlpha`, a 32-bit entry leaves its
// alpha bytes zero and carries transparency in the AND mask only.
ByteVector MakeDibEntry(const Image& image, int bpp, bool zeroAlpha = false) {
  const uint32_t w = image.width(), h = image.height();
  std::vector<uint32_t> palette;
  std::map<uint32_t, uint32_t> lookup;
  auto rgbAt = [&](uint32_t x, uint32_t y) {
    const uint8_t* p = image.row(y) + x * 4;
    return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  };
  if (bpp <= 8) {
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x)
        if (lookup.emplace(rgbAt(x, y), palette.size()).second) palette.push_back(rgbAt(x, y));
    EXPECT_LE(palette.size(), 1u << bpp);
  }
  ByteVector e;
  PutLe32(e, 40);
  PutLe32(e, w);
  PutLe32(e, h * 2);
  PutLe16(e, 1);
  PutLe16(e, bpp);
  PutLe32(e, 0);
  PutLe32(e, 0);
  PutLe32(e, 0);
  PutLe32(e, 0);
  PutLe32(e, static_cast<uint32_t>(palette.size()));
  PutLe32(e, 0);
  for (uint32_t c : palette) PutLe32(e, c);  // B, G, R, 0 in file order
  const size_t xorStride = (size_t{w} * bpp + 31) / 32 * 4, andStride = (size_t{w} + 31) / 32 * 4;
  for (uint32_t row = 0; row < h; ++row) {
    const uint32_t y = h - 1 - row;  // bottom-up
    ByteVector line(xorStride, 0);
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* p = image.row(y) + x * 4;
      if (bpp <= 8) {
        const uint32_t index = lookup[rgbAt(x, y)];
        const size_t bit = size_t{x} * bpp;
        line[bit / 8] |= static_cast<uint8_t>(index << (8 - bpp - bit % 8));
      } else {
        const size_t at = size_t{x} * (bpp / 8);
        line[at] = p[2], line[at + 1] = p[1], line[at + 2] = p[0];
        if (bpp == 32) line[at + 3] = zeroAlpha ? 0 : p[3];
      }
    }
    e.insert(e.end(), line.begin(), line.end());
  }
  for (uint32_t row = 0; row < h; ++row) {
    const uint32_t y = h - 1 - row;
    ByteVector line(andStride, 0);
    for (uint32_t x = 0; x < w; ++x)
      if (image.row(y)[x * 4 + 3] < 128) line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    e.insert(e.end(), line.begin(), line.end());
  }
  return e;
}

// An icon (type 1) or cursor (type 2) file of the given entries.
ByteVector MakeIconFile(const std::vector<ByteVector>& entries, uint16_t type = 1) {
  ByteVector f;
  PutLe16(f, 0);
  PutLe16(f, type);
  PutLe16(f, static_cast<uint32_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const ByteVector& e : entries) {
    const uint32_t w = e[4] | (e[5] << 8);
    f.push_back(static_cast<uint8_t>(w));
    f.push_back(static_cast<uint8_t>(w));
    f.push_back(0);
    f.push_back(0);
    PutLe16(f, type == 1 ? 1 : 3);    // planes, or the hot spot x of a cursor
    PutLe16(f, type == 1 ? e[14] : 5);  // bits, or the hot spot y
    PutLe32(f, static_cast<uint32_t>(e.size()));
    PutLe32(f, offset);
    offset += static_cast<uint32_t>(e.size());
  }
  for (const ByteVector& e : entries) f.insert(f.end(), e.begin(), e.end());
  return f;
}

struct DepthCase {
  const char* name;
  int bpp;
  int colours;
  bool softAlpha;
  bool zeroAlpha;
};

constexpr DepthCase kDepths[] = {
    {"OneBit", 1, 2, false, false},      {"FourBits", 4, 16, false, false},
    {"EightBits", 8, 200, false, false}, {"TwentyFourBits", 24, 300, false, false},
    {"AlphaChannel", 32, 300, true, false}, {"ZeroAlphaUsesMask", 32, 300, false, true},
};

class IcoDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(IcoDepth, DecodesColoursAndTransparency) {
  const DepthCase& c = GetParam();
  const Image source = MakeIconImage(c.bpp == 8 ? 40 : 21, c.colours, c.softAlpha);
  const ByteVector file = MakeIconFile({MakeDibEntry(source, c.bpp, c.zeroAlpha)});
  EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kIco);
  auto loaded = LoadBytes(kIco, file);
  ASSERT_TRUE(loaded) << loaded.message();
  EXPECT_EQ(loaded->layout(), PixelLayout::kRgba);
  EXPECT_EQ(MaxDifference(*loaded, source), 0);
}

INSTANTIATE_TEST_SUITE_P(Ico, IcoDepth, ::testing::ValuesIn(kDepths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Ico, EveryEntryIsAPageAndTheDefaultIsLargestWithMostColours) {
  const Image small = MakeIconImage(16, 300, true);
  const Image big4 = MakeIconImage(32, 16);
  const Image big8 = MakeIconImage(32, 100);
  const ByteVector file = MakeIconFile({MakeDibEntry(small, 32), MakeDibEntry(big4, 4), MakeDibEntry(big8, 8)});
  const Codec& codec = CodecFor(kIco);
  auto pages = codec.pageCount(Bytes(file.data(), file.size()), Limits{});
  ASSERT_TRUE(pages);
  EXPECT_EQ(*pages, 3);
  const Image* expected[] = {&small, &big4, &big8};
  for (int page = 0; page < 3; ++page) {
    auto loaded = LoadBytes(kIco, file, page);
    ASSERT_TRUE(loaded) << loaded.message();
    EXPECT_EQ(MaxDifference(*loaded, *expected[page]), 0) << "page " << page;
  }
  auto chosen = LoadBytes(kIco, file);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(MaxDifference(*chosen, big8), 0);
  EXPECT_FALSE(LoadBytes(kIco, file, 3));
  EXPECT_EQ(codec.save, nullptr);
}

TEST(Cur, LoadsCursorEntries) {
  const Image image = MakeIconImage(32, 2);
  const ByteVector file = MakeIconFile({MakeDibEntry(image, 1)}, 2);
  EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kCur);
  auto loaded = LoadBytes(kCur, file);
  ASSERT_TRUE(loaded) << loaded.message();
  EXPECT_EQ(MaxDifference(*loaded, image), 0);
  EXPECT_EQ(CodecFor(kCur).save, nullptr);
}

TEST(Ico, PngEntriesGoThroughThePngCodec) {
  if (!HaveConverter(kIm)) GTEST_SKIP() << "ImageMagick is not installed";
  // ImageMagick stores 256-pixel entries as PNG.
  const ByteVector file = ConverterEncode(kIm, MakeTestImage(256, 256, PixelLayout::kRgba), "", "ico");
  ASSERT_GT(file.size(), 30u);
  ASSERT_EQ(file[22], 0x89);
  auto loaded = LoadBytes(kIco, file);
  if (!FindCodecForFormat(8)) {
    ASSERT_FALSE(loaded);
    EXPECT_NE(loaded.message().find("PNG"), std::string::npos);
    return;
  }
  ASSERT_TRUE(loaded) << loaded.message();
  auto theirs = ConverterDecode(kIm, file, "ico");
  ASSERT_TRUE(theirs);
  EXPECT_EQ(MaxDifference(*loaded, *theirs), 0);
}

struct ForeignCase {
  const char* name;
  const char* arguments;
  int expectedBits;
};

constexpr ForeignCase kForeign[] = {
    {"TrueColourAlpha", "", 32},
    {"TwoColours", "-colors 2 -type Palette", 1},
    {"SixteenColours", "-colors 16 -type Palette", 4},
    {"ManyColours", "-colors 200 -type Palette", 8},
};

class IcoForeign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(IcoForeign, ImageMagickFilesLoadWithTheirPixels) {
  const ForeignCase& c = GetParam();
  if (!HaveConverter(kIm)) GTEST_SKIP() << "ImageMagick is not installed";
  const bool alpha = c.expectedBits == 32;
  const ByteVector file = ConverterEncode(kIm, MakeTestImage(48, 48, alpha ? PixelLayout::kRgba : PixelLayout::kRgb), c.arguments, "ico");
  ASSERT_GT(file.size(), 22u + 40);
  EXPECT_EQ(file[22 + 14], c.expectedBits);
  auto theirs = ConverterDecode(kIm, file, "ico");
  ASSERT_TRUE(theirs) << theirs.message();
  auto ours = LoadBytes(kIco, file);
  ASSERT_TRUE(ours) << ours.message();
  EXPECT_EQ(MaxDifference(*ours, *theirs), 0);
}

INSTANTIATE_TEST_SUITE_P(Ico, IcoForeign, ::testing::ValuesIn(kForeign),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Ico, ImageMagickMultiImageFilesGiveEveryPage) {
  if (!HaveConverter(kIm)) GTEST_SKIP() << "ImageMagick is not installed";
  ::braxel::test::TempDir dir;
  const std::string a = dir.Sub("a.pam"), b = dir.Sub("b.pam"), c = dir.Sub("c.pam"), ico = dir.Sub("m.ico");
  ASSERT_TRUE(WritePam(a, MakeTestImage(16, 16, PixelLayout::kRgba)));
  ASSERT_TRUE(WritePam(b, MakeTestImage(48, 48, PixelLayout::kRgb)));
  ASSERT_TRUE(WritePam(c, MakeTestImage(32, 32, PixelLayout::kRgba)));
  ASSERT_TRUE(RunCommand(kIm + " '" + a + "' '" + b + "' '" + c + "' '" + ico + "'"));
  const ByteVector file = ReadBytes(ico);
  auto pages = CodecFor(kIco).pageCount(Bytes(file.data(), file.size()), Limits{});
  ASSERT_TRUE(pages);
  ASSERT_EQ(*pages, 3);
  for (int page = 0; page < 3; ++page) {
    auto theirs = ConverterDecode(kIm, file, "ico", page);
    ASSERT_TRUE(theirs) << theirs.message();
    auto ours = LoadBytes(kIco, file, page);
    ASSERT_TRUE(ours) << ours.message();
    EXPECT_EQ(MaxDifference(*ours, *theirs), 0) << "page " << page;
  }
  auto chosen = LoadBytes(kIco, file);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->width(), 48u);
}

// An animated cursor of icon frames, with a sequence chunk when `sequence` is not empty. An
// odd-sized INFO list checks the chunk padding.
ByteVector MakeAni(const std::vector<ByteVector>& frames, const std::vector<uint32_t>& sequence) {
  auto chunk = [](ByteVector& out, const char* id, const ByteVector& data) {
    PutText(out, id);
    PutLe32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2) out.push_back(0);
  };
  ByteVector body;
  PutText(body, "ACON");
  ByteVector info;
  PutText(info, "INFO");
  chunk(info, "INAM", {'a', 'b', 'c'});
  chunk(body, "LIST", info);
  ByteVector anih;
  const uint32_t steps = sequence.empty() ? static_cast<uint32_t>(frames.size()) : static_cast<uint32_t>(sequence.size());
  for (uint32_t v : {36u, static_cast<uint32_t>(frames.size()), steps, 0u, 0u, 0u, 0u, 10u, 1u | (sequence.empty() ? 0u : 2u)})
    PutLe32(anih, v);
  chunk(body, "anih", anih);
  if (!sequence.empty()) {
    ByteVector seq, rate;
    for (uint32_t s : sequence) PutLe32(seq, s), PutLe32(rate, 10);
    chunk(body, "rate", rate);
    chunk(body, "seq ", seq);
  }
  ByteVector list;
  PutText(list, "fram");
  for (const ByteVector& f : frames) chunk(list, "icon", f);
  chunk(body, "LIST", list);
  ByteVector file;
  chunk(file, "RIFF", body);
  return file;
}

TEST(Ani, PagesFollowTheSequence) {
  std::vector<Image> images;
  std::vector<ByteVector> frames;
  for (uint32_t i = 0; i < 3; ++i) {
    images.push_back(MakeIconImage(16 + 8 * i, 10 + static_cast<int>(i)));
    frames.push_back(MakeIconFile({MakeDibEntry(images.back(), 8)}, 2));
  }
  struct Case {
    const char* name;
    std::vector<uint32_t> sequence;
    std::vector<uint32_t> expectedFrames;
  };
  const Case cases[] = {{"with sequence", {2, 0, 1, 0}, {2, 0, 1, 0}}, {"without sequence", {}, {0, 1, 2}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ByteVector file = MakeAni(frames, c.sequence);
    EXPECT_EQ(FindCodecForContent(Bytes(file.data(), file.size()))->formatCode, kAni);
    auto pages = CodecFor(kAni).pageCount(Bytes(file.data(), file.size()), Limits{});
    ASSERT_TRUE(pages) << pages.message();
    ASSERT_EQ(*pages, static_cast<int>(c.expectedFrames.size()));
    for (int page = 0; page < *pages; ++page) {
      auto loaded = LoadBytes(kAni, file, page);
      ASSERT_TRUE(loaded) << loaded.message();
      EXPECT_EQ(MaxDifference(*loaded, images[c.expectedFrames[page]]), 0) << "page " << page;
    }
    auto first = LoadBytes(kAni, file);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->width(), images[c.expectedFrames[0]].width());
    EXPECT_FALSE(LoadBytes(kAni, file, *pages));
  }
  EXPECT_EQ(CodecFor(kAni).save, nullptr);
}

TEST(Ico, DamagedFilesFailCleanly) {
  const ByteVector good = MakeIconFile({MakeDibEntry(MakeIconImage(20, 16), 4)});
  const ByteVector good32 = MakeIconFile({MakeDibEntry(MakeIconImage(20, 300, true), 32)});
  const size_t dib = 22;  // where the only entry's bitmap header starts
  struct Case {
    const ByteVector* file;
    Damage damage;
  };
  std::vector<Case> cases;
  for (const Damage& d : Truncations(good.size())) cases.push_back({&good, d});
  cases.push_back({&good, {"directory cut", [](ByteVector& f) { f.resize(15); }}});
  cases.push_back({&good, {"no entries", [](ByteVector& f) { f[4] = 0; }}});
  cases.push_back({&good, {"more entries than listed", [](ByteVector& f) { f[4] = 9; }}});
  cases.push_back({&good, {"entry offset past end", [](ByteVector& f) { f[18] = f[19] = f[20] = 0x7F; }}});
  cases.push_back({&good, {"bitmap header cut", [&](ByteVector& f) { f.resize(dib + 30); }}});
  cases.push_back({&good, {"palette cut", [&](ByteVector& f) { f.resize(dib + 40 + 20); }}});
  cases.push_back({&good, {"bitmap cut", [&](ByteVector& f) { f.resize(dib + 40 + 64 + 50); }}});
  cases.push_back({&good, {"mask cut", [](ByteVector& f) { f.resize(f.size() - 10); }}});
  cases.push_back({&good, {"header size huge", [&](ByteVector& f) { f[dib + 1] = 0x7F; }}});
  cases.push_back({&good, {"depth 3", [&](ByteVector& f) { f[dib + 14] = 3; }}});
  cases.push_back({&good, {"RLE compression", [&](ByteVector& f) { f[dib + 16] = 2; }}});
  cases.push_back({&good, {"too many colours", [&](ByteVector& f) { f[dib + 32] = 200; }}});
  cases.push_back({&good, {"index outside palette", [&](ByteVector& f) { f[dib + 32] = 2; }}});
  cases.push_back({&good, {"zero width", [&](ByteVector& f) { f[dib + 4] = 0; }}});
  cases.push_back({&good, {"negative width", [&](ByteVector& f) { f[dib + 7] = 0x80; }}});
  cases.push_back({&good, {"huge height", [&](ByteVector& f) { f[dib + 10] = 0x7F; }}});
  cases.push_back({&good32, {"colour bitmap cut", [](ByteVector& f) { f.resize(f.size() - 200); }}});
  cases.push_back({&good, {"truncated PNG entry", [&](ByteVector& f) {
                     const uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H'};
                     std::copy(std::begin(png), std::end(png), f.begin() + dib);
                   }}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage.name);
    ByteVector file = *c.file;
    c.damage.apply(file);
    for (int page : {kDefaultPage, 0}) {
      auto loaded = LoadBytes(kIco, file, page);
      EXPECT_FALSE(loaded);
      if (!loaded) {
        EXPECT_FALSE(loaded.message().empty());
      }
    }
  }
}

TEST(Ani, DamagedFilesFailCleanly) {
  const ByteVector frame = MakeIconFile({MakeDibEntry(MakeIconImage(16, 4), 4)});
  const ByteVector good = MakeAni({frame, frame}, {1, 0});
  auto findChunk = [](const ByteVector& f, const char* id) {
    return static_cast<size_t>(std::search(f.begin(), f.end(), id, id + 4) - f.begin());
  };
  std::vector<Damage> cases = Truncations(good.size());
  cases.push_back({"RIFF size past end", [](ByteVector& f) { f[7] = 0x10; }});
  cases.push_back({"cut inside the frames", [](ByteVector& f) { f.resize(f.size() - 30); }});
  cases.push_back({"no header chunk", [&](ByteVector& f) { f[findChunk(f, "anih")] = 'x'; }});
  cases.push_back({"short header chunk", [&](ByteVector& f) { const size_t at = findChunk(f, "anih"); f[at + 4] = 8; }});
  cases.push_back({"raw frames", [&](ByteVector& f) { f[findChunk(f, "anih") + 8 + 32] = 0; }});
  cases.push_back({"sequence names a missing frame", [&](ByteVector& f) { f[findChunk(f, "seq ") + 8] = 7; }});
  cases.push_back({"no frames", [&](ByteVector& f) { f[findChunk(f, "fram")] = 'x'; }});
  cases.push_back({"frame chunk past list end", [&](ByteVector& f) { f[findChunk(f, "icon") + 6] = 0x7F; }});
  cases.push_back({"broken frame", [&](ByteVector& f) { f[findChunk(f, "icon") + 8 + 2] = 9; }});
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.name);
    ByteVector file = good;
    d.apply(file);
    auto loaded = LoadBytes(kAni, file, 0);
    auto second = LoadBytes(kAni, file, 1);
    EXPECT_FALSE(loaded && second);
  }
}

TEST(Ico, WritesFuzzSeeds) {
  const ByteVector multi = MakeIconFile({MakeDibEntry(MakeIconImage(8, 2), 1), MakeDibEntry(MakeIconImage(8, 16), 4),
                                        MakeDibEntry(MakeIconImage(8, 100), 8), MakeDibEntry(MakeIconImage(8, 300), 24),
                                        MakeDibEntry(MakeIconImage(8, 300, true), 32)});
  if (!WriteFuzzSeed("ico_fuzz", "depths.ico", multi)) GTEST_SKIP() << "BRAXEL_FUZZ_SEEDS is not set";
  const ByteVector cursor = MakeIconFile({MakeDibEntry(MakeIconImage(8, 300), 32, true)}, 2);
  WriteFuzzSeed("ico_fuzz", "cursor.cur", cursor);
  WriteFuzzSeed("ani_fuzz", "sequence.ani", MakeAni({cursor, MakeIconFile({MakeDibEntry(MakeIconImage(8, 4), 4)})}, {1, 0, 1}));
  WriteFuzzSeed("ani_fuzz", "frames.ani", MakeAni({cursor}, {}));
}

}  // namespace
}  // namespace braxel::imaging::test
