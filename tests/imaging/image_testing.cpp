// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the imaging tests.
#include "imaging/image_testing.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "imaging/core/pixel_convert.h"

namespace braxel::imaging {
void PrintTo(const ImageTags& t, std::ostream* os) {
  *os << "{" << t.title << "|" << t.description << "|" << t.dateTime << "|" << t.author << "|"
      << t.copyright << "|" << t.equipmentType << "|" << t.equipmentModel << "}";
}
}  // namespace braxel::imaging

namespace braxel::imaging::test {

Image MakePhoto(uint32_t width, uint32_t height, PixelLayout layout, uint32_t seed) {
  Image image = std::move(Image::Create(width, height, layout, Limits{}).value());
  uint32_t state = seed * 2654435761u + 1;
  const int n = image.channels();
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = image.row(y);
    for (uint32_t x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>((state >> 24) % 9) - 4;
      const double fx = double(x) / width, fy = double(y) / height;
      const int r = static_cast<int>(200 * fx + 40 * std::sin(fy * 6.0)) + noise;
      const int g = static_cast<int>(180 * fy + 50 * std::cos(fx * 5.0)) + noise;
      const int b = static_cast<int>(120 + 100 * std::sin((fx + fy) * 4.0)) + noise;
      auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      uint8_t* px = row + size_t{x} * n;
      if (n <= 2) {
        px[0] = Luma(clamp(r), clamp(g), clamp(b));
      } else {
        px[0] = clamp(r);
        px[1] = clamp(g);
        px[2] = clamp(b);
      }
      if (HasAlpha(layout)) px[n - 1] = static_cast<uint8_t>(255 - (255 * x) / std::max(1u, width - 1));
    }
  }
  return image;
}

Image MakePaletted(uint32_t width, uint32_t height, int colours) {
  Image image = std::move(Image::Create(width, height, PixelLayout::kRgb, Limits{}).value());
  for (int i = 0; i < colours; ++i)
    image.metadata.palette.push_back(0xff000000u | uint32_t(i * 37 % 256) << 16 | uint32_t(i * 91 % 256) << 8 |
                                     uint32_t(255 - i * 53 % 256));
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t c = image.metadata.palette[((x / 4) + (y / 4) * 3) % colours];
      uint8_t* px = image.row(y) + 3 * x;
      px[0] = static_cast<uint8_t>(c >> 16);
      px[1] = static_cast<uint8_t>(c >> 8);
      px[2] = static_cast<uint8_t>(c);
    }
  return image;
}

std::vector<uint8_t> ToRgba(const Image& image) {
  std::vector<uint8_t> out(size_t{image.width()} * image.height() * 4);
  for (uint32_t y = 0; y < image.height(); ++y)
    RowToRgba(image.row(y), image.layout(), image.width(), out.data() + size_t{y} * image.width() * 4);
  return out;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return -1;
  int worst = 0;
  for (size_t i = 0; i + 3 < a.size(); i += 4) {
    worst = std::max(worst, std::abs(a[i + 3] - b[i + 3]));
    if (a[i + 3] == 0 && b[i + 3] == 0) continue;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a[i + c] - b[i + c]));
  }
  return worst;
}

int Run(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return status;
}

std::string RunOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), pclose);
  if (!pipe) return {};
  std::string out;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), n);
  return out;
}

std::vector<uint8_t> DecodeWithGm(const std::string& path, uint32_t& width, uint32_t& height) {
  std::istringstream size(RunOutput("gm identify -format '%w %h\\n' '" + path + "[0]'"));
  if (!(size >> width >> height)) return {};
  const std::string raw = RunOutput("gm convert '" + path + "[0]' -depth 8 rgba:-");
  if (raw.size() != size_t{width} * height * 4) return {};
  return std::vector<uint8_t>(raw.begin(), raw.end());
}

void WriteRaw(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace braxel::imaging::test
