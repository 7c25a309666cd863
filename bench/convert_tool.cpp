// SPDX-License-Identifier: GPL-3.0-or-later
// imaging_convert <input> <output> <format code> [quality]: one conversion through ImageFile, for
// comparing whole-process times with other programs (bench/RESULTS.md).
#include <cstdio>
#include <cstdlib>

#include "imaging/image_file.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <input> <output> <format code> [quality]\n", argv[0]);
    return 2;
  }
  braxel::imaging::ImageFile file;
  file.SetJpegQuality(argc > 4 ? std::atoi(argv[4]) : 75);
  braxel::imaging::Image image;
  if (!file.LoadImageFile(argv[1], image) || !file.SaveImageAs(argv[2], std::atoi(argv[3]), image)) {
    std::fprintf(stderr, "%s\n", file.lastError().c_str());
    return 1;
  }
  return 0;
}
