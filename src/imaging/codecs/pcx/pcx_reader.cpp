// SPDX-License-Identifier: GPL-3.0-or-later
// PCX reader: header checks, RLE decoding of the scanline planes and palette expansion.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/pcx/pcx.h"
#include "imaging/codecs/pcx/pcx_format.h"

namespace braxel::imaging {
namespace {

using namespace pcx;

struct PcxHeader {
  uint8_t version = 0;
  uint8_t encoding = 0;
  int bitsPerPixel = 0;
  int planes = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  size_t bytesPerLine = 0;
  double dpiX = 0, dpiY = 0;
};

Result<PcxHeader> ParseHeader(Bytes file) {
  if (file.size() < kHeaderSize) return Result<PcxHeader>::Fail("PCX file is truncated (no header)");
  const uint8_t* h = file.data();
  if (h[0] != kManufacturer) return Result<PcxHeader>::Fail("not a PCX file");
  PcxHeader header;
  header.version = h[kOffVersion];
  header.encoding = h[kOffEncoding];
  header.bitsPerPixel = h[kOffBitsPerPixel];
  header.planes = h[kOffPlanes];
  const uint16_t xMin = Le16(h + kOffXMin), yMin = Le16(h + kOffYMin);
  const uint16_t xMax = Le16(h + kOffXMax), yMax = Le16(h + kOffYMax);
  if (header.encoding > kEncodingRle)
    return Result<PcxHeader>::Fail("PCX file has an unknown encoding " + std::to_string(header.encoding));
  if (xMax < xMin || yMax < yMin) return Result<PcxHeader>::Fail("PCX file has an empty image window");
  header.width = static_cast<uint32_t>(xMax - xMin) + 1;
  header.height = static_cast<uint32_t>(yMax - yMin) + 1;
  header.bytesPerLine = Le16(h + kOffBytesPerLine);
  header.dpiX = Le16(h + kOffHDpi);
  header.dpiY = Le16(h + kOffVDpi);

  const int bpp = header.bitsPerPixel, planes = header.planes;
  const bool indexed = (bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8) && planes >= 1 &&
                       bpp * planes <= 8 && (bpp == 8 ? planes == 1 : bpp * planes <= 4);
  const bool direct = bpp == 8 && (planes == 3 || planes == 4);
  if (!indexed && !direct)
    return Result<PcxHeader>::Fail("PCX file has an unsupported layout of " + std::to_string(planes) +
                                   " plane(s) of " + std::to_string(bpp) + " bit(s)");
  const uint64_t minLine = (static_cast<uint64_t>(header.width) * bpp + 7) / 8;
  if (header.bytesPerLine < minLine)
    return Result<PcxHeader>::Fail("PCX file has a scanline shorter than its width");
  return header;
}

// Decodes `out.size()` bytes of scanline data from `in`; false when the data runs out first.
bool DecodeRle(Bytes in, std::vector<uint8_t>& out) {
  size_t pos = 0, filled = 0;
  const size_t total = out.size();
  while (filled < total) {
    if (pos >= in.size()) return false;
    uint8_t byte = in[pos++];
    size_t count = 1;
    if ((byte & kRunFlag) == kRunFlag) {
      count = byte & kMaxRun;
      if (pos >= in.size()) return false;
      byte = in[pos++];
    }
    count = std::min(count, total - filled);
    std::memset(out.data() + filled, byte, count);
    filled += count;
  }
  return true;
}

bool AllGrey(const std::vector<uint32_t>& palette) {
  for (uint32_t c : palette) {
    const uint8_t r = c >> 16, g = c >> 8, b = c;
    if (r != g || g != b) return false;
  }
  return true;
}

uint32_t Argb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

// The palette of an indexed file: the 16-entry header map for up to 4 bits, the trailing VGA
// map for 8 bits. Files without a usable map get black and white or a grey ramp.
std::vector<uint32_t> ReadPalette(Bytes file, const PcxHeader& header) {
  const int bits = header.bitsPerPixel * header.planes;
  const size_t count = size_t{1} << bits;
  std::vector<uint32_t> palette;
  if (bits <= 4) {
    const uint8_t* map = file.data() + kOffColormap;
    for (size_t i = 0; i < count; ++i) palette.push_back(Argb(map[i * 3], map[i * 3 + 1], map[i * 3 + 2]));
    // Version 3 carries no palette; an all-equal map is no palette either.
    const bool usable = header.version != 3 &&
                        std::any_of(palette.begin(), palette.end(), [&](uint32_t c) { return c != palette[0]; });
    if (usable) return palette;
  } else if (file.size() >= kHeaderSize + kVgaPaletteSize &&
             file[file.size() - kVgaPaletteSize] == kVgaPaletteMarker) {
    const uint8_t* map = file.data() + file.size() - kVgaPaletteSize + 1;
    for (size_t i = 0; i < 256; ++i) palette.push_back(Argb(map[i * 3], map[i * 3 + 1], map[i * 3 + 2]));
    return palette;
  }
  palette.clear();
  for (size_t i = 0; i < count; ++i) {
    const auto v = static_cast<uint8_t>(i * 255 / (count - 1));
    palette.push_back(Argb(v, v, v));
  }
  return palette;
}

}  // namespace

bool PcxProbe(Bytes head) {
  if (head.size() < kHeaderSize) return false;
  const uint8_t version = head[kOffVersion];
  const uint8_t bpp = head[kOffBitsPerPixel];
  return head[0] == kManufacturer && (version == 0 || (version >= 2 && version <= 5)) &&
         head[kOffEncoding] <= kEncodingRle && (bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8) &&
         head[kOffPlanes] >= 1 && head[kOffPlanes] <= 4;
}

Result<int> PcxPageCount(Bytes file, const Limits&) {
  auto header = ParseHeader(file);
  if (!header) return header.status();
  return 1;
}

Result<Image> PcxLoad(Bytes file, int pageIndex, const Limits& limits) {
  if (pageIndex != kDefaultPage && pageIndex != 0)
    return Result<Image>::Fail("PCX file has no page " + std::to_string(pageIndex + 1));
  auto parsed = ParseHeader(file);
  if (!parsed) return parsed.status();
  const PcxHeader& header = *parsed;
  const bool direct = header.bitsPerPixel == 8 && header.planes >= 3;
  if (Status allowed = limits.Check(header.width, header.height, 4); !allowed) return allowed;

  const size_t lineBytes = header.bytesPerLine * header.planes;
  const uint64_t total = uint64_t{lineBytes} * header.height;
  const Bytes data = file.subspan(kHeaderSize);
  // Each two input bytes give at most 63 output bytes; a header promising more is corrupt.
  const uint64_t maxBytes = header.encoding == kEncodingRle ? uint64_t{data.size()} * 32 : data.size();
  if (total > maxBytes) return Result<Image>::Fail("PCX file is truncated");
  std::vector<uint8_t> raw(static_cast<size_t>(total));
  if (header.encoding == kEncodingRle) {
    if (!DecodeRle(data, raw)) return Result<Image>::Fail("PCX file is truncated");
  } else {
    std::memcpy(raw.data(), data.data(), raw.size());
  }

  std::vector<uint32_t> palette;
  PixelLayout layout = header.planes == 4 && direct ? PixelLayout::kRgba : PixelLayout::kRgb;
  if (!direct) {
    palette = ReadPalette(file, header);
    if (AllGrey(palette)) layout = PixelLayout::kGray;
  }
  auto created = Image::Create(header.width, header.height, layout, limits);
  if (!created) return created.status();
  Image image = std::move(created.value());

  const int bpp = header.bitsPerPixel;
  for (uint32_t y = 0; y < header.height; ++y) {
    const uint8_t* line = raw.data() + size_t{y} * lineBytes;
    uint8_t* out = image.row(y);
    for (uint32_t x = 0; x < header.width; ++x) {
      if (direct) {
        for (size_t p = 0; p < size_t(header.planes); ++p)
          out[size_t{x} * header.planes + p] = line[p * header.bytesPerLine + x];
        continue;
      }
      // The index gathers one field per plane, plane 0 giving the lowest bits.
      unsigned index = 0;
      for (int p = 0; p < header.planes; ++p) {
        const uint8_t* planeLine = line + static_cast<size_t>(p) * header.bytesPerLine;
        const size_t bit = size_t{x} * bpp;
        const unsigned field = (planeLine[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        index |= field << (p * bpp);
      }
      const uint32_t c = palette[index];
      if (layout == PixelLayout::kGray) {
        out[x] = static_cast<uint8_t>(c);
      } else {
        out[x * 3] = static_cast<uint8_t>(c >> 16);
        out[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
        out[x * 3 + 2] = static_cast<uint8_t>(c);
      }
    }
  }
  image.metadata.sourceBitsPerSample = bpp;
  if (!direct) image.metadata.palette = std::move(palette);
  image.metadata.resolutionX = header.dpiX;
  image.metadata.resolutionY = header.dpiY;
  return image;
}

}  // namespace braxel::imaging
