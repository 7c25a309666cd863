// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target of the ICO and CUR reader.
#include "fuzz/fuzz_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return braxel::imaging::fuzz::FuzzCodec(12, data, size);
}
