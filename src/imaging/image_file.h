// SPDX-License-Identifier: GPL-3.0-or-later
// The file operations the conversion relies on: load (by content, never by extension), page
// counts, save by format code, multi-page TIFF writing, and the settings that later saves use.
// One ImageFile per caller; it holds no global state, so each worker thread may own one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/core/codec.h"
#include "imaging/core/image.h"
#include "imaging/core/limits.h"

namespace braxel::imaging {

class MultiPageTiffWriter;

class ImageFile {
 public:
  explicit ImageFile(Limits limits = Limits::FromEnvironment());
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // Loads the default page of a file into `image`. False (and lastError()) for an unreadable,
  // unsupported, truncated or oversized file; `image` is then left empty.
  bool LoadImageFile(const std::string& path, Image& image);
  // Loads page `pageIndex` (0 = first).
  bool LoadImagePage(const std::string& path, int pageIndex, Image& image);
  // Number of pages; 0 when the file cannot be read.
  int GetPageCount(const std::string& path);

  // Saves `image` in the format of `formatCode` (1..11). The file is written under a temporary
  // name and renamed over `path` only when complete. Codes without a writer fail.
  // With MultiPageMode on, a TIFF save starts a multi-page file that stays open for
  // AppendTiffPage; it appears under `path` when AppendTiffPage(..., true) completes it.
  bool SaveImageAs(const std::string& path, int formatCode, const Image& image);
  // Adds a page to the multi-page TIFF begun by SaveImageAs; lastPage completes the file.
  bool AppendTiffPage(const Image& image, bool lastPage);
  // Drops an unfinished multi-page file: its temporary file is removed, `path` untouched.
  void AbandonMultiPage();

  void SetMultiPageMode(bool on) { multiPageMode_ = on; }
  bool MultiPageMode() const { return multiPageMode_; }
  void SetJpegQuality(int quality) { options_.jpegQuality = quality; }
  int JpegQuality() const { return options_.jpegQuality; }
  void SetTiffCompression(int compression) { options_.tiffCompression = compression; }
  int TiffCompression() const { return options_.tiffCompression; }
  void SetImageTags(const ImageTags& tags) { options_.tags = tags; }
  const ImageTags& GetImageTags() const { return options_.tags; }
  // With `durable`, saved files are flushed to disk before they are renamed into place.
  void SetDurableWrites(bool durable) { durable_ = durable; }

  const std::string& lastError() const { return lastError_; }
  const Limits& limits() const { return limits_; }

 private:
  Limits limits_;
  SaveOptions options_;
  bool multiPageMode_ = false;
  bool durable_ = false;
  std::string lastError_;
  std::unique_ptr<MultiPageTiffWriter> multiPage_;
};

inline uint32_t ImageWidth(const Image& image) { return image.width(); }
inline uint32_t ImageHeight(const Image& image) { return image.height(); }

}  // namespace braxel::imaging
