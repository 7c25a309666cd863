// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion benchmarks on a 3000x2000 photo-like image: Braxel's ImageFile path against a minimal
// loop over the raw libraries doing the same work, plus the PNG filter/deflate settings sweep.
// The input is synthetic (gradients, texture and noise) unless BRAXEL_BENCH_PHOTO names a file.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/png/png.h"
#include "imaging/image_file.h"
#include "platform/files.h"

namespace {

using braxel::imaging::Image;
using braxel::imaging::ImageFile;
using braxel::imaging::PixelLayout;

struct Inputs {
  std::string folder, jpeg, png, tiff;
  Image photo;
};

Image SyntheticPhoto(uint32_t w, uint32_t h) {
  Image image = std::move(Image::Create(w, h, PixelLayout::kRgb, {}).value());
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 3.0);
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = image.row(y);
    for (uint32_t x = 0; x < w; ++x) {
      const double fx = double(x) / w, fy = double(y) / h;
      const double texture = 18 * std::sin(x * 0.05 + std::sin(y * 0.021) * 3) * std::cos(y * 0.043);
      const double base[3] = {60 + 150 * fx + 30 * std::sin(fy * 7), 40 + 160 * fy + 25 * std::cos(fx * 9),
                              90 + 90 * std::sin((fx + fy) * 3.5)};
      for (int c = 0; c < 3; ++c) {
        const double v = base[c] + texture * (0.6 + 0.2 * c) + noise(random);
        row[3 * x + c] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
  return image;
}

const Inputs& GetInputs() {
  static Inputs inputs = [] {
    Inputs in;
    in.folder = braxel::TempFolder() + "/braxel-bench";
    braxel::CreateFolderPath(in.folder);
    ImageFile file;
    if (const char* photo = std::getenv("BRAXEL_BENCH_PHOTO")) file.LoadImageFile(photo, in.photo);
    if (in.photo.empty()) in.photo = SyntheticPhoto(3000, 2000);
    in.jpeg = in.folder + "/photo.jpg";
    in.png = in.folder + "/photo.png";
    in.tiff = in.folder + "/photo.tif";
    file.SetJpegQuality(90);
    file.SaveImageAs(in.jpeg, 1, in.photo);
    file.SaveImageAs(in.png, 8, in.photo);
    file.SetTiffCompression(1);
    file.SaveImageAs(in.tiff, 3, in.photo);
    return in;
  }();
  return inputs;
}

// ---- minimal raw-library loops -------------------------------------------------------------

struct Raw {
  uint32_t w = 0, h = 0;
  int channels = 3;
  std::vector<uint8_t> pixels;
};

Raw RawReadJpeg(const std::string& path) {
  Raw raw;
  FILE* f = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  raw.w = cinfo.output_width, raw.h = cinfo.output_height;
  raw.pixels.resize(size_t{raw.w} * raw.h * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = raw.pixels.data() + size_t{cinfo.output_scanline} * raw.w * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return raw;
}

void RawWriteJpeg(const Raw& raw, const std::string& path, int quality) {
  FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = raw.w, cinfo.image_height = raw.h;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(raw.pixels.data()) + size_t{cinfo.next_scanline} * raw.w * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(f);
}

Raw RawReadPng(const std::string& path) {
  Raw raw;
  FILE* f = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_read_info(png, info);
  raw.w = png_get_image_width(png, info), raw.h = png_get_image_height(png, info);
  raw.channels = png_get_channels(png, info);
  raw.pixels.resize(size_t{raw.w} * raw.h * raw.channels);
  std::vector<png_bytep> rows(raw.h);
  for (uint32_t y = 0; y < raw.h; ++y) rows[y] = raw.pixels.data() + size_t{y} * raw.w * raw.channels;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return raw;
}

void RawWritePng(const Raw& raw, const std::string& path, int filters, int level, int strategy) {
  FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, raw.w, raw.h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
  png_set_compression_level(png, level);
  png_set_compression_strategy(png, strategy);
  png_write_info(png, info);
  std::vector<png_bytep> rows(raw.h);
  for (uint32_t y = 0; y < raw.h; ++y) rows[y] = const_cast<uint8_t*>(raw.pixels.data()) + size_t{y} * raw.w * 3;
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

Raw RawReadTiff(const std::string& path) {
  Raw raw;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &raw.w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &raw.h);
  raw.pixels.resize(size_t{raw.w} * raw.h * 3);
  const tmsize_t stripSize = TIFFStripSize(tif);
  uint8_t* out = raw.pixels.data();
  const size_t total = raw.pixels.size();
  size_t done = 0;
  for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
    const tmsize_t n = TIFFReadEncodedStrip(tif, s, out + done, std::min<tmsize_t>(stripSize, total - done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  TIFFClose(tif);
  return raw;
}

// ---- benchmarks ------------------------------------------------------------------------------

void SetBytes(benchmark::State& state, const std::string& path) {
  state.counters["out_bytes"] = static_cast<double>(braxel::GetFileSize(path).value_or(0));
}

void BM_JpegToPng_Braxel(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const std::string out = in.folder + "/b.png";
  ImageFile file;
  for (auto _ : state) {
    Image image;
    file.LoadImageFile(in.jpeg, image);
    file.SaveImageAs(out, 8, image);
  }
  SetBytes(state, out);
}
void BM_JpegToPng_Raw(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const std::string out = in.folder + "/r.png";
  for (auto _ : state) RawWritePng(RawReadJpeg(in.jpeg), out, PNG_FILTER_PAETH, 6, Z_RLE);
  SetBytes(state, out);
}
void BM_PngToJpeg_Braxel(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const std::string out = in.folder + "/b.jpg";
  ImageFile file;
  file.SetJpegQuality(75);
  for (auto _ : state) {
    Image image;
    file.LoadImageFile(in.png, image);
    file.SaveImageAs(out, 1, image);
  }
  SetBytes(state, out);
}
void BM_PngToJpeg_Raw(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const std::string out = in.folder + "/r.jpg";
  for (auto _ : state) RawWriteJpeg(RawReadPng(in.png), out, 75);
  SetBytes(state, out);
}
void BM_TiffToJpeg_Braxel(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const std::string out = in.folder + "/bt.jpg";
  ImageFile file;
  file.SetJpegQuality(75);
  for (auto _ : state) {
    Image image;
    file.LoadImageFile(in.tiff, image);
    file.SaveImageAs(out, 1, image);
  }
  SetBytes(state, out);
}
void BM_TiffToJpeg_Raw(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const std::string out = in.folder + "/rt.jpg";
  for (auto _ : state) RawWriteJpeg(RawReadTiff(in.tiff), out, 75);
  SetBytes(state, out);
}

// PNG writing only, for the filter/deflate choice: arg 0 = filter mask, arg 1 = zlib level.
void BM_PngWrite(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const std::string out = in.folder + "/w.png";
  braxel::imaging::PngWriteSettings settings;
  settings.filters = static_cast<int>(state.range(0));
  settings.zlibLevel = static_cast<int>(state.range(1));
  settings.zlibStrategy = static_cast<int>(state.range(2));
  for (auto _ : state) {
    auto file = braxel::AtomicOutputFile::Create(out);
    (void)braxel::imaging::SavePngWith(in.photo, {}, *file, settings);
    (void)file->Commit();
  }
  SetBytes(state, out);
}

BENCHMARK(BM_JpegToPng_Braxel)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_JpegToPng_Raw)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PngToJpeg_Braxel)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PngToJpeg_Raw)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TiffToJpeg_Braxel)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TiffToJpeg_Raw)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PngWrite)
    ->Unit(benchmark::kMillisecond)
    ->ArgNames({"filters", "level", "strategy"})
    ->Args({PNG_ALL_FILTERS, 6, Z_DEFAULT_STRATEGY})  // libpng's default
    ->Args({PNG_FILTER_NONE, 6, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_SUB, 1, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_SUB, 2, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_SUB, 3, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_UP, 2, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_PAETH, 2, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_SUB, 6, Z_RLE})
    ->Args({PNG_FILTER_PAETH, 6, Z_RLE})
    ->Args({PNG_ALL_FILTERS, 2, Z_DEFAULT_STRATEGY})
    ->Args({PNG_ALL_FILTERS, 1, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_SUB | PNG_FILTER_UP | PNG_FILTER_PAETH, 2, Z_DEFAULT_STRATEGY})
    ->Args({PNG_FILTER_SUB, 1, Z_RLE})
    ->Args({PNG_FILTER_UP, 6, Z_RLE})
    ->Args({PNG_FILTER_AVG, 6, Z_RLE})
    ->Args({PNG_ALL_FILTERS, 6, Z_RLE});

}  // namespace

BENCHMARK_MAIN();
