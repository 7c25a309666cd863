// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF codec table entry.
#include "imaging/codecs/gif/gif.h"

#include "imaging/codecs/gif/gif_internal.h"

namespace braxel::imaging {

Codec GifCodec() { return {4, "GIF", gif::Probe, gif::PageCount, gif::Load, gif::Save}; }

}  // namespace braxel::imaging
