// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG reader (grey, RGB/YCbCr, CMYK and YCCK including Adobe's inverted CMYK, all to grey or
// RGB) and writer (grey or RGB, alpha composited over white) with EXIF tags and ICC profiles.
#include "imaging/codecs/jpeg/jpeg.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <vector>

#include "imaging/core/byte_sink.h"
#include "imaging/core/pixel_convert.h"
#include "imaging/core/tag_text.h"

namespace braxel::imaging {
namespace {

constexpr int kMaxScans = 1000;  // progressive files with more scans are hostile
constexpr uint8_t kExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};

struct ErrorState {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool corrupt;  // set by warnings that mean damaged or missing data
};

void OnErrorExit(j_common_ptr cinfo) {
  auto* state = reinterpret_cast<ErrorState*>(cinfo->err);
  cinfo->err->format_message(cinfo, state->message);
  std::longjmp(state->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  auto* state = reinterpret_cast<ErrorState*>(cinfo->err);
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HUFF_BAD_CODE:
      if (!state->corrupt) cinfo->err->format_message(cinfo, state->message);
      state->corrupt = true;
      break;
    default:
      break;
  }
}

void OnProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* state = reinterpret_cast<ErrorState*>(cinfo->err);
    std::snprintf(state->message, sizeof state->message, "JPEG file has too many scans");
    std::longjmp(state->jump, 1);
  }
}

void InitErrors(ErrorState& state) {
  jpeg_std_error(&state.mgr);
  state.mgr.error_exit = OnErrorExit;
  state.mgr.emit_message = OnMessage;
  state.message[0] = 0;
  state.corrupt = false;
}

struct Decompressor {
  jpeg_decompress_struct cinfo{};
  ErrorState errors{};
  jpeg_progress_mgr progress{};
  bool created = false;
  ~Decompressor() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

struct HeaderFacts {
  uint8_t* icc = nullptr;  // malloc'ed by libjpeg
  unsigned iccLength = 0;
};

bool ReadHeader(Decompressor& d, Bytes file, uint64_t maxMemory, HeaderFacts& facts) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_create_decompress(&d.cinfo);
  d.created = true;
  d.cinfo.mem->max_memory_to_use = static_cast<long>(maxMemory);
  d.progress.progress_monitor = OnProgress;
  d.cinfo.progress = &d.progress;
  jpeg_mem_src(&d.cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(&d.cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&d.cinfo, TRUE);
  switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE: d.cinfo.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: d.cinfo.out_color_space = JCS_CMYK; break;
    default: d.cinfo.out_color_space = JCS_RGB; break;
  }
  jpeg_calc_output_dimensions(&d.cinfo);
  jpeg_read_icc_profile(&d.cinfo, &facts.icc, &facts.iccLength);
  return true;
}

// Decodes every row: grey and RGB straight into the image, CMYK through one scratch row.
bool ReadRows(Decompressor& d, Image& image, uint8_t* scratch, bool invertedCmyk) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_start_decompress(&d.cinfo);
  const bool cmyk = d.cinfo.out_color_space == JCS_CMYK;
  const uint32_t width = image.width();
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    uint8_t* out = image.row(d.cinfo.output_scanline);
    JSAMPROW row = cmyk ? scratch : out;
    if (jpeg_read_scanlines(&d.cinfo, &row, 1) != 1) break;
    if (cmyk) {
      for (uint32_t x = 0; x < width; ++x) {
        unsigned c = scratch[4 * x], m = scratch[4 * x + 1], y = scratch[4 * x + 2], k = scratch[4 * x + 3];
        if (!invertedCmyk) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        // Inverted samples: 255 means no ink, so the colour is the product of the two.
        out[3 * x] = static_cast<uint8_t>((c * k + 127) / 255);
        out[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
        out[3 * x + 2] = static_cast<uint8_t>((y * k + 127) / 255);
      }
    }
  }
  jpeg_finish_decompress(&d.cinfo);
  return true;
}

bool Probe(Bytes head) { return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF; }

Result<int> PageCount(Bytes file, const Limits&) {
  if (!Probe(file)) return Result<int>::Fail("not a JPEG file");
  return 1;
}

Result<Image> Load(Bytes file, int pageIndex, const Limits& limits) {
  using R = Result<Image>;
  if (pageIndex > 0) return R::Fail("JPEG files have a single page");
  Decompressor d;
  InitErrors(d.errors);
  d.cinfo.err = &d.errors.mgr;
  HeaderFacts facts;
  // Room for a progressive file's coefficients of the largest image allowed, plus slack.
  const uint64_t maxMemory = std::min<uint64_t>(limits.maxPixels * 8 + (64u << 20), 0x7fffffffffffull);
  const bool headerOk = ReadHeader(d, file, maxMemory, facts);
  std::vector<uint8_t> icc;
  if (facts.icc) {
    icc.assign(facts.icc, facts.icc + facts.iccLength);
    std::free(facts.icc);
  }
  if (!headerOk) return R::Fail(std::string("cannot read JPEG: ") + d.errors.message);
  const uint32_t width = d.cinfo.output_width, height = d.cinfo.output_height;
  const bool gray = d.cinfo.out_color_space == JCS_GRAYSCALE;
  auto created = Image::Create(width, height, gray ? PixelLayout::kGray : PixelLayout::kRgb, limits);
  if (!created) return created;
  Image image = std::move(created.value());
  // Saved markers live in libjpeg's image pool, which finishing the decompression frees.
  for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && m->data_length > sizeof kExifPrefix &&
        std::memcmp(m->data, kExifPrefix, sizeof kExifPrefix) == 0) {
      image.metadata.tags = ParseExifBlock({m->data + sizeof kExifPrefix, m->data_length - sizeof kExifPrefix});
      break;
    }
  }
  std::vector<uint8_t> scratch(d.cinfo.out_color_space == JCS_CMYK ? size_t{width} * 4 : 0);
  const bool inverted = d.cinfo.saw_Adobe_marker;
  if (!ReadRows(d, image, scratch.data(), inverted))
    return R::Fail(std::string("cannot read JPEG: ") + d.errors.message);
  if (d.errors.corrupt) return R::Fail(std::string("JPEG file is damaged: ") + d.errors.message);

  ImageMetadata& meta = image.metadata;
  meta.iccProfile = std::move(icc);
  if (d.cinfo.density_unit == 1 || d.cinfo.density_unit == 2) {
    const double scale = d.cinfo.density_unit == 2 ? 2.54 : 1.0;
    meta.resolutionX = d.cinfo.X_density * scale;
    meta.resolutionY = d.cinfo.Y_density * scale;
  }
  return image;
}

// A libjpeg destination that hands full buffers to an OutputSink.
struct Destination {
  jpeg_destination_mgr mgr;
  OutputSink* sink;
  uint8_t buffer[64 * 1024];
};

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->mgr.next_output_byte = dest->buffer;
  dest->mgr.free_in_buffer = sizeof dest->buffer;
}
boolean EmptyDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->sink->Write(dest->buffer, sizeof dest->buffer);  // a failure is reported by the sink
  dest->mgr.next_output_byte = dest->buffer;
  dest->mgr.free_in_buffer = sizeof dest->buffer;
  return TRUE;
}
void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->sink->Write(dest->buffer, sizeof dest->buffer - dest->mgr.free_in_buffer);
}

struct Compressor {
  jpeg_compress_struct cinfo{};
  ErrorState errors{};
  bool created = false;
  ~Compressor() {
    if (created) jpeg_destroy_compress(&cinfo);
  }
};

struct CompressJob {
  const Image* image;
  int quality;
  const std::vector<uint8_t>* exif;  // payload with its prefix
  uint8_t* scratch;                  // one opaque row when the image has alpha
  Destination* dest;
};

bool Compress(Compressor& c, const CompressJob& job) {
  if (setjmp(c.errors.jump)) return false;
  jpeg_create_compress(&c.cinfo);
  c.created = true;
  c.cinfo.dest = &job.dest->mgr;
  const Image& image = *job.image;
  const bool gray = OpaqueLayout(image.layout()) == PixelLayout::kGray;
  c.cinfo.image_width = image.width();
  c.cinfo.image_height = image.height();
  c.cinfo.input_components = gray ? 1 : 3;
  c.cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c.cinfo);
  jpeg_set_quality(&c.cinfo, job.quality, TRUE);
  if (image.metadata.resolutionX > 0 && image.metadata.resolutionY > 0) {
    c.cinfo.density_unit = 1;
    c.cinfo.X_density = static_cast<UINT16>(std::clamp(std::lround(image.metadata.resolutionX), 1L, 65535L));
    c.cinfo.Y_density = static_cast<UINT16>(std::clamp(std::lround(image.metadata.resolutionY), 1L, 65535L));
  }
  jpeg_start_compress(&c.cinfo, TRUE);
  if (!job.exif->empty())
    jpeg_write_marker(&c.cinfo, JPEG_APP0 + 1, job.exif->data(), static_cast<unsigned>(job.exif->size()));
  if (!image.metadata.iccProfile.empty())
    jpeg_write_icc_profile(&c.cinfo, image.metadata.iccProfile.data(),
                           static_cast<unsigned>(image.metadata.iccProfile.size()));
  const bool alpha = HasAlpha(image.layout());
  while (c.cinfo.next_scanline < c.cinfo.image_height) {
    const uint8_t* src = image.row(c.cinfo.next_scanline);
    JSAMPROW row;
    if (alpha) {
      RowToOpaque(src, image.layout(), image.width(), job.scratch);
      row = job.scratch;
    } else {
      row = const_cast<JSAMPROW>(src);  // libjpeg only reads input rows
    }
    jpeg_write_scanlines(&c.cinfo, &row, 1);
  }
  jpeg_finish_compress(&c.cinfo);
  return true;
}

Status Save(const Image& image, const SaveOptions& options, AtomicOutputFile& out) {
  if (image.empty()) return Status::Fail("no image to save");
  if (image.width() > JPEG_MAX_DIMENSION || image.height() > JPEG_MAX_DIMENSION)
    return Status::Fail("image is too large for a JPEG file");
  std::vector<uint8_t> exif;
  const std::vector<uint8_t> block = BuildExifBlock(options.tags);
  if (!block.empty() && block.size() + sizeof kExifPrefix <= 65533) {
    exif.assign(kExifPrefix, kExifPrefix + sizeof kExifPrefix);
    exif.insert(exif.end(), block.begin(), block.end());
  }
  std::vector<uint8_t> scratch(HasAlpha(image.layout()) ? image.stride() : 0);
  OutputSink sink(out);
  auto dest = std::make_unique<Destination>();
  dest->mgr.init_destination = InitDestination;
  dest->mgr.empty_output_buffer = EmptyDestination;
  dest->mgr.term_destination = TermDestination;
  dest->sink = &sink;
  Compressor c;
  InitErrors(c.errors);
  c.cinfo.err = &c.errors.mgr;
  const CompressJob job{&image, std::clamp(options.jpegQuality, 0, 100), &exif, scratch.data(), dest.get()};
  const bool ok = Compress(c, job);
  if (Status written = sink.Finish(); !written) return written;
  if (!ok) return Status::Fail(std::string("cannot write JPEG: ") + c.errors.message);
  return Status::Ok();
}

}  // namespace

Codec JpegCodec() { return {1, "JPEG", Probe, PageCount, Load, Save}; }

}  // namespace braxel::imaging
