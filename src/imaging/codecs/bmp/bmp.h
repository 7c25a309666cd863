// SPDX-License-Identifier: GPL-3.0-or-later
// Windows Bitmap (format code 2): Braxel's own reader and writer.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

Codec BmpCodec();

}  // namespace braxel::imaging
