// SPDX-License-Identifier: GPL-3.0-or-later
// OpenJPEG glue: memory streams and message collection.
#include "imaging/codecs/j2k/j2k_stream.h"

#include <algorithm>
#include <cstring>

namespace braxel::imaging::j2k {
namespace {

void CollectError(const char* message, void* client) noexcept {
  auto* messages = static_cast<Messages*>(client);
  try {
    if (messages->errors.size() < 1000) messages->errors += message ? message : "";
  } catch (...) {
  }
}
void Ignore(const char*, void*) noexcept {}

OPJ_SIZE_T ReadInput(void* out, OPJ_SIZE_T size, void* user) {
  auto* in = static_cast<InputBuffer*>(user);
  if (in->pos >= in->data.size()) return static_cast<OPJ_SIZE_T>(-1);
  const size_t n = std::min<size_t>(size, in->data.size() - in->pos);
  std::memcpy(out, in->data.data() + in->pos, n);
  in->pos += n;
  return n;
}
OPJ_OFF_T SkipInput(OPJ_OFF_T delta, void* user) {
  auto* in = static_cast<InputBuffer*>(user);
  if (delta < 0) {
    const size_t back = std::min<size_t>(in->pos, static_cast<size_t>(-delta));
    in->pos -= back;
    return -static_cast<OPJ_OFF_T>(back);
  }
  const size_t ahead = std::min<size_t>(in->data.size() - in->pos, static_cast<size_t>(delta));
  in->pos += ahead;
  return ahead == 0 && delta > 0 ? -1 : static_cast<OPJ_OFF_T>(ahead);
}
OPJ_BOOL SeekInput(OPJ_OFF_T position, void* user) {
  auto* in = static_cast<InputBuffer*>(user);
  if (position < 0 || static_cast<uint64_t>(position) > in->data.size()) return OPJ_FALSE;
  in->pos = static_cast<size_t>(position);
  return OPJ_TRUE;
}

OPJ_SIZE_T WriteOutput(void* data, OPJ_SIZE_T size, void* user) {
  auto* out = static_cast<OutputBuffer*>(user);
  try {
    if (out->data.size() < out->pos + size) out->data.resize(out->pos + size);
  } catch (...) {
    return static_cast<OPJ_SIZE_T>(-1);
  }
  std::memcpy(out->data.data() + out->pos, data, size);
  out->pos += size;
  return size;
}
OPJ_OFF_T SkipOutput(OPJ_OFF_T delta, void* user) {
  auto* out = static_cast<OutputBuffer*>(user);
  if (delta < 0 && static_cast<size_t>(-delta) > out->pos) return -1;
  out->pos = static_cast<size_t>(static_cast<OPJ_OFF_T>(out->pos) + delta);
  return delta;
}
OPJ_BOOL SeekOutput(OPJ_OFF_T position, void* user) {
  if (position < 0) return OPJ_FALSE;
  static_cast<OutputBuffer*>(user)->pos = static_cast<size_t>(position);
  return OPJ_TRUE;
}

}  // namespace

void Messages::Attach(opj_codec_t* codec) {
  opj_set_error_handler(codec, CollectError, this);
  opj_set_warning_handler(codec, Ignore, nullptr);
  opj_set_info_handler(codec, Ignore, nullptr);
}

std::string Messages::Describe(const std::string& what) const {
  std::string first = errors.substr(0, errors.find('\n'));
  return first.empty() ? what : what + ": " + first;
}

StreamPtr MakeInputStream(InputBuffer& buffer) {
  StreamPtr stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
  if (!stream) return stream;
  opj_stream_set_user_data(stream.get(), &buffer, nullptr);
  opj_stream_set_user_data_length(stream.get(), buffer.data.size());
  opj_stream_set_read_function(stream.get(), ReadInput);
  opj_stream_set_skip_function(stream.get(), SkipInput);
  opj_stream_set_seek_function(stream.get(), SeekInput);
  return stream;
}

StreamPtr MakeOutputStream(OutputBuffer& buffer) {
  StreamPtr stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
  if (!stream) return stream;
  opj_stream_set_user_data(stream.get(), &buffer, nullptr);
  opj_stream_set_write_function(stream.get(), WriteOutput);
  opj_stream_set_skip_function(stream.get(), SkipOutput);
  opj_stream_set_seek_function(stream.get(), SeekOutput);
  return stream;
}

}  // namespace braxel::imaging::j2k
