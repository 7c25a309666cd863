// SPDX-License-Identifier: GPL-3.0-or-later
// The image buffer.
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

void Image::DropAlphaChannel() {
  if (!HasAlpha(layout_)) return;
  const int from = channels();
  const int to = from - 1;
  const size_t count = static_cast<size_t>(width_) * height_;
  uint8_t* p = pixels_.data();
  for (size_t i = 0; i < count; ++i)
    for (int c = 0; c < to; ++c) p[i * to + c] = p[i * from + c];
  layout_ = layout_ == PixelLayout::kRgba ? PixelLayout::kRgb : PixelLayout::kGray;
  pixels_.resize(count * to);
}

}  // namespace braxel::imaging
