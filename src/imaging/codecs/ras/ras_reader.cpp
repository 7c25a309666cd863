// SPDX-License-Identifier: GPL-3.0-or-later
// Sun rasterfile reader: header and colour map checks, RLE decoding, pixel expansion.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/ras/ras.h"
#include "imaging/codecs/ras/ras_format.h"

namespace braxel::imaging {
namespace {

using namespace ras;

Result<Header> ParseHeader(Bytes file) {
  if (file.size() < kHeaderSize) return Result<Header>::Fail("Sun rasterfile is truncated (no header)");
  Header h;
  uint32_t* words[] = {&h.magic, &h.width, &h.height, &h.depth, &h.length, &h.type, &h.mapType, &h.mapLength};
  for (size_t i = 0; i < 8; ++i) *words[i] = Be32(file.data() + i * 4);
  if (h.magic != kMagic) return Result<Header>::Fail("not a Sun rasterfile");
  if (h.depth != 1 && h.depth != 8 && h.depth != 24 && h.depth != 32)
    return Result<Header>::Fail("Sun rasterfile has an unsupported depth of " + std::to_string(h.depth));
  if (h.type > kTypeRgb)
    return Result<Header>::Fail("Sun rasterfile has an unsupported type " + std::to_string(h.type));
  if (h.mapType > kMapRaw)
    return Result<Header>::Fail("Sun rasterfile has an unknown colour map type " + std::to_string(h.mapType));
  if (h.mapType == kMapRgb && (h.mapLength % 3 != 0 || h.mapLength > 3 * 256))
    return Result<Header>::Fail("Sun rasterfile has an invalid colour map length");
  if (h.mapType == kMapNone) h.mapLength = 0;
  if (h.mapLength > file.size() - kHeaderSize)
    return Result<Header>::Fail("Sun rasterfile is truncated (colour map)");
  return h;
}

// Decodes the byte-encoded raster into `out`; false when the data runs out first.
bool DecodeRle(Bytes in, std::vector<uint8_t>& out) {
  size_t pos = 0, filled = 0;
  const size_t total = out.size();
  while (filled < total) {
    if (pos >= in.size()) return false;
    uint8_t value = in[pos++];
    size_t count = 1;
    if (value == kEscape) {
      if (pos >= in.size()) return false;
      const uint8_t n = in[pos++];
      if (n != 0) {
        if (pos >= in.size()) return false;
        count = size_t{n} + 1;
        value = in[pos++];
      }
    }
    count = std::min(count, total - filled);
    std::memset(out.data() + filled, value, count);
    filled += count;
  }
  return true;
}

}  // namespace

bool RasProbe(Bytes head) { return head.size() >= 4 && Be32(head.data()) == kMagic; }

Result<int> RasPageCount(Bytes file, const Limits&) {
  auto header = ParseHeader(file);
  if (!header) return header.status();
  return 1;
}

Result<Image> RasLoad(Bytes file, int pageIndex, const Limits& limits) {
  if (pageIndex != kDefaultPage && pageIndex != 0)
    return Result<Image>::Fail("Sun rasterfile has no page " + std::to_string(pageIndex + 1));
  auto parsed = ParseHeader(file);
  if (!parsed) return parsed.status();
  const Header& h = *parsed;
  if (Status allowed = limits.Check(h.width, h.height, 4); !allowed) return allowed;

  // The colour map: all reds, then all greens, then all blues.
  const size_t mapEntries = h.mapType == kMapRgb ? h.mapLength / 3 : 0;
  const uint8_t* map = file.data() + kHeaderSize;
  bool greyMap = true;
  for (size_t i = 0; i < mapEntries; ++i)
    greyMap = greyMap && map[i] == map[mapEntries + i] && map[i] == map[2 * mapEntries + i];

  const uint64_t rowBytes = RowBytes(h.width, h.depth);
  const uint64_t total = rowBytes * h.height;
  const Bytes data = file.subspan(kHeaderSize + h.mapLength);
  // An escape sequence of three bytes gives at most 256 bytes.
  const uint64_t maxBytes = h.type == kTypeByteEncoded ? uint64_t{data.size()} * 86 : data.size();
  if (total > maxBytes) return Result<Image>::Fail("Sun rasterfile is truncated");
  std::vector<uint8_t> raw(static_cast<size_t>(total));
  if (h.type == kTypeByteEncoded) {
    if (!DecodeRle(data, raw)) return Result<Image>::Fail("Sun rasterfile is truncated");
  } else {
    std::memcpy(raw.data(), data.data(), raw.size());
  }

  PixelLayout layout = PixelLayout::kRgb;
  bool alpha = false;
  if (h.depth <= 8) {
    layout = mapEntries == 0 || greyMap ? PixelLayout::kGray : PixelLayout::kRgb;
  } else if (h.depth == 32) {
    // The pad byte in front of each pixel carries alpha when it is used at all.
    for (uint32_t y = 0; y < h.height && !alpha; ++y) {
      const uint8_t* row = raw.data() + y * rowBytes;
      for (uint32_t x = 0; x < h.width && !alpha; ++x) alpha = row[size_t{x} * 4] != 0;
    }
    if (alpha) layout = PixelLayout::kRgba;
  }
  auto created = Image::Create(h.width, h.height, layout, limits);
  if (!created) return created.status();
  Image image = std::move(created.value());
  const int channels = image.channels();
  const bool rgbOrder = h.type == kTypeRgb;

  for (uint32_t y = 0; y < h.height; ++y) {
    const uint8_t* in = raw.data() + y * rowBytes;
    uint8_t* out = image.row(y);
    for (uint32_t x = 0; x < h.width; ++x) {
      uint8_t* px = out + size_t{x} * channels;
      if (h.depth <= 8) {
        unsigned index;
        if (h.depth == 1) {
          const bool set = (in[x / 8] >> (7 - x % 8)) & 1;
          // Without a map a set bit is black.
          index = mapEntries == 0 ? (set ? 0 : 255) : (set ? 1 : 0);
        } else {
          index = in[x];
        }
        if (mapEntries == 0) {
          px[0] = static_cast<uint8_t>(index);
        } else if (index >= mapEntries) {
          return Result<Image>::Fail("Sun rasterfile has a colour index outside its map");
        } else if (layout == PixelLayout::kGray) {
          px[0] = map[index];
        } else {
          px[0] = map[index];
          px[1] = map[mapEntries + index];
          px[2] = map[2 * mapEntries + index];
        }
        continue;
      }
      const uint8_t* s = in + size_t{x} * (h.depth / 8);
      if (h.depth == 32) ++s;
      px[0] = rgbOrder ? s[0] : s[2];
      px[1] = s[1];
      px[2] = rgbOrder ? s[2] : s[0];
      if (alpha) px[3] = s[-1];
    }
  }
  image.metadata.sourceBitsPerSample = h.depth <= 8 ? static_cast<int>(h.depth) : 8;
  for (size_t i = 0; i < mapEntries; ++i)
    image.metadata.palette.push_back(0xFF000000u | uint32_t{map[i]} << 16 |
                                     uint32_t{map[mapEntries + i]} << 8 | map[2 * mapEntries + i]);
  return image;
}

}  // namespace braxel::imaging
