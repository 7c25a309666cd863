// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry point: the input is a file of format BRAXEL_FUZZ_FORMAT; page count and the
// first two pages are decoded under small limits so that huge headers cannot exhaust memory.
#include <cstddef>
#include <cstdint>

#include "imaging/core/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace braxel::imaging;
  static const Codec* codec = FindCodecForFormat(BRAXEL_FUZZ_FORMAT);
  if (!codec || !codec->load) return 0;
  Limits limits;
  limits.maxPixels = 1u << 22;
  limits.maxDimension = 1u << 14;
  const Bytes bytes(data, size);
  if (codec->probe) (void)codec->probe(bytes);
  if (codec->pageCount) (void)codec->pageCount(bytes, limits);
  for (int page : {kDefaultPage, 1}) {
    auto image = codec->load(bytes, page, limits);
    if (image.ok() && image->byteSize() != size_t{image->width()} * image->height() * image->channels())
      __builtin_trap();  // a decoded image always fills its buffer
  }
  return 0;
}
