// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG 2000 codec (OpenJPEG): reads J2K codestreams and JP2 files, writes J2K codestreams.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

// A J2K codestream (SOC + SIZ markers) or a JP2 file (signature box).
bool J2kProbe(Bytes head);
Result<int> J2kPageCount(Bytes file, const Limits& limits);
// Grey, grey + alpha, RGB or RGBA (sYCC and CMYK converted to RGB); samples of any precision
// are scaled to 8 bits and sub-sampled components are upsampled to the full image grid.
// The ICC profile of a JP2 file is kept in the metadata.
Result<Image> J2kLoad(Bytes file, int pageIndex, const Limits& limits);
// Writes a J2K codestream with one component per channel. `jpegQuality` sets the rate:
//   100      lossless (reversible 5/3 wavelet), pixels are kept exactly;
//   1 .. 99  irreversible 9/7 wavelet aiming at a PSNR of 20 + quality / 4 dB, so 75 aims at
//            about 39 dB (visually close to the original) and 99 at about 45 dB;
//   0 or less is treated as 1, more than 100 as 100.
Status J2kSave(const Image& image, const SaveOptions& options, AtomicOutputFile& out);

// The PSNR target (dB) of a JpegQuality below 100.
double J2kTargetPsnr(int quality);

}  // namespace braxel::imaging
