// SPDX-License-Identifier: GPL-3.0-or-later
// Targa reader: header and colour map checks, RLE decoding, pixel and orientation conversion.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/tga/tga.h"
#include "imaging/codecs/tga/tga_format.h"

namespace braxel::imaging {
namespace {

using namespace tga;

struct TgaHeader {
  size_t idLength;
  bool hasMap;
  uint8_t baseType;  // 1, 2 or 3
  bool rle;
  uint16_t mapFirst, mapLength;
  int mapEntryBits;
  uint32_t width, height;
  int pixelBits;
  uint8_t descriptor;
};

bool ValidColourBits(int bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

// Checks the fields of a header; the message says what is wrong, empty when it is valid.
std::string CheckHeader(const uint8_t* h, TgaHeader& header) {
  header.idLength = h[kOffIdLength];
  header.hasMap = h[kOffMapType] == 1;
  header.baseType = h[kOffImageType] & ~kRleFlag;
  header.rle = (h[kOffImageType] & kRleFlag) != 0;
  header.mapFirst = Le16(h + kOffMapFirst);
  header.mapLength = Le16(h + kOffMapLength);
  header.mapEntryBits = h[kOffMapEntryBits];
  header.width = Le16(h + kOffWidth);
  header.height = Le16(h + kOffHeight);
  header.pixelBits = h[kOffPixelBits];
  header.descriptor = h[kOffDescriptor];
  if (h[kOffMapType] > 1) return "Targa file has an unknown colour map type";
  if (header.baseType < kTypeColourMapped || header.baseType > kTypeGrey || h[kOffImageType] > 11)
    return "Targa file has an unsupported image type " + std::to_string(h[kOffImageType]);
  if (header.hasMap && (!ValidColourBits(header.mapEntryBits) || header.mapLength == 0))
    return "Targa file has an invalid colour map";
  switch (header.baseType) {
    case kTypeColourMapped:
      if (!header.hasMap) return "colour-mapped Targa file has no colour map";
      if (header.pixelBits != 8 && header.pixelBits != 16) return "Targa file has an invalid index size";
      break;
    case kTypeTrueColour:
      if (!ValidColourBits(header.pixelBits)) return "Targa file has an invalid pixel size";
      break;
    default:
      if (header.pixelBits != 8 && header.pixelBits != 16) return "Targa file has an invalid grey pixel size";
  }
  if (header.width == 0 || header.height == 0) return "Targa image has no pixels";
  return {};
}

Result<TgaHeader> ParseHeader(Bytes file) {
  if (file.size() < kHeaderSize) return Result<TgaHeader>::Fail("Targa file is truncated (no header)");
  TgaHeader header;
  if (std::string problem = CheckHeader(file.data(), header); !problem.empty())
    return Result<TgaHeader>::Fail(problem);
  return header;
}

// Decodes `out.size()` bytes of pixels in `pixelBytes` units; false when the data runs out.
bool DecodeRle(Bytes in, size_t pixelBytes, std::vector<uint8_t>& out) {
  size_t pos = 0, filled = 0;
  const size_t total = out.size();
  while (filled < total) {
    if (pos >= in.size()) return false;
    const uint8_t packet = in[pos++];
    const size_t count = std::min(size_t{(packet & 0x7Fu) + 1u}, (total - filled) / pixelBytes);
    if (packet & kRunPacket) {
      if (in.size() - pos < pixelBytes) return false;
      for (size_t i = 0; i < count; ++i, filled += pixelBytes)
        std::memcpy(out.data() + filled, in.data() + pos, pixelBytes);
      pos += pixelBytes;
    } else {
      const size_t bytes = count * pixelBytes;
      if (in.size() - pos < bytes) return false;
      std::memcpy(out.data() + filled, in.data() + pos, bytes);
      pos += bytes;
      filled += bytes;
    }
    if (count == 0) return false;  // cannot happen with whole pixels left; guards the loop
  }
  return true;
}

// One colour as RGBA from `bits` (15, 16, 24, 32) little-endian BGR(A) bytes.
std::array<uint8_t, 4> DecodeColour(const uint8_t* p, int bits) {
  if (bits <= 16) {
    const unsigned v = p[0] | (p[1] << 8);
    auto expand = [](unsigned five) { return static_cast<uint8_t>((five << 3) | (five >> 2)); };
    return {expand((v >> 10) & 0x1F), expand((v >> 5) & 0x1F), expand(v & 0x1F),
            static_cast<uint8_t>((v & 0x8000) ? 255 : 0)};
  }
  return {p[2], p[1], p[0], static_cast<uint8_t>(bits == 32 ? p[3] : 255)};
}

}  // namespace

bool TgaProbe(Bytes head) {
  if (head.size() < kHeaderSize) return false;
  TgaHeader header;
  if (!CheckHeader(head.data(), header).empty()) return false;
  // Interleaving (descriptor bits 6 and 7) is obsolete; an unmapped file has no map fields.
  if (header.descriptor & 0xC0) return false;
  if (!header.hasMap && (header.mapLength != 0 || header.mapFirst != 0)) return false;
  return true;
}

Result<int> TgaPageCount(Bytes file, const Limits&) {
  auto header = ParseHeader(file);
  if (!header) return header.status();
  return 1;
}

Result<Image> TgaLoad(Bytes file, int pageIndex, const Limits& limits) {
  if (pageIndex != kDefaultPage && pageIndex != 0)
    return Result<Image>::Fail("Targa file has no page " + std::to_string(pageIndex + 1));
  auto parsed = ParseHeader(file);
  if (!parsed) return parsed.status();
  const TgaHeader& h = *parsed;
  if (Status allowed = limits.Check(h.width, h.height, 4); !allowed) return allowed;

  const size_t mapEntryBytes = h.hasMap ? (h.mapEntryBits + 7) / 8 : 0;
  const size_t mapOffset = kHeaderSize + h.idLength;
  const size_t dataOffset = mapOffset + mapEntryBytes * h.mapLength;
  if (dataOffset > file.size()) return Result<Image>::Fail("Targa file is truncated (colour map)");
  std::vector<std::array<uint8_t, 4>> map;
  for (size_t i = 0; i < h.mapLength && h.baseType == kTypeColourMapped; ++i)
    map.push_back(DecodeColour(file.data() + mapOffset + i * mapEntryBytes, h.mapEntryBits));

  const size_t pixelBytes = (h.pixelBits + 7) / 8;
  const uint64_t total = uint64_t{h.width} * h.height * pixelBytes;
  const Bytes data = file.subspan(dataOffset);
  // A packet of 1 + n bytes gives at most 128 pixels of n bytes.
  const uint64_t maxBytes = h.rle ? uint64_t{data.size()} * kMaxPacket : data.size();
  if (total > maxBytes) return Result<Image>::Fail("Targa file is truncated");
  std::vector<uint8_t> raw(static_cast<size_t>(total));
  if (h.rle) {
    if (!DecodeRle(data, pixelBytes, raw)) return Result<Image>::Fail("Targa file is truncated");
  } else {
    std::memcpy(raw.data(), data.data(), raw.size());
  }

  // Where alpha may come from: 32-bit colours, 16-bit colours with an alpha bit, grey + alpha.
  const int alphaBits = h.descriptor & kAlphaBitsMask;
  const int colourBits = h.baseType == kTypeColourMapped ? h.mapEntryBits : h.pixelBits;
  const bool grey = h.baseType == kTypeGrey;
  const bool mayHaveAlpha = grey ? h.pixelBits == 16 : (colourBits == 32 || (colourBits == 16 && alphaBits > 0));

  // Decode into RGBA (or grey + alpha) first; alpha is dropped afterwards when unused.
  auto created = Image::Create(h.width, h.height, grey ? PixelLayout::kGrayAlpha : PixelLayout::kRgba, limits);
  if (!created) return created.status();
  Image full = std::move(created.value());
  const int channels = full.channels();
  bool anyAlpha = false;
  const bool topDown = h.descriptor & kTopToBottom, rightToLeft = h.descriptor & kRightToLeft;
  for (uint32_t y = 0; y < h.height; ++y) {
    const uint8_t* in = raw.data() + size_t{y} * h.width * pixelBytes;
    uint8_t* out = full.row(topDown ? y : h.height - 1 - y);
    for (uint32_t x = 0; x < h.width; ++x, in += pixelBytes) {
      uint8_t* px = out + size_t{rightToLeft ? h.width - 1 - x : x} * channels;
      if (grey) {
        px[0] = in[0];
        px[1] = mayHaveAlpha ? in[1] : 255;
        anyAlpha = anyAlpha || px[1] != 0;
        continue;
      }
      std::array<uint8_t, 4> colour;
      if (h.baseType == kTypeColourMapped) {
        const unsigned index = pixelBytes == 1 ? in[0] : (in[0] | (in[1] << 8));
        if (index < h.mapFirst || index - h.mapFirst >= map.size())
          return Result<Image>::Fail("Targa file has a colour index outside its map");
        colour = map[index - h.mapFirst];
      } else {
        colour = DecodeColour(in, h.pixelBits);
      }
      if (!mayHaveAlpha) colour[3] = 255;
      anyAlpha = anyAlpha || colour[3] != 0;
      std::memcpy(px, colour.data(), 4);
    }
  }

  Image image;
  if (mayHaveAlpha && anyAlpha) {
    image = std::move(full);
  } else {
    auto opaque = Image::Create(h.width, h.height, grey ? PixelLayout::kGray : PixelLayout::kRgb, limits);
    if (!opaque) return opaque.status();
    image = std::move(opaque.value());
    const int keep = image.channels();
    const size_t pixels = size_t{h.width} * h.height;
    for (size_t i = 0; i < pixels; ++i) std::memcpy(image.data() + i * keep, full.data() + i * channels, keep);
  }
  image.metadata.sourceBitsPerSample = colourBits <= 16 && !grey ? 5 : 8;
  for (const auto& c : map)
    image.metadata.palette.push_back(uint32_t{c[3]} << 24 | uint32_t{c[0]} << 16 | uint32_t{c[1]} << 8 | c[2]);
  if (image.metadata.palette.size() > 256) image.metadata.palette.clear();
  return image;
}

}  // namespace braxel::imaging
