// SPDX-License-Identifier: GPL-3.0-or-later
// The one list of built-in codecs, in probe order (most specific magic first; Targa, which has
// no magic number, last).
#include "imaging/codecs/bmp/bmp.h"
#include "imaging/codecs/gif/gif.h"
#include "imaging/codecs/ico/ico.h"
#include "imaging/codecs/j2k/j2k.h"
#include "imaging/codecs/jpeg/jpeg.h"
#include "imaging/codecs/pcx/pcx.h"
#include "imaging/codecs/png/png.h"
#include "imaging/codecs/ras/ras.h"
#include "imaging/codecs/tga/tga.h"
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
      {9, "Sun Rasterfile", RasProbe, RasPageCount, RasLoad, RasSave},
      {6, "J2K", J2kProbe, J2kPageCount, J2kLoad, J2kSave},
      {14, "Windows Animated Cursor", AniProbe, AniPageCount, AniLoad, nullptr},
      {7, "PCX", PcxProbe, PcxPageCount, PcxLoad, PcxSave},
      {12, "Windows Icon", IcoProbe, IcoPageCount, IcoLoad, nullptr},
      {13, "Windows Cursor", CurProbe, IcoPageCount, IcoLoad, nullptr},
      {10, "Targa", TgaProbe, TgaPageCount, TgaLoad, TgaSave},
  };
  return kCodecs;
}

}  // namespace braxel::imaging
