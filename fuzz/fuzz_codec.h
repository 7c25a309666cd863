// SPDX-License-Identifier: GPL-3.0-or-later
// The body shared by the codec fuzz targets: probe, page count and every page (up to a few)
// of one format, under tight size limits so that huge headers fail instead of exhausting memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/core/codec.h"

namespace braxel::imaging::fuzz {

inline int FuzzCodec(int formatCode, const uint8_t* data, size_t size) {
  const Codec* codec = FindCodecForFormat(formatCode);
  if (!codec) __builtin_trap();
  Limits limits;
  limits.maxPixels = 1u << 22;
  limits.maxDimension = 1u << 14;
  const Bytes file(data, size);
  (void)codec->probe(file);
  (void)FindCodecForContent(file);
  auto pages = codec->pageCount(file, limits);
  auto image = codec->load(file, kDefaultPage, limits);
  // A decoded image always has the size it reports.
  if (image && image->byteSize() != size_t{image->width()} * image->height() * image->channels())
    __builtin_trap();
  if (pages) {
    for (int page = 0; page < *pages && page < 4; ++page) (void)codec->load(file, page, limits);
  }
  return 0;
}

}  // namespace braxel::imaging::fuzz
