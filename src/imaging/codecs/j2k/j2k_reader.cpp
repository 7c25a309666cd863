// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG 2000 reader: header checks before decoding, then precision scaling, upsampling and
// colour-space conversion of the decoded components.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/j2k/j2k.h"
#include "imaging/codecs/j2k/j2k_stream.h"

namespace braxel::imaging {
namespace {

using namespace j2k;

constexpr uint8_t kCodestreamMagic[] = {0xFF, 0x4F, 0xFF, 0x51};
constexpr uint8_t kJp2Magic[] = {0x00, 0x00, 0x00, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};

bool StartsWith(Bytes data, const uint8_t* magic, size_t size) {
  return data.size() >= size && std::memcmp(data.data(), magic, size) == 0;
}

// One component sampled on the image grid, scaled to 8 bits.
class ComponentSampler {
 public:
  ComponentSampler(const opj_image_t& image, const opj_image_comp_t& comp) : comp_(comp) {
    const uint32_t prec = std::clamp<uint32_t>(comp.prec, 1, 31);
    max_ = (int64_t{1} << prec) - 1;
    offset_ = comp.sgnd ? (int64_t{1} << (prec - 1)) : 0;
    // Component sample positions: ceil(x / dx) relative to the component origin.
    originX_ = image.x0;
    originY_ = image.y0;
  }
  uint8_t At(uint32_t x, uint32_t y) const {
    const int64_t cx = std::clamp<int64_t>((int64_t{originX_} + x) / comp_.dx - comp_.x0, 0, comp_.w - 1);
    const int64_t cy = std::clamp<int64_t>((int64_t{originY_} + y) / comp_.dy - comp_.y0, 0, comp_.h - 1);
    const int64_t v = std::clamp<int64_t>(int64_t{comp_.data[cy * comp_.w + cx]} + offset_, 0, max_);
    return static_cast<uint8_t>((v * 255 + max_ / 2) / max_);
  }

 private:
  const opj_image_comp_t& comp_;
  int64_t max_ = 255, offset_ = 0;
  uint32_t originX_ = 0, originY_ = 0;
};

uint8_t Clamp8(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

Result<Image> Convert(const opj_image_t& decoded, const Limits& limits) {
  const uint32_t width = decoded.x1 - decoded.x0, height = decoded.y1 - decoded.y0;
  const uint32_t count = decoded.numcomps;
  for (uint32_t i = 0; i < count; ++i) {
    const opj_image_comp_t& c = decoded.comps[i];
    if (!c.data || c.w == 0 || c.h == 0 || c.dx == 0 || c.dy == 0 || c.prec == 0)
      return Result<Image>::Fail("JPEG 2000 component " + std::to_string(i) + " was not decoded");
  }
  // Channels: an alpha component marked in the file, else the one after grey or RGB.
  int alphaIndex = -1;
  for (uint32_t i = 0; i < count; ++i)
    if (decoded.comps[i].alpha) alphaIndex = static_cast<int>(i);
  const bool cmyk = decoded.color_space == OPJ_CLRSPC_CMYK && count >= 4;
  const uint32_t colourCount = count >= 3 ? 3 : 1;
  if (alphaIndex < 0 && !cmyk && (count == 2 || count >= 4)) alphaIndex = static_cast<int>(colourCount);
  if (cmyk && alphaIndex < 0 && count >= 5) alphaIndex = 4;
  const bool alpha = alphaIndex >= 0 && static_cast<uint32_t>(alphaIndex) >= colourCount;
  PixelLayout layout = colourCount == 3 ? (alpha ? PixelLayout::kRgba : PixelLayout::kRgb)
                                        : (alpha ? PixelLayout::kGrayAlpha : PixelLayout::kGray);
  auto created = Image::Create(width, height, layout, limits);
  if (!created) return created.status();
  Image image = std::move(created.value());

  std::vector<ComponentSampler> samplers;
  for (uint32_t i = 0; i < count; ++i) samplers.emplace_back(decoded, decoded.comps[i]);
  const bool sycc = decoded.color_space == OPJ_CLRSPC_SYCC && colourCount == 3;
  const int channels = image.channels();
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* out = image.row(y);
    for (uint32_t x = 0; x < width; ++x, out += channels) {
      if (cmyk) {
        const double k = 255 - samplers[3].At(x, y);
        for (int c = 0; c < 3; ++c) out[c] = Clamp8((255 - samplers[c].At(x, y)) * k / 255);
      } else if (sycc) {
        const double Y = samplers[0].At(x, y), cb = samplers[1].At(x, y) - 128.0, cr = samplers[2].At(x, y) - 128.0;
        out[0] = Clamp8(Y + 1.402 * cr);
        out[1] = Clamp8(Y - 0.344136 * cb - 0.714136 * cr);
        out[2] = Clamp8(Y + 1.772 * cb);
      } else {
        for (uint32_t c = 0; c < colourCount; ++c) out[c] = samplers[c].At(x, y);
      }
      if (alpha) out[channels - 1] = samplers[alphaIndex].At(x, y);
    }
  }
  uint32_t precision = 0;
  for (uint32_t i = 0; i < count; ++i) precision = std::max(precision, decoded.comps[i].prec);
  image.metadata.sourceBitsPerSample = static_cast<int>(std::min<uint32_t>(precision, 32));
  if (decoded.icc_profile_buf && decoded.icc_profile_len)
    image.metadata.iccProfile.assign(decoded.icc_profile_buf, decoded.icc_profile_buf + decoded.icc_profile_len);
  return image;
}

}  // namespace

bool J2kProbe(Bytes head) {
  return StartsWith(head, kCodestreamMagic, sizeof kCodestreamMagic) || StartsWith(head, kJp2Magic, sizeof kJp2Magic);
}

Result<int> J2kPageCount(Bytes file, const Limits&) {
  if (!J2kProbe(file)) return Result<int>::Fail("not a JPEG 2000 file");
  return 1;
}

Result<Image> J2kLoad(Bytes file, int pageIndex, const Limits& limits) {
  if (pageIndex != kDefaultPage && pageIndex != 0)
    return Result<Image>::Fail("JPEG 2000 file has no page " + std::to_string(pageIndex + 1));
  if (!J2kProbe(file)) return Result<Image>::Fail("not a JPEG 2000 file");
  const bool jp2 = StartsWith(file, kJp2Magic, sizeof kJp2Magic);
  CodecPtr codec(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) return Result<Image>::Fail("cannot start the JPEG 2000 decoder");
  Messages messages;
  messages.Attach(codec.get());
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(codec.get(), &parameters))
    return Result<Image>::Fail(messages.Describe("cannot set up the JPEG 2000 decoder"));
  // Strict mode makes a truncated codestream an error instead of a partly decoded image.
  opj_decoder_set_strict_mode(codec.get(), OPJ_TRUE);

  InputBuffer input{file, 0};
  StreamPtr stream = MakeInputStream(input);
  if (!stream) return Result<Image>::Fail("cannot open a JPEG 2000 stream");
  opj_image_t* rawImage = nullptr;
  const bool headerRead = opj_read_header(stream.get(), codec.get(), &rawImage);
  ImagePtr image(rawImage);
  if (!headerRead || !image) return Result<Image>::Fail(messages.Describe("JPEG 2000 header is invalid"));
  if (image->x1 <= image->x0 || image->y1 <= image->y0 || image->numcomps == 0)
    return Result<Image>::Fail("JPEG 2000 image has no pixels");
  if (Status allowed = limits.Check(image->x1 - image->x0, image->y1 - image->y0, 4); !allowed) return allowed;
  // The decoder holds every component as 32-bit samples: allow as many samples as an RGBA
  // image of the largest permitted size, however many components the header lists.
  uint64_t samples = 0;
  for (uint32_t i = 0; i < image->numcomps; ++i) samples += uint64_t{image->comps[i].w} * image->comps[i].h;
  if (samples > limits.maxPixels * 4)
    return Result<Image>::Fail("JPEG 2000 image has too many components (" + std::to_string(image->numcomps) + ")");
  if (!opj_decode(codec.get(), stream.get(), image.get()) || !opj_end_decompress(codec.get(), stream.get()))
    return Result<Image>::Fail(messages.Describe("JPEG 2000 data is truncated or corrupt"));
  return Convert(*image, limits);
}

}  // namespace braxel::imaging
