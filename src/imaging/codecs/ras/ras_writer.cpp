// SPDX-License-Identifier: GPL-3.0-or-later
// Sun rasterfile writer: 8-bit with a colour map for grey and paletted images, else 24-bit.
#include <algorithm>
#include <unordered_map>
#include <optional>
#include <vector>

#include "imaging/core/pixel_convert.h"

#include "imaging/codecs/ras/ras.h"
#include "imaging/codecs/ras/ras_format.h"

namespace braxel::imaging {
namespace {

using namespace ras;

}  // namespace

Status RasSave(const Image& image, const SaveOptions&, AtomicOutputFile& out) {
  if (image.empty()) return Status::Fail("cannot save an empty image as a Sun rasterfile");
  const bool grey = image.channels() <= 2;
  // The writer drops alpha: colours are told apart by RGB alone.
  std::optional<PalettedPixels> paletteOfImage;
  if (grey || !image.metadata.palette.empty()) paletteOfImage = ExtractPalette(image, 256, /*ignoreAlpha=*/true);
  const bool mapped = paletteOfImage.has_value();
  const std::vector<uint32_t> palette = mapped ? std::move(paletteOfImage->palette) : std::vector<uint32_t>();
  const std::vector<uint8_t> indices = mapped ? std::move(paletteOfImage->indices) : std::vector<uint8_t>();
  const uint32_t depth = mapped ? 8 : 24;
  const uint64_t rowBytes = RowBytes(image.width(), depth);
  const uint64_t length = rowBytes * image.height();
  if (length > 0xFFFFFFFFu) return Status::Fail("image is too large for a Sun rasterfile");

  std::vector<uint8_t> file(kHeaderSize, 0);
  const uint32_t mapLength = mapped ? static_cast<uint32_t>(palette.size() * 3) : 0;
  const uint32_t words[] = {kMagic, image.width(), image.height(), depth, static_cast<uint32_t>(length),
                            kTypeStandard, mapped ? kMapRgb : kMapNone, mapLength};
  for (size_t i = 0; i < 8; ++i) PutBe32(file.data() + i * 4, words[i]);
  for (int shift : {16, 8, 0})
    for (uint32_t c : palette) file.push_back(static_cast<uint8_t>(c >> shift));

  const size_t start = file.size();
  file.resize(start + static_cast<size_t>(length), 0);
  const int channels = image.channels();
  for (uint32_t y = 0; y < image.height(); ++y) {
    uint8_t* dst = file.data() + start + y * rowBytes;
    if (mapped) {
      std::copy_n(indices.data() + size_t{y} * image.width(), image.width(), dst);
      continue;
    }
    const uint8_t* src = image.row(y);
    for (uint32_t x = 0; x < image.width(); ++x, src += channels, dst += 3) {
      dst[0] = src[2];  // standard rasters store blue, green, red
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return out.Write(file.data(), file.size());
}

}  // namespace braxel::imaging
