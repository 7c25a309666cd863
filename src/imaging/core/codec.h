// SPDX-License-Identifier: GPL-3.0-or-later
// A codec module: content probe, page count, load and save for one file format.
// Every codec is listed once in codecs/builtin_codecs.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "imaging/core/image.h"
#include "imaging/core/limits.h"
#include "platform/files.h"
#include "platform/result.h"

namespace braxel::imaging {

// The page a plain load gives: the first page, or the codec's best entry (ICO: the largest
// entry with the most colours).
inline constexpr int kDefaultPage = -1;

struct SaveOptions {
  int jpegQuality = 75;     // JPEG and J2K, 0..100
  int tiffCompression = 0;  // 0 none, 1 LZW, 2 CCITT RLE, 3 CCITT G3, 4 CCITT G4
  ImageTags tags;           // empty texts are not written
};

using Bytes = std::span<const uint8_t>;

struct Codec {
  int formatCode;          // the format code of the catalogue (1 JPEG ... 14 ANI)
  std::string_view name;   // for messages
  // True when the first bytes of a file (at least 64 when the file has them) are this format.
  bool (*probe)(Bytes head);
  // Number of pages of a whole file in memory; an error for a corrupt file.
  Result<int> (*pageCount)(Bytes file, const Limits& limits);
  // Decodes one page (0-based, or kDefaultPage). A truncated or corrupt file is an error, never a
  // partial image.
  Result<Image> (*load)(Bytes file, int pageIndex, const Limits& limits);
  // Encodes into the open output file (written under a temporary name by the caller, who
  // commits it). nullptr for read-only formats.
  Status (*save)(const Image& image, const SaveOptions& options, AtomicOutputFile& out);
};

// The built-in codecs, in probe order.
std::span<const Codec> BuiltinCodecs();
// The codec whose probe accepts the file head, or nullptr.
const Codec* FindCodecForContent(Bytes head);
// The codec of a format code, or nullptr.
const Codec* FindCodecForFormat(int formatCode);

}  // namespace braxel::imaging
