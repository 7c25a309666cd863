// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF writer: grey, RGB (with or without alpha), the source's palette, or bilevel pages, with
// no compression, LZW with the horizontal predictor, or CCITT RLE / Group 3 / Group 4. The CCITT
// codes need a bilevel image: other images are thresholded at mid grey after compositing any
// alpha over white.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "imaging/codecs/tiff/tiff_internal.h"
#include "imaging/core/pixel_convert.h"
#include "imaging/core/tag_text.h"

namespace braxel::imaging {
namespace {

constexpr size_t kStripBytes = 256 * 1024;

enum class PageKind { kBilevel, kPalette, kDirect };

}  // namespace

Result<std::unique_ptr<TiffWriter>> TiffWriter::Open(AtomicOutputFile& out) {
  std::unique_ptr<TiffWriter> writer(new TiffWriter());
  tiff::OpenOptions options = tiff::MakeOpenOptions(writer->diagnostics_, 1ull << 40);
  if (!options) return Status::Fail("out of memory");
  writer->tif_ = TIFFFdOpenExt(out.fd(), out.targetPath().c_str(), "w", options.get());
  if (!writer->tif_) return Status::Fail("cannot write TIFF: " + writer->diagnostics_.Message("cannot open the file"));
  out.DetachFd();  // TIFFClose closes it
  return writer;
}

TiffWriter::~TiffWriter() {
  if (tif_) TIFFClose(tif_);
}

Status TiffWriter::Close() {
  if (!tif_) return Status::Fail("the TIFF file is already closed");
  const int flushed = TIFFFlush(tif_);
  TIFFClose(tif_);
  tif_ = nullptr;
  if (!flushed || diagnostics_.errors)
    return Status::Fail("cannot write TIFF: " + diagnostics_.Message("cannot flush the file"));
  return Status::Ok();
}

Status TiffWriter::WritePage(const Image& image, const SaveOptions& options, bool multiPage) {
  if (!tif_) return Status::Fail("the TIFF file is already closed");
  if (image.empty()) return Status::Fail("no image to save");
  const int code = options.tiffCompression;
  if (code < 0 || code > 4) return Status::Fail("unknown TIFF compression code " + std::to_string(code));
  TIFF* tif = tif_;
  const uint32_t w = image.width(), h = image.height();

  PageKind kind = PageKind::kDirect;
  std::optional<std::vector<uint8_t>> indices;
  if (code >= 2 || (image.metadata.sourceBitsPerSample == 1 && IsBilevelGray(image))) {
    kind = PageKind::kBilevel;
  } else if (!image.metadata.palette.empty()) {
    bool opaque = true;
    for (uint32_t c : image.metadata.palette) opaque = opaque && (c >> 24) == 0xff;
    if (opaque) indices = MapToPalette(image, image.metadata.palette);
    if (indices) kind = PageKind::kPalette;
  }

  const int channels = image.channels();
  uint16_t bits = 8, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
  size_t rowBytes = w;
  switch (kind) {
    case PageKind::kBilevel:
      bits = 1;
      photometric = PHOTOMETRIC_MINISWHITE;
      rowBytes = (w + 7) / 8;
      break;
    case PageKind::kPalette:
      photometric = PHOTOMETRIC_PALETTE;
      break;
    case PageKind::kDirect:
      samples = static_cast<uint16_t>(channels);
      photometric = channels >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
      rowBytes = image.stride();
      break;
  }
  static const uint16_t kCompression[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_CCITTRLE,
                                          COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4};
  uint16_t compression = kCompression[code];
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  if (compression == COMPRESSION_LZW && bits == 8) TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  if (multiPage) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
  if (kind == PageKind::kDirect && HasAlpha(image.layout())) {
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  std::vector<uint16_t> map;
  if (kind == PageKind::kPalette) {
    map.assign(3 * 256, 0);
    const auto& palette = image.metadata.palette;
    for (size_t i = 0; i < palette.size(); ++i) {
      map[i] = static_cast<uint16_t>(((palette[i] >> 16) & 0xff) * 257);
      map[256 + i] = static_cast<uint16_t>(((palette[i] >> 8) & 0xff) * 257);
      map[512 + i] = static_cast<uint16_t>((palette[i] & 0xff) * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
  }
  const uint32_t rowsPerStrip =
      static_cast<uint32_t>(std::clamp<size_t>(kStripBytes / std::max<size_t>(rowBytes, 1), 1, h));
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  const ImageMetadata& meta = image.metadata;
  if (meta.resolutionX > 0 && meta.resolutionY > 0) {
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(meta.resolutionX));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(meta.resolutionY));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  if (!meta.iccProfile.empty())
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(meta.iccProfile.size()), meta.iccProfile.data());
  const ImageTags& tags = options.tags;
  const std::string dateTime = ExifDateTime(tags.dateTime);
  const std::pair<uint32_t, const std::string*> texts[] = {
      {TIFFTAG_DOCUMENTNAME, &tags.title}, {TIFFTAG_IMAGEDESCRIPTION, &tags.description},
      {TIFFTAG_DATETIME, &dateTime},       {TIFFTAG_ARTIST, &tags.author},
      {TIFFTAG_COPYRIGHT, &tags.copyright}, {TIFFTAG_MAKE, &tags.equipmentType},
      {TIFFTAG_MODEL, &tags.equipmentModel},
  };
  for (const auto& [tag, text] : texts)
    if (!text->empty()) TIFFSetField(tif, tag, text->c_str());

  // Each strip is assembled in a scratch buffer: libtiff's predictor and byte swapping may
  // change the buffer it is given, and the image is const.
  std::vector<uint8_t> strip(rowBytes * rowsPerStrip);
  for (uint32_t y = 0, s = 0; y < h; y += rowsPerStrip, ++s) {
    const uint32_t rows = std::min(rowsPerStrip, h - y);
    for (uint32_t r = 0; r < rows; ++r) {
      uint8_t* dst = strip.data() + r * rowBytes;
      switch (kind) {
        case PageKind::kBilevel: RowToBilevelMinIsWhite(image.row(y + r), image.layout(), w, dst); break;
        case PageKind::kPalette: std::copy_n(indices->data() + size_t{y + r} * w, w, dst); break;
        case PageKind::kDirect: std::copy_n(image.row(y + r), rowBytes, dst); break;
      }
    }
    const tmsize_t bytes = static_cast<tmsize_t>(rowBytes * rows);
    if (TIFFWriteEncodedStrip(tif, s, strip.data(), bytes) != bytes || diagnostics_.errors)
      return Status::Fail("cannot write TIFF: " + diagnostics_.Message("cannot write a strip"));
  }
  if (!TIFFWriteDirectory(tif) || diagnostics_.errors)
    return Status::Fail("cannot write TIFF: " + diagnostics_.Message("cannot write the page"));
  return Status::Ok();
}

}  // namespace braxel::imaging
