// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/core/limits.h"

#include <cstdlib>

#include "platform/text.h"

namespace braxel::imaging {

Limits Limits::FromEnvironment() {
  Limits limits;
  if (const char* pixels = std::getenv("BRAXEL_MAX_PIXELS")) {
    if (auto v = ParseInt64(pixels); v && *v > 0) limits.maxPixels = static_cast<uint64_t>(*v);
  }
  if (const char* dimension = std::getenv("BRAXEL_MAX_DIMENSION")) {
    if (auto v = ParseInt64(dimension); v && *v > 0 && *v <= 0x7fffffff)
      limits.maxDimension = static_cast<uint32_t>(*v);
  }
  return limits;
}

Status Limits::Check(uint64_t width, uint64_t height, int channels) const {
  if (width == 0 || height == 0) return Status::Fail("image has no pixels");
  if (width > maxDimension || height > maxDimension)
    return Status::Fail("image of " + std::to_string(width) + "x" + std::to_string(height) +
                        " exceeds the maximum dimension of " + std::to_string(maxDimension));
  if (width * height > maxPixels)
    return Status::Fail("image of " + std::to_string(width) + "x" + std::to_string(height) +
                        " exceeds the maximum of " + std::to_string(maxPixels) + " pixels");
  (void)channels;
  return Status::Ok();
}

}  // namespace braxel::imaging
