// SPDX-License-Identifier: GPL-3.0-or-later
// Buffered output for the encoders.
#include "imaging/core/byte_sink.h"

#include <cstring>

namespace braxel::imaging {

OutputSink::OutputSink(AtomicOutputFile& out, size_t bufferSize) : out_(out), buffer_(bufferSize) {}

bool OutputSink::Flush() {
  if (used_ == 0 || failed()) {
    used_ = 0;
    return !failed();
  }
  status_ = out_.Write(buffer_.data(), used_);
  used_ = 0;
  return !failed();
}

bool OutputSink::Write(const void* data, size_t size) {
  if (failed()) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (size >= buffer_.size()) {
    // Large blocks go straight to the file.
    if (!Flush()) return false;
    status_ = out_.Write(bytes, size);
    return !failed();
  }
  if (used_ + size > buffer_.size() && !Flush()) return false;
  std::memcpy(buffer_.data() + used_, bytes, size);
  used_ += size;
  return true;
}

Status OutputSink::Finish() {
  Flush();
  return status_;
}

}  // namespace braxel::imaging
