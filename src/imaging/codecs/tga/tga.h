// SPDX-License-Identifier: GPL-3.0-or-later
// Truevision Targa codec: colour-mapped, true-colour and grey images, plain or RLE.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

// Targa has no magic number: the probe checks that the header fields are consistent.
bool TgaProbe(Bytes head);
Result<int> TgaPageCount(Bytes file, const Limits& limits);
// Types 1, 2, 3, 9, 10 and 11; 15, 16, 24 and 32-bit pixels and map entries; either origin.
// Alpha is kept when the file has alpha samples that are not all zero (files that leave the
// alpha bytes zero mean an opaque image).
Result<Image> TgaLoad(Bytes file, int pageIndex, const Limits& limits);
// Writes RLE true colour (type 10): 24-bit, or 32-bit with 8 alpha bits when the image has
// alpha; rows bottom-up as most readers expect.
Status TgaSave(const Image& image, const SaveOptions& options, AtomicOutputFile& out);

}  // namespace braxel::imaging
