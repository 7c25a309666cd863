// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF reader: strips and tiles of 1-16 bit grey, palette and RGB pages decoded straight into the
// image buffer; CMYK, YCbCr, separate planes and the rest through libtiff's RGBA interface.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "imaging/codecs/tiff/tiff_internal.h"

namespace braxel::imaging::tiff {
namespace {

struct MemoryFile {
  const uint8_t* data;
  uint64_t size;
  uint64_t pos;
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (size <= 0 || file->pos >= file->size) return 0;
  const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(size), file->size - file->pos);
  std::memcpy(buffer, file->data + file->pos, n);
  file->pos += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  uint64_t base = whence == SEEK_CUR ? file->pos : whence == SEEK_END ? file->size : 0;
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  file->pos = base + offset;
  return file->pos;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size; }
int MapProc(thandle_t handle, void** base, toff_t* size) {
  auto* file = static_cast<MemoryFile*>(handle);
  *base = const_cast<uint8_t*>(file->data);  // libtiff only reads a read-only mapping
  *size = file->size;
  return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

struct OpenFile {
  MemoryFile memory;
  Diagnostics diagnostics;
  TiffHandle tif;
};

Status Open(Bytes bytes, const Limits& limits, OpenFile& file) {
  file.memory = {bytes.data(), bytes.size(), 0};
  OpenOptions options = MakeOpenOptions(file.diagnostics, limits.maxPixels * 8 + (64u << 20));
  if (!options) return Status::Fail("out of memory");
  file.tif.reset(TIFFClientOpenExt("memory", "r", &file.memory, ReadProc, WriteProc, SeekProc, CloseProc,
                                   SizeProc, MapProc, UnmapProc, options.get()));
  if (!file.tif) return Status::Fail("cannot read TIFF: " + file.diagnostics.Message("not a TIFF file"));
  return Status::Ok();
}

struct PageInfo {
  uint32_t width = 0, height = 0;
  uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT, compression = 1;
  uint16_t extraCount = 0;
  const uint16_t* extraTypes = nullptr;
  bool tiled = false;
};

PageInfo ReadPageInfo(TIFF* tif) {
  PageInfo p;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric))
    p.photometric = p.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &p.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &p.sampleFormat);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &p.orientation);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &p.compression);
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &p.extraCount, &p.extraTypes);
  p.tiled = TIFFIsTiled(tif);
  return p;
}

// How the fast path turns one row of file samples into image samples.
struct RowFormat {
  uint32_t width = 0;
  int bits = 8;
  int samples = 1;       // per pixel in the file
  int colour = 1;        // colour samples used (1 grey/palette, 3 RGB)
  bool alpha = false;    // the sample after the colour samples is alpha
  bool associated = false;
  bool invert = false;   // min-is-white
  const uint8_t* palette = nullptr;  // 3 x 256 entries, 8-bit
};

inline uint32_t Sample(const uint8_t* row, int bits, size_t index) {
  switch (bits) {
    case 8: return row[index];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * index, 2);  // libtiff delivers host byte order
      return (v * 255u + 32767u) / 65535u;
    }
    default: {
      const size_t bit = index * bits;
      const uint32_t v = (row[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1);
      return v;
    }
  }
}

void ConvertRow(const RowFormat& f, const uint8_t* src, uint8_t* dst) {
  const int outChannels = (f.palette ? 3 : f.colour) + (f.alpha ? 1 : 0);
  const uint32_t maxValue = f.bits >= 8 ? 255 : (1u << f.bits) - 1;
  for (uint32_t x = 0; x < f.width; ++x, dst += outChannels) {
    const size_t first = size_t{x} * f.samples;
    if (f.palette) {
      const uint32_t index = f.bits == 16 ? 0 : Sample(src, f.bits, first);
      dst[0] = f.palette[index];
      dst[1] = f.palette[256 + index];
      dst[2] = f.palette[512 + index];
    } else {
      for (int c = 0; c < f.colour; ++c) {
        uint32_t v = Sample(src, f.bits, first + c);
        if (f.bits < 8) v = v * 255 / maxValue;
        dst[c] = static_cast<uint8_t>(f.invert ? 255 - v : v);
      }
    }
    if (f.alpha) {
      uint32_t a = Sample(src, f.bits, first + f.colour);
      if (f.bits < 8) a = a * 255 / maxValue;
      dst[outChannels - 1] = static_cast<uint8_t>(a);
      if (f.associated && a > 0 && a < 255)
        for (int c = 0; c < outChannels - 1; ++c)
          dst[c] = static_cast<uint8_t>(std::min<uint32_t>(255, (dst[c] * 255u + a / 2) / a));
    }
  }
}

// Colour map entries as 8-bit values; old writers stored 8-bit values in the 16-bit fields.
bool ReadPalette(TIFF* tif, int bits, std::vector<uint8_t>& palette, std::vector<uint32_t>& argb) {
  uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) return false;
  const size_t count = size_t{1} << bits;
  bool eightBit = true;
  for (size_t i = 0; i < count; ++i) eightBit = eightBit && r[i] < 256 && g[i] < 256 && b[i] < 256;
  palette.assign(3 * 256, 0);
  for (size_t i = 0; i < count; ++i) {
    auto to8 = [eightBit](uint32_t v) { return static_cast<uint8_t>(eightBit ? v : (v * 255 + 32767) / 65535); };
    palette[i] = to8(r[i]);
    palette[256 + i] = to8(g[i]);
    palette[512 + i] = to8(b[i]);
    argb.push_back(0xff000000u | uint32_t{palette[i]} << 16 | uint32_t{palette[256 + i]} << 8 | palette[512 + i]);
  }
  return true;
}

// Decodes strips or tiles and converts each row into the image.
Status ReadFast(TIFF* tif, const PageInfo& p, const RowFormat& f, Image& image, Diagnostics& diag,
                uint64_t maxPixels) {
  const tmsize_t rowBytes = TIFFScanlineSize(tif);
  if (rowBytes <= 0) return Status::Fail("cannot read TIFF: " + diag.Message("invalid row size"));
  // Samples laid out exactly as the image holds them are decoded in place.
  const bool direct = f.bits == 8 && !f.palette && !f.invert && !f.associated &&
                      f.samples == image.channels() && static_cast<size_t>(rowBytes) == image.stride();
  if (!p.tiled) {
    uint32_t rowsPerStrip = p.height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<uint32_t>(rowsPerStrip, 1, p.height);
    std::vector<uint8_t> strip;
    if (!direct) strip.resize(static_cast<size_t>(rowBytes) * rowsPerStrip);
    for (uint32_t y = 0; y < p.height; y += rowsPerStrip) {
      const uint32_t rows = std::min(rowsPerStrip, p.height - y);
      const tmsize_t want = rowBytes * rows;
      uint8_t* target = direct ? image.row(y) : strip.data();
      if (TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y, 0), target, want) != want || diag.errors)
        return Status::Fail("cannot read TIFF: " + diag.Message("a strip is truncated"));
      if (!direct)
        for (uint32_t r = 0; r < rows; ++r) ConvertRow(f, strip.data() + r * rowBytes, image.row(y + r));
    }
    return Status::Ok();
  }
  uint32_t tileWidth = 0, tileHeight = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
  const tmsize_t tileRowBytes = TIFFTileRowSize(tif);
  const tmsize_t tileSize = TIFFTileSize(tif);
  if (tileWidth == 0 || tileHeight == 0 || tileRowBytes <= 0 || tileSize <= 0)
    return Status::Fail("cannot read TIFF: " + diag.Message("invalid tile size"));
  // A tile is never allowed to need more memory than the largest image the limits allow.
  if (uint64_t{tileWidth} * tileHeight > maxPixels || static_cast<uint64_t>(tileSize) > maxPixels * 8)
    return Status::Fail("TIFF tiles of " + std::to_string(tileWidth) + "x" + std::to_string(tileHeight) +
                        " exceed the size limits");
  std::vector<uint8_t> tile(static_cast<size_t>(tileSize));
  std::vector<uint8_t> converted(size_t{tileWidth} * image.channels());
  RowFormat tileFormat = f;
  tileFormat.width = tileWidth;
  const size_t pixelBytes = image.channels();
  for (uint32_t ty = 0; ty < p.height; ty += tileHeight) {
    for (uint32_t tx = 0; tx < p.width; tx += tileWidth) {
      if (TIFFReadEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, 0), tile.data(), tileSize) != tileSize ||
          diag.errors)
        return Status::Fail("cannot read TIFF: " + diag.Message("a tile is truncated"));
      const uint32_t rows = std::min(tileHeight, p.height - ty);
      const uint32_t cols = std::min(tileWidth, p.width - tx);
      for (uint32_t r = 0; r < rows; ++r) {
        ConvertRow(tileFormat, tile.data() + r * tileRowBytes, converted.data());
        std::memcpy(image.row(ty + r) + tx * pixelBytes, converted.data(), cols * pixelBytes);
      }
    }
  }
  return Status::Ok();
}

// Everything else: libtiff converts to 8-bit RGBA (premultiplied), straight into the buffer.
Status ReadThroughRgba(TIFF* tif, const PageInfo& p, const Limits& limits, Image& image, Diagnostics& diag) {
  char message[1024] = {0};
  if (!TIFFRGBAImageOK(tif, message)) return Status::Fail(std::string("unsupported TIFF: ") + message);
  auto created = Image::Create(p.width, p.height, PixelLayout::kRgba, limits);
  if (!created) return created.status();
  image = std::move(created.value());
  static_assert(std::endian::native == std::endian::little, "RGBA raster bytes assume little-endian");
  if (!TIFFReadRGBAImageOriented(tif, p.width, p.height, reinterpret_cast<uint32_t*>(image.data()),
                                 ORIENTATION_TOPLEFT, 1) || diag.errors)
    return Status::Fail("cannot read TIFF: " + diag.Message("the image data is damaged"));
  bool opaque = true;
  uint8_t* px = image.data();
  const size_t count = size_t{p.width} * p.height;
  for (size_t i = 0; i < count; ++i, px += 4) {
    const unsigned a = px[3];
    if (a == 255) continue;
    opaque = false;
    if (a == 0) continue;
    for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(std::min(255u, (px[c] * 255u + a / 2) / a));
  }
  if (opaque) image.DropAlphaChannel();
  return Status::Ok();
}

std::string TextField(TIFF* tif, uint32_t tag) {
  const char* value = nullptr;
  if (TIFFGetField(tif, tag, &value) && value) return value;
  return {};
}

}  // namespace

Result<int> PageCount(Bytes file, const Limits& limits) {
  OpenFile open;
  if (Status opened = Open(file, limits, open); !opened) return opened;
  const tdir_t count = TIFFNumberOfDirectories(open.tif.get());
  if (count == 0) return Result<int>::Fail("TIFF file has no pages");
  return static_cast<int>(count);
}

Result<Image> Load(Bytes file, int pageIndex, const Limits& limits) {
  using R = Result<Image>;
  OpenFile open;
  if (Status opened = Open(file, limits, open); !opened) return opened;
  TIFF* tif = open.tif.get();
  Diagnostics& diag = open.diagnostics;
  const int page = pageIndex < 0 ? 0 : pageIndex;
  if (page > 0 && !TIFFSetDirectory(tif, static_cast<tdir_t>(page)))
    return R::Fail("TIFF file has no page " + std::to_string(page + 1));
  const PageInfo p = ReadPageInfo(tif);
  if (Status allowed = limits.Check(p.width, p.height, 4); !allowed) return allowed;
  diag.errors = 0;

  ImageMetadata meta;
  meta.sourceBitsPerSample = p.bits;
  RowFormat f;
  f.width = p.width;
  f.bits = p.bits;
  f.samples = p.samples;
  bool fast = (p.planar == PLANARCONFIG_CONTIG || p.samples == 1) && p.sampleFormat == SAMPLEFORMAT_UINT &&
              p.orientation == ORIENTATION_TOPLEFT;
  std::vector<uint8_t> palette;
  uint16_t photometric = p.photometric;
  if (photometric == PHOTOMETRIC_YCBCR && p.compression == COMPRESSION_JPEG && p.bits == 8) {
    // libtiff's JPEG codec converts YCbCr to RGB itself.
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    photometric = PHOTOMETRIC_RGB;
  }
  switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
      f.colour = 1;
      f.invert = photometric == PHOTOMETRIC_MINISWHITE;
      fast = fast && (p.bits == 1 || p.bits == 2 || p.bits == 4 || p.bits == 8 || p.bits == 16);
      break;
    case PHOTOMETRIC_RGB:
      f.colour = 3;
      fast = fast && (p.bits == 8 || p.bits == 16);
      break;
    case PHOTOMETRIC_PALETTE:
      f.colour = 1;
      fast = fast && p.bits <= 8 && p.samples == 1 && ReadPalette(tif, p.bits, palette, meta.palette);
      f.palette = palette.data();
      break;
    default:
      fast = false;
      break;
  }
  if (fast && p.samples > f.colour) {
    // One extra sample is taken as alpha when it is marked so (or unspecified in a 2/4-sample image).
    const uint16_t type = p.extraCount > 0 && p.extraTypes ? p.extraTypes[0] : EXTRASAMPLE_UNSPECIFIED;
    f.alpha = type == EXTRASAMPLE_ASSOCALPHA || type == EXTRASAMPLE_UNASSALPHA ||
              (type == EXTRASAMPLE_UNSPECIFIED && p.samples == f.colour + 1);
    f.associated = type == EXTRASAMPLE_ASSOCALPHA;
    if (f.palette) fast = false;
  }
  if (fast && p.samples < f.colour) fast = false;

  Image image;
  if (fast) {
    const int channels = (f.palette ? 3 : f.colour) + (f.alpha ? 1 : 0);
    auto created = Image::Create(p.width, p.height, static_cast<PixelLayout>(channels), limits);
    if (!created) return created;
    image = std::move(created.value());
    if (Status read = ReadFast(tif, p, f, image, diag, limits.maxPixels); !read) return read;
  } else {
    meta.palette.clear();
    if (Status read = ReadThroughRgba(tif, p, limits, image, diag); !read) return read;
  }

  uint32_t iccLength = 0;
  void* icc = nullptr;
  if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccLength, &icc) && icc && iccLength)
    meta.iccProfile.assign(static_cast<uint8_t*>(icc), static_cast<uint8_t*>(icc) + iccLength);
  float resX = 0, resY = 0;
  uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &resX) && TIFFGetField(tif, TIFFTAG_YRESOLUTION, &resY) &&
      unit != RESUNIT_NONE) {
    const double scale = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    meta.resolutionX = resX * scale;
    meta.resolutionY = resY * scale;
  }
  meta.tags.title = TextField(tif, TIFFTAG_DOCUMENTNAME);
  meta.tags.description = TextField(tif, TIFFTAG_IMAGEDESCRIPTION);
  meta.tags.dateTime = TextField(tif, TIFFTAG_DATETIME);
  meta.tags.author = TextField(tif, TIFFTAG_ARTIST);
  meta.tags.copyright = TextField(tif, TIFFTAG_COPYRIGHT);
  meta.tags.equipmentType = TextField(tif, TIFFTAG_MAKE);
  meta.tags.equipmentModel = TextField(tif, TIFFTAG_MODEL);
  image.metadata = std::move(meta);
  return image;
}

}  // namespace braxel::imaging::tiff
