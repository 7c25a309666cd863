// SPDX-License-Identifier: GPL-3.0-or-later
// GIF writer: an image with at most 256 colours keeps its exact palette; others are quantised
// by libimagequant with dithering. Pixels with alpha below 128 become the one transparent index.
#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/codecs/gif/gif_internal.h"
#include "imaging/core/byte_sink.h"
#include "imaging/core/pixel_convert.h"
#include "imaging/core/tag_text.h"

namespace braxel::imaging::gif {
namespace {

int WriteOutput(GifFileType* gif, const GifByteType* data, int length) {
  auto* sink = static_cast<OutputSink*>(gif->UserData);
  return sink->Write(data, static_cast<size_t>(length)) ? length : 0;
}

struct Encoder {
  GifFileType* gif = nullptr;
  int closeError = 0;
  bool Close() {
    if (!gif) return true;
    const int rc = EGifCloseFile(gif, &closeError);
    gif = nullptr;
    return rc == GIF_OK;
  }
  ~Encoder() { Close(); }
};

struct LiqDeleter {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
  void operator()(liq_image* p) const { liq_image_destroy(p); }
  void operator()(liq_result* p) const { liq_result_destroy(p); }
};

struct MapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

Status GifFailure(int code) {
  const char* text = GifErrorString(code);
  return Status::Fail(std::string("cannot write GIF: ") + (text ? text : "unknown error"));
}

// Palette (0xAARRGGBB, alpha 0 or 255) and one index per pixel.
struct Indexed {
  std::vector<uint32_t> palette;
  std::vector<uint8_t> indices;
};

Result<Indexed> Quantise(const std::vector<uint8_t>& rgba, uint32_t w, uint32_t h) {
  std::unique_ptr<liq_attr, LiqDeleter> attr(liq_attr_create());
  if (!attr) return Result<Indexed>::Fail("out of memory");
  liq_set_max_colors(attr.get(), 256);
  std::unique_ptr<liq_image, LiqDeleter> input(
      liq_image_create_rgba(attr.get(), rgba.data(), static_cast<int>(w), static_cast<int>(h), 0));
  if (!input) return Result<Indexed>::Fail("cannot quantise the image");
  liq_result* raw = nullptr;
  if (liq_image_quantize(input.get(), attr.get(), &raw) != LIQ_OK || !raw)
    return Result<Indexed>::Fail("cannot quantise the image");
  std::unique_ptr<liq_result, LiqDeleter> result(raw);
  liq_set_dithering_level(result.get(), 1.0f);
  Indexed out;
  out.indices.resize(size_t{w} * h);
  if (liq_write_remapped_image(result.get(), input.get(), out.indices.data(), out.indices.size()) != LIQ_OK)
    return Result<Indexed>::Fail("cannot quantise the image");
  const liq_palette* palette = liq_get_palette(result.get());
  int transparent = -1;
  std::vector<uint8_t> remap(palette->count);
  for (unsigned i = 0; i < palette->count; ++i) {
    const liq_color& c = palette->entries[i];
    if (c.a < 128) {
      // Every see-through entry folds into one transparent index.
      if (transparent < 0) {
        transparent = static_cast<int>(out.palette.size());
        out.palette.push_back(0);
      }
      remap[i] = static_cast<uint8_t>(transparent);
    } else {
      remap[i] = static_cast<uint8_t>(out.palette.size());
      out.palette.push_back(0xff000000u | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b);
    }
  }
  for (uint8_t& index : out.indices) index = remap[index];
  return out;
}

}  // namespace

Status Save(const Image& image, const SaveOptions& options, AtomicOutputFile& out) {
  if (image.empty()) return Status::Fail("no image to save");
  const uint32_t w = image.width(), h = image.height();
  if (w > 65535 || h > 65535) return Status::Fail("image is too large for a GIF file");

  // RGBA with binary alpha: see-through pixels become transparent black.
  std::vector<uint8_t> rgba(size_t{w} * h * 4);
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = rgba.data() + size_t{y} * w * 4;
    RowToRgba(image.row(y), image.layout(), w, row);
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* px = row + 4 * x;
      if (px[3] < 128) std::memset(px, 0, 4);
      else px[3] = 255;
    }
  }
  Indexed indexed;
  auto binary = Image::Create(w, h, PixelLayout::kRgba, Limits{~0ull, ~0u});
  if (!binary) return binary.status();
  std::memcpy(binary->data(), rgba.data(), rgba.size());
  std::optional<std::vector<uint8_t>> kept;
  if (!image.metadata.palette.empty()) {
    std::vector<uint32_t> palette = image.metadata.palette;
    for (uint32_t& c : palette) c = (c >> 24) < 128 ? 0u : (c | 0xff000000u);
    kept = MapToPalette(*binary, palette);
    if (kept) indexed = {std::move(palette), std::move(*kept)};
  }
  if (indexed.palette.empty()) {
    if (auto exact = ExtractPalette(*binary, 256)) {
      indexed = {std::move(exact->palette), std::move(exact->indices)};
    } else {
      auto quantised = Quantise(rgba, w, h);
      if (!quantised) return quantised.status();
      indexed = std::move(quantised.value());
    }
  }
  binary = Image();
  rgba = {};

  int transparent = NO_TRANSPARENT_COLOR;
  for (size_t i = 0; i < indexed.palette.size(); ++i)
    if ((indexed.palette[i] >> 24) == 0) {
      transparent = static_cast<int>(i);
      break;
    }
  int bits = 1;
  while ((1u << bits) < indexed.palette.size()) ++bits;
  std::vector<GifColorType> colours(size_t{1} << bits, GifColorType{0, 0, 0});
  for (size_t i = 0; i < indexed.palette.size(); ++i)
    colours[i] = {static_cast<GifByteType>(indexed.palette[i] >> 16), static_cast<GifByteType>(indexed.palette[i] >> 8),
                  static_cast<GifByteType>(indexed.palette[i])};
  std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(1 << bits, colours.data()));
  if (!map) return Status::Fail("out of memory");

  OutputSink sink(out);
  Encoder e;
  int error = 0;
  e.gif = EGifOpen(&sink, WriteOutput, &error);
  if (!e.gif) return GifFailure(error);
  EGifSetGifVersion(e.gif, true);
  if (EGifPutScreenDesc(e.gif, static_cast<int>(w), static_cast<int>(h), bits, 0, map.get()) == GIF_ERROR)
    return GifFailure(e.gif->Error);
  const std::string comment = BuildTagComment(options.tags);
  if (!comment.empty() && EGifPutComment(e.gif, comment.c_str()) == GIF_ERROR) return GifFailure(e.gif->Error);
  if (transparent != NO_TRANSPARENT_COLOR) {
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, transparent};
    GifByteType block[4];
    const size_t length = EGifGCBToExtension(&gcb, block);
    if (EGifPutExtension(e.gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block) == GIF_ERROR)
      return GifFailure(e.gif->Error);
  }
  if (EGifPutImageDesc(e.gif, 0, 0, static_cast<int>(w), static_cast<int>(h), false, nullptr) == GIF_ERROR)
    return GifFailure(e.gif->Error);
  for (uint32_t y = 0; y < h; ++y)
    if (EGifPutLine(e.gif, indexed.indices.data() + size_t{y} * w, static_cast<int>(w)) == GIF_ERROR)
      return GifFailure(e.gif->Error);
  const bool closed = e.Close();
  if (Status written = sink.Finish(); !written) return written;
  if (!closed) return GifFailure(e.closeError);
  return Status::Ok();
}

}  // namespace braxel::imaging::gif
