// SPDX-License-Identifier: GPL-3.0-or-later
// Writes small seed files for the fuzz targets: every writer, every layout, a few sizes and
// every TIFF compression, into <folder>/<format code>/.
#include <cstdio>
#include <string>

#include "imaging/core/codec.h"
#include "imaging/image_file.h"
#include "platform/files.h"

using namespace braxel::imaging;

static Image Pattern(uint32_t w, uint32_t h, PixelLayout layout, bool paletted) {
  Image image = std::move(Image::Create(w, h, layout, Limits{}).value());
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int c = 0; c < image.channels(); ++c)
        image.row(y)[x * image.channels() + c] =
            static_cast<uint8_t>(paletted ? ((x / 3 + y / 2) % 4) * 60 : (x * 7 + y * 13 + c * 50));
  if (paletted && layout == PixelLayout::kRgb)
    for (uint32_t i = 0; i < 4; ++i) image.metadata.palette.push_back(0xff000000u | (i * 60) * 0x010101u);
  return image;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  ImageFile file;
  file.SetImageTags({"t", "d", "2020-01-01", "a", "c", "m", "n"});
  int written = 0;
  for (int code = 1; code <= 14; ++code) {
    const Codec* codec = FindCodecForFormat(code);
    if (!codec || !codec->save) continue;
    const std::string folder = root + "/" + std::to_string(code);
    braxel::CreateFolderPath(folder);
    int n = 0;
    for (auto layout : {PixelLayout::kGray, PixelLayout::kGrayAlpha, PixelLayout::kRgb, PixelLayout::kRgba})
      for (bool paletted : {false, true})
        for (uint32_t size : {1u, 7u, 33u})
          for (int compression = 0; compression < (code == 3 ? 5 : 1); ++compression) {
            file.SetTiffCompression(compression);
            file.SetJpegQuality(size == 7 ? 30 : 90);
            const std::string path = folder + "/seed-" + std::to_string(n++);
            if (file.SaveImageAs(path, code, Pattern(size, size + 2, layout, paletted))) ++written;
          }
  }
  std::printf("%d seed files in %s\n", written, root.c_str());
  return written > 0 ? 0 : 1;
}
