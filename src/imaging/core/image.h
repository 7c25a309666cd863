// SPDX-License-Identifier: GPL-3.0-or-later
// The image buffer: one decoded 8-bit image with what savers need to know about its source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/core/limits.h"
#include "platform/result.h"

namespace braxel::imaging {

// Channel layouts; samples are 8-bit, interleaved, rows tightly packed, top row first.
enum class PixelLayout : uint8_t { kGray = 1, kGrayAlpha = 2, kRgb = 3, kRgba = 4 };

constexpr int ChannelCount(PixelLayout layout) { return static_cast<int>(layout); }
constexpr bool HasAlpha(PixelLayout layout) {
  return layout == PixelLayout::kGrayAlpha || layout == PixelLayout::kRgba;
}

// The seven descriptive texts written into saved files where a format can hold them.
struct ImageTags {
  std::string title;
  std::string description;
  std::string dateTime;
  std::string author;
  std::string copyright;
  std::string equipmentType;   // camera maker (TIFF/EXIF "Make")
  std::string equipmentModel;  // camera model (TIFF/EXIF "Model")
  bool operator==(const ImageTags&) const = default;
};

// Facts about the source of an image, carried from load to save.
struct ImageMetadata {
  int sourceBitsPerSample = 8;        // 1, 2, 4, 8, 16... as the file stored it
  std::vector<uint32_t> palette;      // 0xAARRGGBB entries when the source was paletted (<= 256)
  double resolutionX = 0;             // pixels per inch; 0 when unknown
  double resolutionY = 0;
  std::vector<uint8_t> iccProfile;    // empty when none
  ImageTags tags;                     // texts read from the file
};

// Movable, never copied by accident: use Clone() for an explicit copy.
class Image {
 public:
  Image() = default;
  // Allocates a zero-filled image after checking the size against `limits`.
  static Result<Image> Create(uint32_t width, uint32_t height, PixelLayout layout, const Limits& limits);

  Image(Image&&) noexcept = default;
  Image& operator=(Image&&) noexcept = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  Image Clone() const;
  // Removes the alpha channel in place, keeping the colour samples as they are.
  void DropAlphaChannel();

  bool empty() const { return pixels_.empty(); }
  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  PixelLayout layout() const { return layout_; }
  int channels() const { return ChannelCount(layout_); }
  size_t stride() const { return static_cast<size_t>(width_) * channels(); }
  size_t byteSize() const { return pixels_.size(); }
  uint8_t* data() { return pixels_.data(); }
  const uint8_t* data() const { return pixels_.data(); }
  uint8_t* row(uint32_t y) { return pixels_.data() + y * stride(); }
  const uint8_t* row(uint32_t y) const { return pixels_.data() + y * stride(); }

  ImageMetadata metadata;

 private:
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  PixelLayout layout_ = PixelLayout::kRgb;
  std::vector<uint8_t> pixels_;
};

}  // namespace braxel::imaging
