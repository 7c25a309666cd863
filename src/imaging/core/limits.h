// SPDX-License-Identifier: GPL-3.0-or-later
// Size limits every reader checks from the header before it allocates anything.
#pragma once

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace braxel::imaging {

struct Limits {
  // Defaults fit a 24 GiB machine: 1 gigapixel RGBA is 4 GiB of pixels plus a decoder's own.
  uint64_t maxPixels = 1ull << 30;
  uint32_t maxDimension = 1u << 18;

  // The defaults, overridden by BRAXEL_MAX_PIXELS and BRAXEL_MAX_DIMENSION when set.
  static Limits FromEnvironment();

  // Ok when a width x height image with `channels` 8-bit samples may be allocated.
  Status Check(uint64_t width, uint64_t height, int channels = 4) const;
};

}  // namespace braxel::imaging
