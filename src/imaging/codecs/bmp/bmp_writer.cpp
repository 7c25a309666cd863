// SPDX-License-Identifier: GPL-3.0-or-later
// Windows Bitmap writer: 24-bit, 32-bit with alpha (V4 header with bit fields), or 8-bit with
// the source's palette when every pixel has an entry in it.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "imaging/codecs/bmp/bmp_format.h"
#include "imaging/codecs/bmp/bmp_internal.h"
#include "imaging/core/byte_sink.h"
#include "imaging/core/pixel_convert.h"

namespace braxel::imaging::bmp {

Status Save(const Image& image, const SaveOptions& /*options*/, AtomicOutputFile& out) {
  if (image.empty()) return Status::Fail("no image to save");
  const uint32_t w = image.width(), h = image.height();
  const std::vector<uint32_t>& palette = image.metadata.palette;
  std::optional<std::vector<uint8_t>> indices;
  bool paletteOpaque = true;
  for (uint32_t c : palette) paletteOpaque = paletteOpaque && (c >> 24) == 0xff;
  if (!palette.empty() && palette.size() <= 256 && paletteOpaque) indices = MapToPalette(image, palette);
  const bool alpha = !indices && HasAlpha(image.layout());
  const uint32_t bits = indices ? 8 : alpha ? 32 : 24;
  const uint32_t headerSize = alpha ? kV4HeaderSize : kInfoHeaderSize;
  const uint32_t paletteEntries = indices ? static_cast<uint32_t>(palette.size()) : 0;
  const uint64_t rowBytes = (uint64_t{w} * bits + 31) / 32 * 4;
  const uint64_t offset = kFileHeaderSize + headerSize + 4ull * paletteEntries;
  const uint64_t total = offset + rowBytes * h;
  if (total > 0xFFFFFFFFull) return Status::Fail("image is too large for a BMP file");

  std::vector<uint8_t> header(offset, 0);
  uint8_t* p = header.data();
  p[0] = 'B';
  p[1] = 'M';
  PutLe32(p + 2, static_cast<uint32_t>(total));
  PutLe32(p + 10, static_cast<uint32_t>(offset));
  uint8_t* info = p + kFileHeaderSize;
  PutLe32(info, headerSize);
  PutLe32(info + 4, w);
  PutLe32(info + 8, h);  // positive: rows bottom-up
  PutLe16(info + 12, 1);
  PutLe16(info + 14, bits);
  PutLe32(info + 16, alpha ? kBitfields : kRgb);
  PutLe32(info + 20, static_cast<uint32_t>(rowBytes * h));
  auto ppm = [](double dpi) { return dpi > 0 ? static_cast<uint32_t>(std::lround(dpi / 0.0254)) : 2835u; };
  PutLe32(info + 24, ppm(image.metadata.resolutionX));
  PutLe32(info + 28, ppm(image.metadata.resolutionY));
  PutLe32(info + 32, paletteEntries);
  if (alpha) {
    PutLe32(info + 40, 0x00FF0000);
    PutLe32(info + 44, 0x0000FF00);
    PutLe32(info + 48, 0x000000FF);
    PutLe32(info + 52, 0xFF000000);
    PutLe32(info + 56, kColourSpaceSrgb);
  }
  for (uint32_t i = 0; i < paletteEntries; ++i) {
    uint8_t* e = info + headerSize + 4 * i;
    e[0] = static_cast<uint8_t>(palette[i]);
    e[1] = static_cast<uint8_t>(palette[i] >> 8);
    e[2] = static_cast<uint8_t>(palette[i] >> 16);
  }

  OutputSink sink(out);
  sink.Write(header.data(), header.size());
  std::vector<uint8_t> row(rowBytes, 0), rgba(size_t{w} * 4);
  for (uint32_t fileRow = 0; fileRow < h && !sink.failed(); ++fileRow) {
    const uint32_t y = h - 1 - fileRow;
    if (indices) {
      std::copy_n(indices->data() + size_t{y} * w, w, row.data());
    } else if (alpha) {
      RowToRgba(image.row(y), image.layout(), w, rgba.data());
      for (uint32_t x = 0; x < w; ++x) {
        row[4 * x] = rgba[4 * x + 2];
        row[4 * x + 1] = rgba[4 * x + 1];
        row[4 * x + 2] = rgba[4 * x];
        row[4 * x + 3] = rgba[4 * x + 3];
      }
    } else {
      RowToRgb(image.row(y), image.layout(), w, rgba.data());
      for (uint32_t x = 0; x < w; ++x) {
        row[3 * x] = rgba[3 * x + 2];
        row[3 * x + 1] = rgba[3 * x + 1];
        row[3 * x + 2] = rgba[3 * x];
      }
    }
    sink.Write(row.data(), row.size());
  }
  return sink.Finish();
}

}  // namespace braxel::imaging::bmp
