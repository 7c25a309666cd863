// SPDX-License-Identifier: GPL-3.0-or-later
// PCX writer: 8-bit palette for images of up to 256 colours, else 24-bit in three planes; RLE.
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <optional>
#include <vector>

#include "imaging/core/pixel_convert.h"

#include "imaging/codecs/pcx/pcx.h"
#include "imaging/codecs/pcx/pcx_format.h"

namespace braxel::imaging {
namespace {

using namespace pcx;

// Appends one plane line, RLE coded; runs stay within the line.
void EncodeLine(const uint8_t* line, size_t size, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < size) {
    const uint8_t value = line[i];
    size_t run = 1;
    while (i + run < size && run < kMaxRun && line[i + run] == value) ++run;
    if (run > 1 || (value & kRunFlag) == kRunFlag) out.push_back(static_cast<uint8_t>(kRunFlag | run));
    out.push_back(value);
    i += run;
  }
}

uint16_t Dpi(double dpi) { return dpi > 0 && dpi < 65535 ? static_cast<uint16_t>(std::lround(dpi)) : 0; }

}  // namespace

Status PcxSave(const Image& image, const SaveOptions&, AtomicOutputFile& out) {
  if (image.empty()) return Status::Fail("cannot save an empty image as PCX");
  if (image.width() > 65536 || image.height() > 65536)
    return Status::Fail("image is too large for PCX (at most 65536 pixels a side)");

  // The writer drops alpha: colours are told apart by RGB alone.
  std::optional<PalettedPixels> paletteOfImage = ExtractPalette(image, 256, /*ignoreAlpha=*/true);
  const bool paletted = paletteOfImage.has_value();
  const std::vector<uint32_t> palette = paletted ? std::move(paletteOfImage->palette) : std::vector<uint32_t>();
  const std::vector<uint8_t> indices = paletted ? std::move(paletteOfImage->indices) : std::vector<uint8_t>();
  const int planes = paletted ? 1 : 3;
  const size_t bytesPerLine = (size_t{image.width()} + 1) & ~size_t{1};  // even, as readers expect

  std::vector<uint8_t> file(kHeaderSize, 0);
  uint8_t* h = file.data();
  h[0] = kManufacturer;
  h[kOffVersion] = 5;
  h[kOffEncoding] = kEncodingRle;
  h[kOffBitsPerPixel] = 8;
  PutLe16(h + kOffXMax, static_cast<uint16_t>(image.width() - 1));
  PutLe16(h + kOffYMax, static_cast<uint16_t>(image.height() - 1));
  PutLe16(h + kOffHDpi, Dpi(image.metadata.resolutionX));
  PutLe16(h + kOffVDpi, Dpi(image.metadata.resolutionY));
  h[kOffPlanes] = static_cast<uint8_t>(planes);
  PutLe16(h + kOffBytesPerLine, static_cast<uint16_t>(bytesPerLine));
  PutLe16(h + kOffPaletteInfo, image.channels() <= 2 ? 2 : 1);  // 2 = grey scale, 1 = colour

  std::vector<uint8_t> line(bytesPerLine, 0);
  for (uint32_t y = 0; y < image.height(); ++y) {
    if (paletted) {
      std::memcpy(line.data(), indices.data() + size_t{y} * image.width(), image.width());
      EncodeLine(line.data(), bytesPerLine, file);
      continue;
    }
    const uint8_t* row = image.row(y);
    for (int p = 0; p < 3; ++p) {
      for (uint32_t x = 0; x < image.width(); ++x) line[x] = row[size_t{x} * image.channels() + p];
      EncodeLine(line.data(), bytesPerLine, file);
    }
  }
  if (paletted) {
    file.push_back(kVgaPaletteMarker);
    for (size_t i = 0; i < 256; ++i) {
      const uint32_t c = i < palette.size() ? palette[i] : 0;
      file.push_back(static_cast<uint8_t>(c >> 16));
      file.push_back(static_cast<uint8_t>(c >> 8));
      file.push_back(static_cast<uint8_t>(c));
    }
  }
  return out.Write(file.data(), file.size());
}

}  // namespace braxel::imaging
