// SPDX-License-Identifier: GPL-3.0-or-later
// Lookup of the built-in codecs by content and by format code.
#include "imaging/core/codec.h"

namespace braxel::imaging {

const Codec* FindCodecForContent(Bytes head) {
  for (const Codec& codec : BuiltinCodecs())
    if (codec.probe && codec.probe(head)) return &codec;
  return nullptr;
}

const Codec* FindCodecForFormat(int formatCode) {
  for (const Codec& codec : BuiltinCodecs())
    if (codec.formatCode == formatCode) return &codec;
  return nullptr;
}

}  // namespace braxel::imaging
