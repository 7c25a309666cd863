// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/core/image.h"

namespace braxel::imaging {

Result<Image> Image::Create(uint32_t width, uint32_t height, PixelLayout layout, const Limits& limits) {
  if (Status allowed = limits.Check(width, height, ChannelCount(layout)); !allowed) return allowed;
  Image image;
  image.width_ = width;
  image.height_ = height;
  image.layout_ = layout;
  image.pixels_.assign(static_cast<size_t>(width) * height * ChannelCount(layout), 0);
  return image;
}

Image Image::Clone() const {
  Image copy;
  copy.width_ = width_;
  copy.height_ = height_;
  copy.layout_ = layout_;
  copy.pixels_ = pixels_;
  copy.metadata = metadata;
  return copy;
}

}  // namespace braxel::imaging
