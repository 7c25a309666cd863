// SPDX-License-Identifier: GPL-3.0-or-later
// The one list of built-in codecs, in probe order (most specific magic first).
#include "imaging/codecs/bmp/bmp.h"
#include "imaging/codecs/gif/gif.h"
#include "imaging/codecs/jpeg/jpeg.h"
#include "imaging/codecs/png/png.h"
#include "imaging/codecs/tiff/tiff.h"
#include "imaging/core/codec.h"

namespace braxel::imaging {

std::span<const Codec> BuiltinCodecs() {
  static const Codec kCodecs[] = {
      PngCodec(),
      JpegCodec(),
      TiffCodec(),
      GifCodec(),
      BmpCodec(),
  };
  return kCodecs;
}

}  // namespace braxel::imaging
