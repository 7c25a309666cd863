// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP codec table entry.
#include "imaging/codecs/bmp/bmp.h"

#include "imaging/codecs/bmp/bmp_internal.h"

namespace braxel::imaging {

Codec BmpCodec() { return {2, "BMP", bmp::Probe, bmp::PageCount, bmp::Load, bmp::Save}; }

}  // namespace braxel::imaging
