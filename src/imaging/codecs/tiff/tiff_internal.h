// SPDX-License-Identifier: GPL-3.0-or-later
// libtiff glue shared by the TIFF reader and writer: per-handle error capture and open options.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/core/codec.h"

namespace braxel::imaging::tiff {

// Messages libtiff reports for one handle; never global.
struct Diagnostics {
  char firstError[512] = {0};
  int errors = 0;
  std::string Message(const char* fallback) const {
    return errors ? std::string(firstError) : std::string(fallback);
  }
};

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
using OpenOptions = std::unique_ptr<TIFFOpenOptions, OptionsDeleter>;

struct TiffDeleter {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffDeleter>;

// Options that route errors into `diagnostics`, drop warnings and cap single allocations.
OpenOptions MakeOpenOptions(Diagnostics& diagnostics, uint64_t maxSingleAllocation);

bool Probe(Bytes head);
Result<int> PageCount(Bytes file, const Limits& limits);
Result<Image> Load(Bytes file, int pageIndex, const Limits& limits);
Status Save(const Image& image, const SaveOptions& options, AtomicOutputFile& out);

}  // namespace braxel::imaging::tiff

namespace braxel::imaging {

// Writes pages into an open output file through libtiff.
class TiffWriter {
 public:
  // Takes over the output file's descriptor when it succeeds.
  static Result<std::unique_ptr<TiffWriter>> Open(AtomicOutputFile& out);
  ~TiffWriter();
  Status WritePage(const Image& image, const SaveOptions& options, bool multiPage);
  // Flushes and closes the file; the caller then commits the output file.
  Status Close();

 private:
  TiffWriter() = default;
  tiff::Diagnostics diagnostics_;
  TIFF* tif_ = nullptr;
};

}  // namespace braxel::imaging
