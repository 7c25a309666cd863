// SPDX-License-Identifier: GPL-3.0-or-later
// PNG reader (every bit depth and colour type, reduced to 8-bit grey/RGB with or without alpha)
// and writer (grey/RGB with or without alpha, or the source's palette), with text tags and ICC.
#include "imaging/codecs/png/png.h"
#include "imaging/core/byte_order.h"

#include <png.h>
#include <zlib.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/byte_sink.h"
#include "imaging/core/pixel_convert.h"

namespace braxel::imaging {
namespace {

// Measured in bench/ (see bench/RESULTS.md): on photos the Paeth filter with zlib's run-length
// strategy writes 4 to 8 times faster than libpng's default (adaptive filters, level 6) and the
// files come out no larger. Paletted images are small and compress best unfiltered.
constexpr int kDefaultFilters = PNG_FILTER_PAETH;
constexpr int kDefaultLevel = 6;
constexpr int kDefaultStrategy = Z_RLE;
constexpr int kPaletteFilters = PNG_FILTER_NONE;
constexpr int kPaletteStrategy = Z_DEFAULT_STRATEGY;

// Per-handle state reached from libpng's callbacks; plain data only.
struct IoState {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  OutputSink* sink = nullptr;
  int sourceColourType = 0;  // before the reading transforms
  int sourceDepth = 8;
  char error[256] = {0};
};

void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<IoState*>(png_get_error_ptr(png));
  std::snprintf(state->error, sizeof state->error, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, size_t length) {
  auto* state = static_cast<IoState*>(png_get_io_ptr(png));
  if (length > state->size - state->pos) png_error(png, "PNG file is truncated");
  std::memcpy(out, state->data + state->pos, length);
  state->pos += length;
}

void WriteBytes(png_structp png, png_bytep data, size_t length) {
  auto* state = static_cast<IoState*>(png_get_io_ptr(png));
  if (!state->sink->Write(data, length)) png_error(png, "cannot write the PNG file");
}
void FlushBytes(png_structp) {}

struct ReadHandle {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadHandle() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};
struct WriteHandle {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~WriteHandle() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// Reads the header and sets the transforms that give 8-bit grey/RGB with optional alpha.
bool ReadHeader(png_structp png, png_infop info, uint32_t maxDimension, IoState& state) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, maxDimension, maxDimension);
  png_set_chunk_malloc_max(png, 64u << 20);
  png_read_info(png, info);
  const int colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  state.sourceColourType = colourType;
  state.sourceDepth = depth;
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

bool ReadRows(png_structp png, png_infop info, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

ImageTags TagsFromText(png_structp png, png_infop info) {
  ImageTags tags;
  png_textp text = nullptr;
  int count = 0;
  png_get_text(png, info, &text, &count);
  for (int i = 0; i < count; ++i) {
    const std::string key = text[i].key ? text[i].key : "";
    const std::string value = text[i].text ? text[i].text : "";
    if (key == "Title") tags.title = value;
    else if (key == "Description") tags.description = value;
    else if (key == "Creation Time") tags.dateTime = value;
    else if (key == "Author") tags.author = value;
    else if (key == "Copyright") tags.copyright = value;
    else if (key == "Make") tags.equipmentType = value;
    else if (key == "Model") tags.equipmentModel = value;
  }
  return tags;
}

bool Probe(Bytes head) { return head.size() >= 8 && png_sig_cmp(head.data(), 0, 8) == 0; }

Result<int> PageCount(Bytes file, const Limits&) {
  if (!Probe(file)) return Result<int>::Fail("not a PNG file");
  return 1;
}

// Walks the chunk lengths before libpng sees the file: the image size is checked against the
// limits, and a chunk claiming more bytes than the file holds is refused, before libpng would
// allocate a buffer of that claimed size.
Status CheckChunks(Bytes file, const Limits& limits) {
  if (file.size() < 8 + 8 + 13 + 4 || !Probe(file)) return Status::Fail("not a PNG file or truncated");
  if (std::memcmp(file.data() + 12, "IHDR", 4) != 0) return Status::Fail("PNG file does not start with IHDR");
  if (Status allowed = limits.Check(Be32(file.data() + 16), Be32(file.data() + 20), 4); !allowed) return allowed;
  for (size_t pos = 8; pos + 12 <= file.size();) {
    const uint32_t length = Be32(file.data() + pos);
    if (length > file.size() - pos - 12) return Status::Fail("PNG file is truncated");
    if (std::memcmp(file.data() + pos + 4, "IEND", 4) == 0) return Status::Ok();
    pos += size_t{12} + length;
  }
  return Status::Fail("PNG file is truncated");
}

Result<Image> Load(Bytes file, int pageIndex, const Limits& limits) {
  using R = Result<Image>;
  if (pageIndex > 0) return R::Fail("PNG files have a single page");
  if (Status checked = CheckChunks(file, limits); !checked) return checked;
  IoState state;
  state.data = file.data();
  state.size = file.size();
  ReadHandle h;
  h.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (!h.png) return R::Fail("out of memory");
  h.info = png_create_info_struct(h.png);
  if (!h.info) return R::Fail("out of memory");
  png_set_read_fn(h.png, &state, ReadBytes);
  if (!ReadHeader(h.png, h.info, limits.maxDimension, state)) return R::Fail(std::string("cannot read PNG: ") + state.error);

  const uint32_t width = png_get_image_width(h.png, h.info);
  const uint32_t height = png_get_image_height(h.png, h.info);
  const int channels = png_get_channels(h.png, h.info);
  if (channels < 1 || channels > 4 || png_get_bit_depth(h.png, h.info) != 8)
    return R::Fail("unsupported PNG pixel format");
  const auto layout = static_cast<PixelLayout>(channels);
  auto created = Image::Create(width, height, layout, limits);
  if (!created) return created;
  Image image = std::move(created.value());
  if (png_get_rowbytes(h.png, h.info) != image.stride()) return R::Fail("unsupported PNG pixel format");
  std::vector<png_bytep> rows(height);
  for (uint32_t y = 0; y < height; ++y) rows[y] = image.row(y);
  if (!ReadRows(h.png, h.info, rows.data())) return R::Fail(std::string("cannot read PNG: ") + state.error);

  ImageMetadata& meta = image.metadata;
  meta.sourceBitsPerSample = state.sourceDepth;
  png_colorp plte = nullptr;
  int entries = 0;
  if (state.sourceColourType == PNG_COLOR_TYPE_PALETTE &&
      png_get_PLTE(h.png, h.info, &plte, &entries) && entries > 0) {
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_get_tRNS(h.png, h.info, &alpha, &alphaCount, nullptr);
    for (int i = 0; i < entries && i < 256; ++i) {
      const uint32_t a = i < alphaCount && alpha ? alpha[i] : 255;
      meta.palette.push_back(a << 24 | uint32_t{plte[i].red} << 16 | uint32_t{plte[i].green} << 8 | plte[i].blue);
    }
  }
  png_charp iccName = nullptr;
  int iccCompression = 0;
  png_bytep icc = nullptr;
  png_uint_32 iccLength = 0;
  if (png_get_iCCP(h.png, h.info, &iccName, &iccCompression, &icc, &iccLength) && icc && iccLength)
    meta.iccProfile.assign(icc, icc + iccLength);
  png_uint_32 resX = 0, resY = 0;
  int unit = 0;
  if (png_get_pHYs(h.png, h.info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER) {
    meta.resolutionX = resX * 0.0254;
    meta.resolutionY = resY * 0.0254;
  }
  meta.tags = TagsFromText(h.png, h.info);
  return image;
}

struct WriteJob {
  uint32_t width = 0, height = 0;
  int bitDepth = 8;
  int colourType = 0;
  std::vector<png_color> plte;
  std::vector<png_byte> trns;
  std::vector<png_text> texts;
  const std::vector<uint8_t>* icc = nullptr;
  png_uint_32 ppmX = 0, ppmY = 0;
  int filters = 0, level = 0, strategy = 0;
  png_bytepp rows = nullptr;
};

bool WritePng(png_structp png, png_infop info, const WriteJob& job) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_benign_errors(png, 1);  // an unusable ICC profile is dropped, not fatal
  png_set_IHDR(png, info, job.width, job.height, job.bitDepth, job.colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
  png_set_compression_level(png, job.level);
  png_set_compression_strategy(png, job.strategy);
  png_set_compression_buffer_size(png, 256 * 1024);
  if (!job.plte.empty()) png_set_PLTE(png, info, job.plte.data(), static_cast<int>(job.plte.size()));
  if (!job.trns.empty()) png_set_tRNS(png, info, job.trns.data(), static_cast<int>(job.trns.size()), nullptr);
  if (job.icc && !job.icc->empty())
    png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, job.icc->data(),
                 static_cast<png_uint_32>(job.icc->size()));
  if (job.ppmX && job.ppmY) png_set_pHYs(png, info, job.ppmX, job.ppmY, PNG_RESOLUTION_METER);
  if (!job.texts.empty())
    png_set_text(png, info, const_cast<png_textp>(job.texts.data()), static_cast<int>(job.texts.size()));
  png_write_info(png, info);
  if (job.bitDepth < 8) png_set_packing(png);
  png_write_image(png, job.rows);
  png_write_end(png, info);
  return true;
}

bool IsAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

Status Save(const Image& image, const SaveOptions& options, AtomicOutputFile& out) {
  return SavePngWith(image, options, out, {});
}

}  // namespace

Status SavePngWith(const Image& image, const SaveOptions& options, AtomicOutputFile& out,
                   const PngWriteSettings& settings) {
  if (image.empty()) return Status::Fail("no image to save");
  WriteJob job;
  job.width = image.width();
  job.height = image.height();
  job.filters = settings.filters >= 0 ? settings.filters : kDefaultFilters;
  job.level = settings.zlibLevel >= 0 ? settings.zlibLevel : kDefaultLevel;
  job.strategy = settings.zlibStrategy >= 0 ? settings.zlibStrategy : kDefaultStrategy;

  // The source's palette is kept when every pixel has an entry in it.
  std::optional<std::vector<uint8_t>> indices;
  if (!image.metadata.palette.empty()) indices = MapToPalette(image, image.metadata.palette);
  std::vector<png_bytep> rows(job.height);
  if (indices) {
    const auto& palette = image.metadata.palette;
    job.colourType = PNG_COLOR_TYPE_PALETTE;
    job.bitDepth = palette.size() <= 2 ? 1 : palette.size() <= 4 ? 2 : palette.size() <= 16 ? 4 : 8;
    size_t lastOpaque = 0;
    for (size_t i = 0; i < palette.size(); ++i) {
      job.plte.push_back({static_cast<png_byte>(palette[i] >> 16), static_cast<png_byte>(palette[i] >> 8),
                          static_cast<png_byte>(palette[i])});
      job.trns.push_back(static_cast<png_byte>(palette[i] >> 24));
      if (job.trns.back() != 255) lastOpaque = i + 1;
    }
    job.trns.resize(lastOpaque);  // trailing opaque entries need no tRNS entry
    if (settings.filters < 0) job.filters = kPaletteFilters;
    if (settings.zlibStrategy < 0) job.strategy = kPaletteStrategy;
    for (uint32_t y = 0; y < job.height; ++y) rows[y] = indices->data() + size_t{y} * job.width;
  } else {
    switch (image.layout()) {
      case PixelLayout::kGray: job.colourType = PNG_COLOR_TYPE_GRAY; break;
      case PixelLayout::kGrayAlpha: job.colourType = PNG_COLOR_TYPE_GRAY_ALPHA; break;
      case PixelLayout::kRgb: job.colourType = PNG_COLOR_TYPE_RGB; break;
      case PixelLayout::kRgba: job.colourType = PNG_COLOR_TYPE_RGB_ALPHA; break;
    }
    // libpng only reads the rows it is given.
    for (uint32_t y = 0; y < job.height; ++y) rows[y] = const_cast<png_bytep>(image.row(y));
  }
  job.rows = rows.data();
  job.icc = &image.metadata.iccProfile;
  if (image.metadata.resolutionX > 0 && image.metadata.resolutionY > 0) {
    job.ppmX = static_cast<png_uint_32>(std::lround(image.metadata.resolutionX / 0.0254));
    job.ppmY = static_cast<png_uint_32>(std::lround(image.metadata.resolutionY / 0.0254));
  }
  const ImageTags& tags = options.tags;
  const std::pair<const char*, const std::string*> fields[] = {
      {"Title", &tags.title},         {"Description", &tags.description},
      {"Creation Time", &tags.dateTime}, {"Author", &tags.author},
      {"Copyright", &tags.copyright}, {"Make", &tags.equipmentType},
      {"Model", &tags.equipmentModel},
  };
  for (const auto& [key, value] : fields) {
    if (value->empty()) continue;
    png_text text{};
    // Latin-1 text chunks hold plain ASCII; anything else goes into an international chunk.
    text.compression = IsAscii(*value) ? PNG_TEXT_COMPRESSION_NONE : PNG_ITXT_COMPRESSION_NONE;
    text.key = const_cast<png_charp>(key);
    text.text = const_cast<png_charp>(value->c_str());
    text.text_length = value->size();
    job.texts.push_back(text);
  }

  OutputSink sink(out);
  IoState state;
  state.sink = &sink;
  WriteHandle h;
  h.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (!h.png) return Status::Fail("out of memory");
  h.info = png_create_info_struct(h.png);
  if (!h.info) return Status::Fail("out of memory");
  png_set_write_fn(h.png, &state, WriteBytes, FlushBytes);
  const bool written = WritePng(h.png, h.info, job);
  if (Status flushed = sink.Finish(); !flushed) return flushed;
  if (!written) return Status::Fail(std::string("cannot write PNG: ") + state.error);
  return Status::Ok();
}

Codec PngCodec() { return {8, "PNG", Probe, PageCount, Load, Save}; }

}  // namespace braxel::imaging
