// SPDX-License-Identifier: GPL-3.0-or-later
// Sun rasterfile codec: 1, 8, 24 and 32-bit, standard, RGB-order and RLE (byte-encoded) files.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

bool RasProbe(Bytes head);
Result<int> RasPageCount(Bytes file, const Limits& limits);
// Grey for maps of grey and for 1 and 8-bit files without a map, RGB otherwise; 32-bit files
// give RGBA when their pad byte holds an alpha channel (it is not all zero).
Result<Image> RasLoad(Bytes file, int pageIndex, const Limits& limits);
// Writes 8 bits with a colour map for grey images and for paletted images of at most 256
// colours, else 24-bit BGR; uncompressed. Alpha is not stored.
Status RasSave(const Image& image, const SaveOptions& options, AtomicOutputFile& out);

}  // namespace braxel::imaging
