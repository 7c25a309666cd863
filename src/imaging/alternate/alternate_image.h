// SPDX-License-Identifier: GPL-3.0-or-later
// The alternate imaging library path: a working image loaded and saved through GraphicsMagick
// for JPEG, BMP, TIFF, GIF and PNG, used when the built-in codecs cannot convert a file.
#pragma once

#include <memory>
#include <string>

namespace braxel::imaging {

// Format codes the alternate library reads and writes (the catalogue's numbering).
inline constexpr int kAltJpeg = 1, kAltBmp = 2, kAltTiff = 3, kAltGif = 4, kAltPng = 8;

// True for the five codes above.
bool AltFormatSupported(int formatCode);

// One working image held between a load and the following saves. Each caller owns its own
// object, so conversions on different threads never share one. The library is initialised once
// per process on first use (without its signal handlers), with the pixel and dimension limits of
// Limits::FromEnvironment().
class AltWorkingImage {
 public:
  AltWorkingImage();
  ~AltWorkingImage();
  AltWorkingImage(const AltWorkingImage&) = delete;
  AltWorkingImage& operator=(const AltWorkingImage&) = delete;

  // Decodes the file with the decoder of `formatCode` (never another one: a PNG named .jpg
  // given as JPEG fails). TIFF: the first page only; a 16-bit greyscale page is reduced to
  // 8 bits. On success the previous working image is replaced; on failure it is kept and
  // lastError() says why. Library warnings (a damaged but decodable file) still load.
  bool Load(const std::string& path, int formatCode);

  // Encodes the working image as `formatCode`: JPEG with `jpegQuality` (a 1-bit image widened
  // to 8 bits first), BMP, TIFF as one uncompressed page, GIF (a true-colour image reduced to a
  // 256-colour palette first), PNG. The file is written under a temporary name and renamed over
  // `path` only when complete; a failure leaves an existing `path` untouched.
  bool Save(const std::string& path, int formatCode, int jpegQuality);

  // With `durable`, saved files are flushed to disk before they are renamed into place.
  void SetDurableWrites(bool durable) { durable_ = durable; }

  bool empty() const;
  // Facts of the working image (0 when empty).
  unsigned long width() const;
  unsigned long height() const;
  unsigned long depth() const;  // bits per sample
  const std::string& lastError() const { return lastError_; }

 private:
  struct Handle;
  std::unique_ptr<Handle> image_;
  bool durable_ = false;
  std::string lastError_;
};

}  // namespace braxel::imaging
