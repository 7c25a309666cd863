// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of one icon entry: the BMP-style bitmap with its AND mask, or a PNG image.
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/ico/ico_format.h"

namespace braxel::imaging::ico {
namespace {

bool IsPng(Bytes entry) {
  return entry.size() >= 8 && std::memcmp(entry.data(), kPngSignature, 8) == 0;
}

struct DibHeader {
  uint32_t headerSize;
  uint32_t width, height;  // height of the colour bitmap: half the stored height
  bool topDown;
  int bitsPerPixel;
  uint32_t compression;
  uint32_t coloursUsed;
};

Result<DibHeader> ParseDib(Bytes entry) {
  if (entry.size() < kInfoHeaderSize) return Result<DibHeader>::Fail("icon entry is truncated (no bitmap header)");
  const uint8_t* p = entry.data();
  DibHeader h;
  h.headerSize = Le32(p);
  const auto width = static_cast<int32_t>(Le32(p + 4));
  const auto storedHeight = static_cast<int32_t>(Le32(p + 8));
  h.bitsPerPixel = Le16(p + 14);
  h.compression = Le32(p + 16);
  h.coloursUsed = Le32(p + 32);
  if (h.headerSize < kInfoHeaderSize || h.headerSize > entry.size())
    return Result<DibHeader>::Fail("icon entry has an invalid bitmap header size");
  if (width <= 0 || storedHeight == 0 || storedHeight == INT32_MIN)
    return Result<DibHeader>::Fail("icon entry has an invalid size");
  h.width = static_cast<uint32_t>(width);
  h.topDown = storedHeight < 0;
  const uint32_t absHeight = static_cast<uint32_t>(storedHeight < 0 ? -storedHeight : storedHeight);
  // The stored height covers the colour bitmap and the mask; a height of one row has no mask.
  h.height = absHeight >= 2 ? absHeight / 2 : absHeight;
  switch (h.bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default:
      return Result<DibHeader>::Fail("icon entry has an unsupported depth of " + std::to_string(h.bitsPerPixel) + " bits");
  }
  const bool bitfields = h.compression == kCompressionBitfields && (h.bitsPerPixel == 16 || h.bitsPerPixel == 32);
  if (h.compression != kCompressionRgb && !bitfields)
    return Result<DibHeader>::Fail("icon entry has an unsupported compression " + std::to_string(h.compression));
  if (h.bitsPerPixel <= 8 && h.coloursUsed > (1u << h.bitsPerPixel))
    return Result<DibHeader>::Fail("icon entry has more palette colours than its depth allows");
  return h;
}

// Position and width of a contiguous channel mask, for 16 and 32-bit bitfields.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  Channel() = default;
  explicit Channel(uint32_t m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  uint8_t Get(uint32_t v) const {
    if (!mask) return 0;
    return static_cast<uint8_t>((uint64_t{(v & mask) >> shift} * 255 + max / 2) / max);
  }
};

Result<Image> DecodeDib(Bytes entry, const Limits& limits) {
  auto parsed = ParseDib(entry);
  if (!parsed) return parsed.status();
  const DibHeader& h = *parsed;
  if (Status allowed = limits.Check(h.width, h.height, 4); !allowed) return allowed;

  size_t pos = h.headerSize;
  // Channel masks: three words after a 40-byte header, inside a larger header.
  Channel red, green, blue, alpha;
  if (h.bitsPerPixel == 16 || h.bitsPerPixel == 32) {
    if (h.compression == kCompressionBitfields) {
      const size_t maskPos = kInfoHeaderSize;
      if (h.headerSize == kInfoHeaderSize) pos += 12;
      if (entry.size() < maskPos + 12) return Result<Image>::Fail("icon entry is truncated (channel masks)");
      red = Channel(Le32(entry.data() + maskPos));
      green = Channel(Le32(entry.data() + maskPos + 4));
      blue = Channel(Le32(entry.data() + maskPos + 8));
      if (h.headerSize >= kInfoHeaderSize + 16) alpha = Channel(Le32(entry.data() + maskPos + 12));
    } else if (h.bitsPerPixel == 16) {
      red = Channel(0x7C00), green = Channel(0x03E0), blue = Channel(0x001F);
    } else {
      red = Channel(0xFF0000), green = Channel(0xFF00), blue = Channel(0xFF), alpha = Channel(0xFF000000);
    }
  }

  const size_t paletteSize = h.bitsPerPixel <= 8 ? (h.coloursUsed ? h.coloursUsed : 1u << h.bitsPerPixel) : 0;
  if (entry.size() - pos < paletteSize * 4) return Result<Image>::Fail("icon entry is truncated (palette)");
  const uint8_t* palette = entry.data() + pos;
  pos += paletteSize * 4;

  const uint64_t xorStride = (uint64_t{h.width} * h.bitsPerPixel + 31) / 32 * 4;
  const uint64_t andStride = (uint64_t{h.width} + 31) / 32 * 4;
  const uint64_t xorBytes = xorStride * h.height, andBytes = andStride * h.height;
  if (entry.size() - pos < xorBytes) return Result<Image>::Fail("icon entry is truncated (colour bitmap)");
  const uint8_t* xorData = entry.data() + pos;
  // A 32-bit entry carries its transparency in alpha; its mask may be left out.
  const bool hasMask = entry.size() - pos - xorBytes >= andBytes;
  if (!hasMask && h.bitsPerPixel != 32) return Result<Image>::Fail("icon entry is truncated (mask)");
  const uint8_t* andData = hasMask ? xorData + xorBytes : nullptr;

  auto created = Image::Create(h.width, h.height, PixelLayout::kRgba, limits);
  if (!created) return created.status();
  Image image = std::move(created.value());
  bool anyAlpha = false;
  for (uint32_t y = 0; y < h.height; ++y) {
    const size_t fileRow = h.topDown ? y : h.height - 1 - y;
    const uint8_t* in = xorData + fileRow * xorStride;
    uint8_t* out = image.row(y);
    for (uint32_t x = 0; x < h.width; ++x, out += 4) {
      if (h.bitsPerPixel <= 8) {
        const int bpp = h.bitsPerPixel;
        const size_t bit = size_t{x} * bpp;
        const unsigned index = (in[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (index >= paletteSize) return Result<Image>::Fail("icon entry has a colour index outside its palette");
        const uint8_t* c = palette + index * 4;
        out[0] = c[2], out[1] = c[1], out[2] = c[0], out[3] = 255;
      } else if (h.bitsPerPixel == 24) {
        const uint8_t* c = in + size_t{x} * 3;
        out[0] = c[2], out[1] = c[1], out[2] = c[0], out[3] = 255;
      } else {
        const uint8_t* c = in + size_t{x} * (h.bitsPerPixel / 8);
        const uint32_t v = h.bitsPerPixel == 16 ? Le16(c) : Le32(c);
        out[0] = red.Get(v), out[1] = green.Get(v), out[2] = blue.Get(v);
        out[3] = alpha.mask ? alpha.Get(v) : 255;
        anyAlpha = anyAlpha || (alpha.mask && out[3] != 0);
      }
    }
  }
  // The AND mask applies unless the entry has a real alpha channel (alpha samples all zero
  // are what older writers leave, with the mask carrying the transparency).
  if (!anyAlpha) {
    if (h.bitsPerPixel == 32 && !andData) {
      for (size_t i = 3; i < image.byteSize(); i += 4) image.data()[i] = 255;
    }
    for (uint32_t y = 0; andData && y < h.height; ++y) {
      const uint8_t* mask = andData + (h.topDown ? y : h.height - 1 - y) * andStride;
      uint8_t* out = image.row(y);
      for (uint32_t x = 0; x < h.width; ++x)
        out[size_t{x} * 4 + 3] = ((mask[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;
    }
  }
  image.metadata.sourceBitsPerSample = h.bitsPerPixel <= 8 ? h.bitsPerPixel : 8;
  for (size_t i = 0; i < paletteSize; ++i) {
    const uint8_t* c = palette + i * 4;
    image.metadata.palette.push_back(0xFF000000u | uint32_t{c[2]} << 16 | uint32_t{c[1]} << 8 | c[0]);
  }
  return image;
}

// Converts any layout to RGBA, so that every page of an icon has the same layout.
Result<Image> ToRgba(Image source, const Limits& limits) {
  if (source.layout() == PixelLayout::kRgba) return source;
  auto created = Image::Create(source.width(), source.height(), PixelLayout::kRgba, limits);
  if (!created) return created.status();
  Image image = std::move(created.value());
  const int channels = source.channels();
  const size_t pixels = size_t{source.width()} * source.height();
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* s = source.data() + i * channels;
    uint8_t* d = image.data() + i * 4;
    const bool grey = channels <= 2;
    d[0] = s[0];
    d[1] = grey ? s[0] : s[1];
    d[2] = grey ? s[0] : s[2];
    d[3] = HasAlpha(source.layout()) ? s[channels - 1] : 255;
  }
  image.metadata = std::move(source.metadata);
  return image;
}

}  // namespace

Result<EntryShape> ReadEntryShape(Bytes entry) {
  EntryShape shape;
  if (IsPng(entry)) {
    // The IHDR chunk comes first: width, height, bit depth, colour type.
    if (entry.size() < 26 || std::memcmp(entry.data() + 12, "IHDR", 4) != 0)
      return Result<EntryShape>::Fail("icon entry has an invalid PNG header");
    shape.width = Be32(entry.data() + 16);
    shape.height = Be32(entry.data() + 20);
    const int depth = entry[24];
    static constexpr int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const int colourType = entry[25];
    shape.bitsPerPixel = depth * (colourType <= 6 ? kChannels[colourType] : 0);
    return shape;
  }
  auto dib = ParseDib(entry);
  if (!dib) return dib.status();
  shape.width = dib->width;
  shape.height = dib->height;
  shape.bitsPerPixel = dib->bitsPerPixel;
  return shape;
}

Result<Image> DecodeEntry(Bytes entry, const Limits& limits) {
  if (!IsPng(entry)) return DecodeDib(entry, limits);
  auto shape = ReadEntryShape(entry);
  if (!shape) return shape.status();
  if (Status allowed = limits.Check(shape->width, shape->height, 4); !allowed) return allowed;
  const Codec* png = FindCodecForFormat(kPngFormatCode);
  if (!png || !png->load) return Result<Image>::Fail("PNG-compressed icon entries need the PNG codec");
  auto decoded = png->load(entry, 0, limits);
  if (!decoded) return Result<Image>::Fail("icon entry: " + decoded.message());
  return ToRgba(std::move(decoded.value()), limits);
}

}  // namespace braxel::imaging::ico
