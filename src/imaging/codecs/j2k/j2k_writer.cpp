// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG 2000 writer: a J2K codestream, lossless at quality 100, else aiming at a PSNR.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/codecs/j2k/j2k.h"
#include "imaging/codecs/j2k/j2k_stream.h"

namespace braxel::imaging {

using namespace j2k;

double J2kTargetPsnr(int quality) { return 20.0 + std::clamp(quality, 1, 99) / 4.0; }

Status J2kSave(const Image& source, const SaveOptions& options, AtomicOutputFile& out) {
  if (source.empty()) return Status::Fail("cannot save an empty image as JPEG 2000");
  const int channels = source.channels();
  const uint32_t width = source.width(), height = source.height();

  std::vector<opj_image_cmptparm_t> parameters(channels);
  for (opj_image_cmptparm_t& p : parameters) {
    std::memset(&p, 0, sizeof p);
    p.dx = p.dy = 1;
    p.w = width;
    p.h = height;
    p.prec = 8;
    p.sgnd = 0;
  }
  const bool colour = channels >= 3;
  ImagePtr image(opj_image_create(static_cast<OPJ_UINT32>(channels), parameters.data(),
                                  colour ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY));
  if (!image) return Status::Fail("cannot allocate the JPEG 2000 image");
  image->x0 = image->y0 = 0;
  image->x1 = width;
  image->y1 = height;
  if (HasAlpha(source.layout())) image->comps[channels - 1].alpha = 1;
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = source.row(y);
    for (uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) image->comps[c].data[size_t{y} * width + x] = row[size_t{x} * channels + c];
  }

  opj_cparameters_t encoding;
  opj_set_default_encoder_parameters(&encoding);
  encoding.tcp_numlayers = 1;
  encoding.tcp_mct = colour ? 1 : 0;
  if (options.jpegQuality >= 100) {
    encoding.irreversible = 0;
    encoding.cp_disto_alloc = 1;
    encoding.tcp_rates[0] = 0;  // no rate limit: lossless
  } else {
    encoding.irreversible = 1;
    encoding.cp_fixed_quality = 1;
    encoding.tcp_distoratio[0] = static_cast<float>(J2kTargetPsnr(options.jpegQuality));
  }
  // Each resolution level halves the image; small images get fewer levels.
  int levels = 1;
  while (levels < 6 && (std::min(width, height) >> levels) >= 1) ++levels;
  encoding.numresolution = levels;

  CodecPtr codec(opj_create_compress(OPJ_CODEC_J2K));
  if (!codec) return Status::Fail("cannot start the JPEG 2000 encoder");
  Messages messages;
  messages.Attach(codec.get());
  if (!opj_setup_encoder(codec.get(), &encoding, image.get()))
    return Status::Fail(messages.Describe("cannot set up the JPEG 2000 encoder"));
  OutputBuffer output;
  StreamPtr stream = MakeOutputStream(output);
  if (!stream) return Status::Fail("cannot open a JPEG 2000 stream");
  if (!opj_start_compress(codec.get(), image.get(), stream.get()) || !opj_encode(codec.get(), stream.get()) ||
      !opj_end_compress(codec.get(), stream.get()))
    return Status::Fail(messages.Describe("JPEG 2000 encoding failed"));
  return out.Write(output.data.data(), output.data.size());
}

}  // namespace braxel::imaging
