// SPDX-License-Identifier: GPL-3.0-or-later
// Tagged Image File Format (format code 3) through libtiff: every page, and multi-page writing.
#pragma once

#include <memory>
#include <string>

#include "imaging/core/codec.h"

namespace braxel::imaging {

Codec TiffCodec();

class TiffWriter;

// A multi-page TIFF being written under a temporary name; Finish() renames it over the target.
// Destroying it unfinished removes the temporary file and leaves the target untouched.
class MultiPageTiffWriter {
 public:
  static Result<std::unique_ptr<MultiPageTiffWriter>> Start(const std::string& path);
  ~MultiPageTiffWriter();
  MultiPageTiffWriter(const MultiPageTiffWriter&) = delete;
  MultiPageTiffWriter& operator=(const MultiPageTiffWriter&) = delete;

  Status AddPage(const Image& image, const SaveOptions& options);
  // Completes the file and moves it into place.
  Status Finish(bool durable);
  int pages() const { return pages_; }
  const std::string& path() const { return out_.targetPath(); }

 private:
  MultiPageTiffWriter() = default;
  AtomicOutputFile out_;
  std::unique_ptr<TiffWriter> writer_;
  int pages_ = 0;
};

}  // namespace braxel::imaging
