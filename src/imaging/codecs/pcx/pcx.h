// SPDX-License-Identifier: GPL-3.0-or-later
// PCX (ZSoft Paintbrush) codec: 1/2/4-bit planar and packed, 8-bit palette, 24/32-bit planes.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

bool PcxProbe(Bytes head);
Result<int> PcxPageCount(Bytes file, const Limits& limits);
// Gives RGB (or RGBA for four 8-bit planes); paletted files keep their palette in the metadata.
Result<Image> PcxLoad(Bytes file, int pageIndex, const Limits& limits);
// Writes one 8-bit plane with a 256-entry palette when the image has at most 256 colours,
// otherwise three 8-bit planes; always RLE. Alpha is not stored.
Status PcxSave(const Image& image, const SaveOptions& options, AtomicOutputFile& out);

}  // namespace braxel::imaging
