// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the PCX, RAS, TGA, ICO/CUR/ANI and J2K codec tests: test images, codec calls over
// bytes, PAM files for exchanging pixels with GraphicsMagick and ImageMagick, pixel comparison.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/core/codec.h"
#include "imaging/core/image.h"

namespace braxel::imaging::test {

using ByteVector = std::vector<uint8_t>;

// A deterministic image with gradients and some detail; `colours` > 0 limits it to that many
// distinct colours (a paletted image).
Image MakeTestImage(uint32_t width, uint32_t height, PixelLayout layout, int colours = 0);

// The codec of a format code; fails the test when it is missing.
const Codec& CodecFor(int formatCode);
Result<Image> LoadBytes(int formatCode, const ByteVector& file, int page = kDefaultPage);
// Saves through the codec into a temporary file and returns its bytes (empty on failure, with
// the message in `error`).
ByteVector SaveBytes(int formatCode, const Image& image, const SaveOptions& options = {},
                     std::string* error = nullptr);

// The image as RGBA (grey replicated, missing alpha opaque).
std::vector<uint8_t> ToRgba(const Image& image);
// Largest difference of any RGBA sample; -1 when the sizes differ.
int MaxDifference(const Image& a, const Image& b);
// Peak signal-to-noise ratio over the RGB samples, in dB.
double Psnr(const Image& a, const Image& b);

// PAM (P7) files, 8-bit, for exchanging pixels with the external tools.
bool WritePam(const std::string& path, const Image& image);
Result<Image> ReadPam(const std::string& path);

// True when the command is installed (found in PATH).
bool HaveTool(const std::string& name);
// Runs a shell command; true when it exits with 0.
bool RunCommand(const std::string& command);

// The external converters, as command prefixes.
inline const std::string kGm = "gm convert";
inline const std::string kIm = "convert-im6.q16";
// True when the converter's program is installed.
bool HaveConverter(const std::string& converter);
// Lets the converter decode a file (named with `extension`); its pixels as an 8-bit image.
// `frame` >= 0 picks one image of a multi-image file.
Result<Image> ConverterDecode(const std::string& converter, const ByteVector& file,
                              const std::string& extension, int frame = -1);
// Lets the converter write `image` with extra arguments to a file named with `extension`
// (which picks the format); the bytes written, empty on failure.
ByteVector ConverterEncode(const std::string& converter, const Image& image,
                           const std::string& arguments, const std::string& extension);

ByteVector ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const ByteVector& bytes);

// Little- and big-endian appenders for building files byte by byte.
void PutLe16(ByteVector& out, uint32_t v);
void PutLe32(ByteVector& out, uint32_t v);
void PutBe32(ByteVector& out, uint32_t v);
void PutText(ByteVector& out, const std::string& text);

// Fuzz seed corpora: when BRAXEL_FUZZ_SEEDS names a folder, writes `bytes` as
// <folder>/<target>/<name> and returns true; false (writing nothing) otherwise.
bool WriteFuzzSeed(const std::string& target, const std::string& name, const ByteVector& bytes);

// A damaged variant of a good file.
struct Damage {
  const char* name;
  std::function<void(ByteVector&)> apply;
};
// Truncations at several points and header damages shared by all formats.
std::vector<Damage> Truncations(size_t fileSize);

}  // namespace braxel::imaging::test
