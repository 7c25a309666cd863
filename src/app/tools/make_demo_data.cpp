// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the shipped demo images with Braxel's own writers: small synthetic scenes (gradients,
// discs and stripes) in several formats, and a three-page TIFF.
#include <cmath>
#include <cstdio>
#include <string>

#include "imaging/image_file.h"
#include "platform/files.h"
#include "platform/path.h"

namespace {

using namespace braxel;
using namespace braxel::imaging;

Image Scene(uint32_t width, uint32_t height, int variant, bool alpha) {
  Image image = std::move(Image::Create(width, height, alpha ? PixelLayout::kRgba : PixelLayout::kRgb, Limits()).value());
  const double cx = width * (0.3 + 0.2 * variant), cy = height * 0.5, radius = height * 0.3;
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = image.row(y);
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = row + x * image.channels();
      const double d = std::hypot(x - cx, y - cy);
      const bool inDisc = d < radius;
      p[0] = static_cast<uint8_t>(inDisc ? 230 : 40 + 180.0 * x / width);
      p[1] = static_cast<uint8_t>(inDisc ? 120 + 60 * variant : 60 + 150.0 * y / height);
      p[2] = static_cast<uint8_t>(((x / 16 + y / 16) % 2) ? 200 : 90);
      if (alpha) p[3] = static_cast<uint8_t>(inDisc ? 255 : 96);
    }
  }
  image.metadata.resolutionX = image.metadata.resolutionY = 96;
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_data FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  CreateFolderPath(folder);
  ImageFile file;
  struct Output {
    const char* name;
    int code;
    int variant;
    bool alpha;
  };
  const Output outputs[] = {
      {"sunrise.png", 8, 0, true},  {"harbour.jpg", 1, 1, false}, {"meadow.bmp", 2, 2, false},
      {"dunes.gif", 4, 0, false},   {"tiles.pcx", 7, 1, false},   {"comet.tga", 10, 2, true},
      {"orbit.ras", 9, 0, false},
  };
  int failures = 0;
  for (const Output& out : outputs) {
    if (!file.SaveImageAs(JoinPath(folder, out.name), out.code, Scene(320, 240, out.variant, out.alpha))) {
      std::fprintf(stderr, "make_demo_data: %s: %s\n", out.name, file.lastError().c_str());
      ++failures;
    }
  }
  // A three-page TIFF, for page selection.
  file.SetTiffCompression(1);
  file.SetMultiPageMode(true);
  bool tiffOk = file.SaveImageAs(JoinPath(folder, "album.tif"), 3, Scene(320, 240, 0, false));
  tiffOk = tiffOk && file.AppendTiffPage(Scene(320, 240, 1, false), false);
  tiffOk = tiffOk && file.AppendTiffPage(Scene(320, 240, 2, false), true);
  if (!tiffOk) {
    std::fprintf(stderr, "make_demo_data: album.tif: %s\n", file.lastError().c_str());
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}
