// SPDX-License-Identifier: GPL-3.0-or-later
// The one list of built-in codecs, in probe order (most specific magic first).
#include "imaging/core/codec.h"

namespace braxel::imaging {

std::span<const Codec> BuiltinCodecs() {
  static const Codec kCodecs[] = {
      {0, "none", nullptr, nullptr, nullptr, nullptr},
  };
  return {kCodecs + 1, kCodecs + 1};
}

}  // namespace braxel::imaging
