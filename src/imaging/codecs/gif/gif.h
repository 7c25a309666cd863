// SPDX-License-Identifier: GPL-3.0-or-later
// GIF (format code 4) through giflib, quantising with libimagequant when needed.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

Codec GifCodec();

}  // namespace braxel::imaging
