// SPDX-License-Identifier: GPL-3.0-or-later
// OpenJPEG glue: RAII handles, memory streams and per-codec message collection.
#pragma once

#include <openjpeg.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/codec.h"

namespace braxel::imaging::j2k {

struct CodecDeleter {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

// Collects the error messages of one codec; the callbacks never throw.
struct Messages {
  std::string errors;
  void Attach(opj_codec_t* codec);
  // "what: first error", or just `what` when the library said nothing.
  std::string Describe(const std::string& what) const;
};

// Position in a file held in memory; it outlives the stream reading it.
struct InputBuffer {
  Bytes data;
  size_t pos = 0;
};
StreamPtr MakeInputStream(InputBuffer& buffer);

// Output collected in memory, with the seeks the encoder makes.
struct OutputBuffer {
  std::vector<uint8_t> data;
  size_t pos = 0;
};
StreamPtr MakeOutputStream(OutputBuffer& buffer);

}  // namespace braxel::imaging::j2k
