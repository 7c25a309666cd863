// SPDX-License-Identifier: GPL-3.0-or-later
// Targa writer: RLE true colour, 24-bit or 32-bit with alpha, bottom-up rows, version 2 footer.
#include <cstring>
#include <vector>

#include "imaging/codecs/tga/tga.h"
#include "imaging/codecs/tga/tga_format.h"

namespace braxel::imaging {
namespace {

using namespace tga;

// Appends one row of BGR(A) pixels as RLE packets; packets stay within the row.
void EncodeRow(const uint8_t* row, uint32_t width, size_t pixelBytes, std::vector<uint8_t>& out) {
  uint32_t x = 0;
  auto same = [&](uint32_t a, uint32_t b) { return std::memcmp(row + a * pixelBytes, row + b * pixelBytes, pixelBytes) == 0; };
  while (x < width) {
    uint32_t run = 1;
    while (x + run < width && run < kMaxPacket && same(x, x + run)) ++run;
    if (run > 1) {
      out.push_back(static_cast<uint8_t>(kRunPacket | (run - 1)));
      out.insert(out.end(), row + x * pixelBytes, row + (x + 1) * pixelBytes);
      x += run;
      continue;
    }
    // A raw packet extends until the next pair of equal pixels.
    uint32_t count = 1;
    while (x + count < width && count < kMaxPacket && !(x + count + 1 < width && same(x + count, x + count + 1))) ++count;
    out.push_back(static_cast<uint8_t>(count - 1));
    out.insert(out.end(), row + x * pixelBytes, row + (x + count) * pixelBytes);
    x += count;
  }
}

}  // namespace

Status TgaSave(const Image& image, const SaveOptions&, AtomicOutputFile& out) {
  if (image.empty()) return Status::Fail("cannot save an empty image as Targa");
  if (image.width() > 65535 || image.height() > 65535)
    return Status::Fail("image is too large for Targa (at most 65535 pixels a side)");
  const bool alpha = HasAlpha(image.layout());
  const size_t pixelBytes = alpha ? 4 : 3;

  std::vector<uint8_t> file(kHeaderSize, 0);
  file[kOffImageType] = kTypeTrueColour | kRleFlag;
  file[kOffWidth] = static_cast<uint8_t>(image.width());
  file[kOffWidth + 1] = static_cast<uint8_t>(image.width() >> 8);
  file[kOffHeight] = static_cast<uint8_t>(image.height());
  file[kOffHeight + 1] = static_cast<uint8_t>(image.height() >> 8);
  file[kOffPixelBits] = static_cast<uint8_t>(pixelBytes * 8);
  file[kOffDescriptor] = alpha ? 8 : 0;  // alpha bits; origin bottom left

  std::vector<uint8_t> row(image.width() * pixelBytes);
  const int channels = image.channels();
  for (uint32_t y = image.height(); y-- > 0;) {
    const uint8_t* src = image.row(y);
    for (uint32_t x = 0; x < image.width(); ++x, src += channels) {
      uint8_t* dst = row.data() + x * pixelBytes;
      const bool grey = channels <= 2;
      dst[0] = grey ? src[0] : src[2];
      dst[1] = grey ? src[0] : src[1];
      dst[2] = src[0];
      if (alpha) dst[3] = src[channels - 1];
    }
    EncodeRow(row.data(), image.width(), pixelBytes, file);
  }
  file.insert(file.end(), 8, 0);  // no extension area, no developer directory
  file.insert(file.end(), kFooterSignature, kFooterSignature + sizeof kFooterSignature);
  return out.Write(file.data(), file.size());
}

}  // namespace braxel::imaging
