// SPDX-License-Identifier: GPL-3.0-or-later
// Windows Bitmap reader: 1/4/8/16/24/32 bits, uncompressed, RLE4, RLE8 and bit fields, bottom-up
// and top-down rows, OS/2 1.x/2.x, Windows 3 and V4/V5 headers (with alpha masks).
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "imaging/codecs/bmp/bmp_format.h"
#include "imaging/codecs/bmp/bmp_internal.h"

namespace braxel::imaging::bmp {
namespace {

struct Header {
  uint32_t dataOffset = 0;
  uint32_t headerSize = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  bool topDown = false;
  uint32_t bitCount = 0;
  uint32_t compression = kRgb;
  uint32_t coloursUsed = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // R, G, B, A
  bool haveMasks = false;
  double dpiX = 0, dpiY = 0;
  std::vector<uint32_t> palette;  // 0xAARRGGBB
  std::vector<uint8_t> icc;
};

// Where each 8-bit channel sits in a 16- or 32-bit pixel.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  uint8_t Get(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    return static_cast<uint8_t>(v * 255u / ((1u << bits) - 1u));
  }
};

Result<Channel> MakeChannel(uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask == 0) return c;
  c.shift = std::countr_zero(mask);
  const uint32_t shifted = mask >> c.shift;
  if ((shifted & (shifted + 1)) != 0) return Result<Channel>::Fail("BMP colour mask is not contiguous");
  c.bits = std::popcount(shifted);
  return c;
}

Result<Header> ParseHeader(Bytes file, const Limits& limits) {
  using R = Result<Header>;
  Header h;
  if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M')
    return R::Fail("not a BMP file");
  const uint8_t* p = file.data();
  h.dataOffset = Le32(p + 10);
  h.headerSize = Le32(p + 14);
  if (h.headerSize < kCoreHeaderSize || h.headerSize > 4096 ||
      kFileHeaderSize + uint64_t{h.headerSize} > file.size())
    return R::Fail("BMP header is truncated or invalid");
  const uint8_t* info = p + kFileHeaderSize;
  int64_t height = 0;
  int64_t width = 0;
  bool os2 = false;
  if (h.headerSize == kCoreHeaderSize) {
    width = Le16(info + 4);
    height = Le16(info + 6);
    h.bitCount = Le16(info + 10);
    os2 = true;
  } else {
    if (h.headerSize < 16) return R::Fail("BMP header is truncated or invalid");
    width = static_cast<int32_t>(Le32(info + 4));
    height = static_cast<int32_t>(Le32(info + 8));
    h.bitCount = Le16(info + 14);
    if (h.headerSize >= 20) h.compression = Le32(info + 16);
    if (h.headerSize >= 32) {
      const uint32_t ppmX = Le32(info + 24), ppmY = Le32(info + 28);
      h.dpiX = ppmX * 0.0254;
      h.dpiY = ppmY * 0.0254;
    }
    if (h.headerSize >= 36) h.coloursUsed = Le32(info + 32);
    os2 = h.headerSize == kOs2V2HeaderSize || h.headerSize < kInfoHeaderSize;
  }
  if (os2 && h.compression >= kBitfields)
    return R::Fail("OS/2 BMP with Huffman or RLE24 compression is not supported");
  if (h.compression == kJpeg || h.compression == kPng)
    return R::Fail("BMP with embedded JPEG or PNG data is not supported");
  if (height < 0) {
    h.topDown = true;
    height = -height;
  }
  if (width <= 0 || height <= 0) return R::Fail("BMP has no pixels");
  if (Status allowed = limits.Check(width, height, 4); !allowed) return allowed;
  h.width = static_cast<uint32_t>(width);
  h.height = static_cast<uint32_t>(height);

  switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return R::Fail("BMP with " + std::to_string(h.bitCount) + " bits per pixel is not supported");
  }
  const bool rleOk = (h.compression == kRle8 && h.bitCount == 8) ||
                     (h.compression == kRle4 && h.bitCount == 4);
  const bool fieldsOk = (h.compression == kBitfields || h.compression == kAlphaBitfields) &&
                        (h.bitCount == 16 || h.bitCount == 32);
  if (h.compression != kRgb && !rleOk && !fieldsOk)
    return R::Fail("BMP compression " + std::to_string(h.compression) + " with " +
                   std::to_string(h.bitCount) + " bits per pixel is not supported");

  // Bit-field masks: inside V3+ headers from 52 bytes on, or after a 40-byte header.
  uint64_t tableAt = kFileHeaderSize + uint64_t{h.headerSize};
  if (fieldsOk) {
    const int count = h.compression == kAlphaBitfields ? 4 : 3;
    const uint8_t* masks = nullptr;
    if (h.headerSize >= 52) {
      masks = info + 40;
    } else {
      if (tableAt + 4u * count > file.size()) return R::Fail("BMP colour masks are truncated");
      masks = p + tableAt;
      tableAt += 4u * count;
    }
    for (int i = 0; i < count; ++i) h.masks[i] = Le32(masks + 4 * i);
    h.haveMasks = true;
  }
  // V4/V5 headers carry an alpha mask that applies to 32-bit pixels.
  if (h.headerSize >= 56 && (h.compression == kBitfields || h.compression == kAlphaBitfields))
    h.masks[3] = Le32(info + 52);
  if (h.headerSize >= kV4HeaderSize && h.compression == kRgb && h.bitCount == 32 && Le32(info + 52))
    h.masks[3] = Le32(info + 52);

  if (h.bitCount <= 8) {
    const uint32_t entrySize = h.headerSize == kCoreHeaderSize ? 3 : 4;
    uint32_t count = h.coloursUsed == 0 ? 1u << h.bitCount : h.coloursUsed;
    if (count > (1u << h.bitCount)) count = 1u << h.bitCount;
    const uint64_t end = std::min<uint64_t>(file.size(), h.dataOffset >= tableAt ? h.dataOffset : file.size());
    // Some writers store fewer entries than they declare; take what lies before the pixels.
    const uint64_t available = end > tableAt ? (end - tableAt) / entrySize : 0;
    count = static_cast<uint32_t>(std::min<uint64_t>(count, available));
    if (count == 0) return R::Fail("BMP colour table is missing");
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* e = p + tableAt + uint64_t{i} * entrySize;
      h.palette.push_back(0xff000000u | uint32_t{e[2]} << 16 | uint32_t{e[1]} << 8 | e[0]);
    }
  }
  if (h.headerSize >= kV5HeaderSize && Le32(info + 56) == kProfileEmbedded) {
    const uint64_t at = kFileHeaderSize + uint64_t{Le32(info + 112)};
    const uint64_t size = Le32(info + 116);
    if (size > 0 && at + size <= file.size()) h.icc.assign(p + at, p + at + size);
  }
  if (h.dataOffset < kFileHeaderSize + h.headerSize || h.dataOffset >= file.size())
    return R::Fail("BMP pixel data offset is outside the file");
  return h;
}

// Decodes RLE4/RLE8 data into one index per pixel (top row first).
Status DecodeRle(const Header& h, Bytes file, std::vector<uint8_t>& indices) {
  const uint8_t* p = file.data() + h.dataOffset;
  const uint8_t* end = file.data() + file.size();
  const bool four = h.compression == kRle4;
  uint32_t x = 0, y = 0;  // y counts rows in file order (bottom-up unless top-down)
  auto put = [&](uint8_t index) {
    if (x < h.width && y < h.height) {
      const uint32_t row = h.topDown ? y : h.height - 1 - y;
      indices[size_t{row} * h.width + x] = index;
    }
    ++x;
  };
  while (true) {
    if (end - p < 2) {
      // Running out of data is fine only once every row has been written.
      if (y >= h.height) return Status::Ok();
      return Status::Fail("BMP run-length data is truncated");
    }
    const uint8_t count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i)
        put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return Status::Ok();
    } else if (value == 2) {  // delta
      if (end - p < 2) return Status::Fail("BMP run-length data is truncated");
      x += p[0];
      y += p[1];
      p += 2;
    } else {  // absolute run of `value` pixels, padded to 16 bits
      const size_t bytes = four ? (value + 1u) / 2u : value;
      const size_t padded = (bytes + 1) & ~size_t{1};
      if (static_cast<size_t>(end - p) < bytes) return Status::Fail("BMP run-length data is truncated");
      for (uint32_t i = 0; i < value; ++i) put(four ? ((i & 1) ? p[i / 2] & 0x0F : p[i / 2] >> 4) : p[i]);
      p += std::min<size_t>(padded, end - p);
    }
    if (y > h.height) return Status::Ok();
  }
}

bool PaletteIsGray(const std::vector<uint32_t>& palette) {
  return std::all_of(palette.begin(), palette.end(), [](uint32_t c) {
    return ((c >> 16) & 0xff) == ((c >> 8) & 0xff) && ((c >> 8) & 0xff) == (c & 0xff);
  });
}

}  // namespace

Result<int> PageCount(Bytes file, const Limits& limits) {
  auto header = ParseHeader(file, limits);
  if (!header) return header.status();
  return 1;
}

Result<Image> Load(Bytes file, int pageIndex, const Limits& limits) {
  if (pageIndex > 0) return Result<Image>::Fail("BMP files have a single page");
  auto parsed = ParseHeader(file, limits);
  if (!parsed) return parsed.status();
  const Header& h = *parsed;
  const uint32_t w = h.width;

  // Indexed pixels.
  if (h.bitCount <= 8) {
    std::vector<uint8_t> indices;
    const uint64_t rowBytes = (uint64_t{w} * h.bitCount + 31) / 32 * 4;
    if (h.compression == kRgb) {
      if (h.dataOffset + rowBytes * h.height > file.size()) return Result<Image>::Fail("BMP pixel data is truncated");
    } else {
      indices.assign(size_t{w} * h.height, 0);
      if (Status rle = DecodeRle(h, file, indices); !rle) return rle;
    }
    const bool gray = PaletteIsGray(h.palette);
    auto created = Image::Create(w, h.height, gray ? PixelLayout::kGray : PixelLayout::kRgb, limits);
    if (!created) return created;
    Image image = std::move(created.value());
    const size_t paletteSize = h.palette.size();
    for (uint32_t y = 0; y < h.height; ++y) {
      uint8_t* out = image.row(y);
      const uint8_t* src = h.compression == kRgb
                               ? file.data() + h.dataOffset + rowBytes * (h.topDown ? y : h.height - 1 - y)
                               : indices.data() + size_t{y} * w;
      for (uint32_t x = 0; x < w; ++x) {
        uint32_t index;
        if (h.compression != kRgb) index = src[x];
        else if (h.bitCount == 8) index = src[x];
        else if (h.bitCount == 4) index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
        else index = (src[x >> 3] >> (7 - (x & 7))) & 1;
        // An index beyond the table is shown black, as other readers do.
        const uint32_t c = index < paletteSize ? h.palette[index] : 0xff000000u;
        if (gray) {
          out[x] = static_cast<uint8_t>(c);
        } else {
          out[3 * x] = static_cast<uint8_t>(c >> 16);
          out[3 * x + 1] = static_cast<uint8_t>(c >> 8);
          out[3 * x + 2] = static_cast<uint8_t>(c);
        }
      }
    }
    image.metadata.sourceBitsPerSample = static_cast<int>(h.bitCount);
    image.metadata.palette = h.palette;
    image.metadata.resolutionX = h.dpiX;
    image.metadata.resolutionY = h.dpiY;
    image.metadata.iccProfile = h.icc;
    return image;
  }

  // Direct colour.
  const uint64_t rowBytes = (uint64_t{w} * h.bitCount + 31) / 32 * 4;
  if (h.dataOffset + rowBytes * h.height > file.size()) return Result<Image>::Fail("BMP pixel data is truncated");
  uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
  if (!h.haveMasks) {
    if (h.bitCount == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    else masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF;
  }
  if (h.bitCount == 16) masks[3] &= 0xFFFF;
  Channel channels[4];
  for (int i = 0; i < 4; ++i) {
    auto c = MakeChannel(masks[i]);
    if (!c) return c.status();
    channels[i] = *c;
  }
  bool alpha = channels[3].bits > 0 && h.bitCount != 24;
  if (alpha) {
    // Many writers declare an alpha mask but leave every alpha sample zero: that is opaque.
    bool anyAlpha = false;
    for (uint32_t y = 0; y < h.height && !anyAlpha; ++y) {
      const uint8_t* src = file.data() + h.dataOffset + rowBytes * y;
      for (uint32_t x = 0; x < w; ++x) {
        const uint32_t px = h.bitCount == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        if (px & channels[3].mask) {
          anyAlpha = true;
          break;
        }
      }
    }
    alpha = anyAlpha;
  }
  auto created = Image::Create(w, h.height, alpha ? PixelLayout::kRgba : PixelLayout::kRgb, limits);
  if (!created) return created;
  Image image = std::move(created.value());
  const bool plain32 = h.bitCount == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 &&
                       masks[2] == 0x000000FF && (!alpha || masks[3] == 0xFF000000u);
  for (uint32_t y = 0; y < h.height; ++y) {
    const uint8_t* src = file.data() + h.dataOffset + rowBytes * (h.topDown ? y : h.height - 1 - y);
    uint8_t* out = image.row(y);
    if (h.bitCount == 24) {
      for (uint32_t x = 0; x < w; ++x, src += 3, out += 3) {
        out[0] = src[2];
        out[1] = src[1];
        out[2] = src[0];
      }
    } else if (plain32) {
      const int n = alpha ? 4 : 3;
      for (uint32_t x = 0; x < w; ++x, src += 4, out += n) {
        out[0] = src[2];
        out[1] = src[1];
        out[2] = src[0];
        if (alpha) out[3] = src[3];
      }
    } else {
      const int n = alpha ? 4 : 3;
      for (uint32_t x = 0; x < w; ++x, out += n) {
        const uint32_t px = h.bitCount == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        out[0] = channels[0].Get(px);
        out[1] = channels[1].Get(px);
        out[2] = channels[2].Get(px);
        if (alpha) out[3] = channels[3].Get(px);
      }
    }
  }
  image.metadata.sourceBitsPerSample = h.bitCount == 16 ? 5 : 8;
  image.metadata.resolutionX = h.dpiX;
  image.metadata.resolutionY = h.dpiY;
  image.metadata.iccProfile = h.icc;
  return image;
}

bool Probe(Bytes head) {
  if (head.size() < 18 || head[0] != 'B' || head[1] != 'M') return false;
  const uint32_t size = Le32(head.data() + 14);
  return size == kCoreHeaderSize || (size >= 16 && size <= 64) || size == kV4HeaderSize ||
         size == kV5HeaderSize;
}

}  // namespace braxel::imaging::bmp
