// SPDX-License-Identifier: GPL-3.0-or-later
// A buffered writer over an output file for encoders with byte-stream callbacks. It never
// throws: the first write error is kept and every later write is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/files.h"
#include "platform/result.h"

namespace braxel::imaging {

class OutputSink {
 public:
  explicit OutputSink(AtomicOutputFile& out, size_t bufferSize = 256 * 1024);
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Appends bytes; false once a write has failed.
  bool Write(const void* data, size_t size);
  // Writes out what is buffered and returns the first error, if any.
  Status Finish();
  bool failed() const { return !status_.ok(); }

 private:
  bool Flush();
  AtomicOutputFile& out_;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
  Status status_;
};

}  // namespace braxel::imaging
