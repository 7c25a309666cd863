// SPDX-License-Identifier: GPL-3.0-or-later
// Small image files for the conversion tests, written with Braxel's own writers. Each image's
// width tells which source (or TIFF page) it came from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/image_file.h"

namespace braxel::test {

// A width x 8 RGB image with a pattern derived from the width.
inline imaging::Image PatternImage(uint32_t width, uint32_t height = 8) {
  auto created =
      imaging::Image::Create(width, height, imaging::PixelLayout::kRgb, imaging::Limits{});
  imaging::Image image = std::move(created.value());
  for (uint32_t y = 0; y < height; ++y)
    for (size_t x = 0; x < image.stride(); ++x)
      image.row(y)[x] = static_cast<uint8_t>((x * 7 + y * 13 + width) & 0xff);
  return image;
}

// Writes an image of `width` as format `code` (creating its folder); returns the path, "" on
// failure.
inline std::string WriteImage(const std::string& path, int code, uint32_t width,
                              uint32_t height = 8) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  imaging::ImageFile file;
  if (!file.SaveImageAs(path, code, PatternImage(width, height))) return "";
  return path;
}

// Writes a multi-page TIFF whose page k has width widths[k].
inline std::string WriteTiffPages(const std::string& path, const std::vector<uint32_t>& widths) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  imaging::ImageFile file;
  if (widths.size() == 1) return file.SaveImageAs(path, 3, PatternImage(widths[0])) ? path : "";
  file.SetMultiPageMode(true);
  for (size_t i = 0; i < widths.size(); ++i) {
    const bool ok = i == 0 ? file.SaveImageAs(path, 3, PatternImage(widths[i]))
                           : file.AppendTiffPage(PatternImage(widths[i]), i + 1 == widths.size());
    if (!ok) return "";
  }
  return path;
}

// The widths of every page of a file; empty when it cannot be read.
inline std::vector<uint32_t> PageWidths(const std::string& path) {
  imaging::ImageFile file;
  std::vector<uint32_t> widths;
  const int count = file.GetPageCount(path);
  for (int p = 0; p < count; ++p) {
    imaging::Image image;
    if (!file.LoadImagePage(path, p, image)) return {};
    widths.push_back(image.width());
  }
  return widths;
}

}  // namespace braxel::test
