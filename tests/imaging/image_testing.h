// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the imaging tests: synthetic images, pixel comparison, and running the independent
// readers and writers (GraphicsMagick, ImageMagick, exiftool) on test files.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/core/image.h"

namespace braxel::imaging {
// Readable test failure output for tags.
void PrintTo(const ImageTags& tags, std::ostream* os);
}  // namespace braxel::imaging

namespace braxel::imaging::test {

// A smooth photo-like image (gradients plus a little noise) in `layout`; alpha, when present,
// runs from opaque to transparent across the image.
Image MakePhoto(uint32_t width, uint32_t height, PixelLayout layout, uint32_t seed = 1);
// An image of at most `colours` distinct colours (blocks), with the palette in its metadata.
Image MakePaletted(uint32_t width, uint32_t height, int colours);

// The image's pixels as 8-bit RGBA.
std::vector<uint8_t> ToRgba(const Image& image);
// The largest difference of any sample between two RGBA buffers of equal size; colour samples
// of pixels that are fully transparent in both are ignored. -1 when the sizes differ.
int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// Runs a shell command; its exit status.
int Run(const std::string& command);
// Runs a shell command and returns what it wrote to standard output.
std::string RunOutput(const std::string& command);
// The file decoded by GraphicsMagick as 8-bit RGBA of its first frame; empty on failure.
std::vector<uint8_t> DecodeWithGm(const std::string& path, uint32_t& width, uint32_t& height);
// Writes raw 8-bit RGBA pixels to a file (for feeding to GraphicsMagick or ImageMagick).
void WriteRaw(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace braxel::imaging::test
