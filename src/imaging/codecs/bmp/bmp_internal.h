// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP reader and writer entry points behind the codec table entry.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging::bmp {

bool Probe(Bytes head);
Result<int> PageCount(Bytes file, const Limits& limits);
Result<Image> Load(Bytes file, int pageIndex, const Limits& limits);
Status Save(const Image& image, const SaveOptions& options, AtomicOutputFile& out);

}  // namespace braxel::imaging::bmp
