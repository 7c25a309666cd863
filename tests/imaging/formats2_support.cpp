// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the PCX, RAS, TGA, ICO/CUR/ANI and J2K codec tests.
#include "imaging/formats2_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace braxel::imaging::test {

Image MakeTestImage(uint32_t width, uint32_t height, PixelLayout layout, int colours) {
  Image image = std::move(Image::Create(width, height, layout, Limits{}).value());
  const int channels = image.channels();
  uint32_t noise = 12345;
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = image.row(y);
    for (uint32_t x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      for (int c = 0; c < channels; ++c) {
        int v;
        if (colours > 0) {
          // A palette of `colours` entries picked by position.
          const int index = static_cast<int>((x / 3 + y / 2 * 7 + (noise >> 28)) % colours);
          v = (index * (37 + 29 * c) + 11 * c) & 0xFF;
        } else if (c == 0) {
          v = static_cast<int>(x * 255 / std::max(1u, width - 1));
        } else if (c == 1) {
          v = static_cast<int>(y * 255 / std::max(1u, height - 1));
        } else if (c == 2) {
          v = static_cast<int>((x + y) * 4 + ((noise >> 24) & 7)) & 0xFF;
        } else {
          v = static_cast<int>((x * 16) ^ (y * 8)) & 0xFF;
        }
        const bool alphaSample = HasAlpha(layout) && c == channels - 1;
        if (alphaSample) v = colours > 0 ? (((x + y) % 3) * 127) : static_cast<int>((x * 7 + y * 13) & 0xFF);
        row[size_t{x} * channels + c] = static_cast<uint8_t>(v);
      }
    }
  }
  return image;
}

const Codec& CodecFor(int formatCode) {
  const Codec* codec = FindCodecForFormat(formatCode);
  if (!codec) {
    ADD_FAILURE() << "no codec for format " << formatCode;
    static const Codec kNone{0, "none", nullptr, nullptr, nullptr, nullptr};
    return kNone;
  }
  return *codec;
}

Result<Image> LoadBytes(int formatCode, const ByteVector& file, int page) {
  const Codec& codec = CodecFor(formatCode);
  if (!codec.load) return Result<Image>::Fail("no loader");
  return codec.load(Bytes(file.data(), file.size()), page, Limits{});
}

ByteVector SaveBytes(int formatCode, const Image& image, const SaveOptions& options, std::string* error) {
  const Codec& codec = CodecFor(formatCode);
  if (!codec.save) {
    if (error) *error = "no writer";
    return {};
  }
  braxel::test::TempDir dir;
  const std::string path = dir.Sub("out.bin");
  auto out = AtomicOutputFile::Create(path);
  if (!out) {
    if (error) *error = out.message();
    return {};
  }
  if (Status saved = codec.save(image, options, *out); !saved) {
    if (error) *error = saved.message();
    return {};
  }
  if (Status committed = out->Commit(); !committed) {
    if (error) *error = committed.message();
    return {};
  }
  return ReadBytes(path);
}

std::vector<uint8_t> ToRgba(const Image& image) {
  std::vector<uint8_t> rgba;
  rgba.reserve(size_t{image.width()} * image.height() * 4);
  const int channels = image.channels();
  for (uint32_t y = 0; y < image.height(); ++y) {
    const uint8_t* row = image.row(y);
    for (uint32_t x = 0; x < image.width(); ++x) {
      const uint8_t* p = row + size_t{x} * channels;
      const bool grey = channels <= 2;
      rgba.push_back(p[0]);
      rgba.push_back(grey ? p[0] : p[1]);
      rgba.push_back(grey ? p[0] : p[2]);
      rgba.push_back(HasAlpha(image.layout()) ? p[channels - 1] : 255);
    }
  }
  return rgba;
}

int MaxDifference(const Image& a, const Image& b) {
  if (a.width() != b.width() || a.height() != b.height()) return -1;
  const auto pa = ToRgba(a), pb = ToRgba(b);
  int worst = 0;
  for (size_t i = 0; i < pa.size(); ++i) worst = std::max(worst, std::abs(pa[i] - pb[i]));
  return worst;
}

double Psnr(const Image& a, const Image& b) {
  const auto pa = ToRgba(a), pb = ToRgba(b);
  double sum = 0;
  size_t n = 0;
  for (size_t i = 0; i < pa.size(); ++i) {
    if (i % 4 == 3) continue;
    const double d = pa[i] - pb[i];
    sum += d * d;
    ++n;
  }
  if (sum == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 / (sum / n));
}

bool WritePam(const std::string& path, const Image& image) {
  static const char* kTypes[] = {"", "GRAYSCALE", "GRAYSCALE_ALPHA", "RGB", "RGB_ALPHA"};
  std::ostringstream header;
  header << "P7\nWIDTH " << image.width() << "\nHEIGHT " << image.height() << "\nDEPTH "
         << image.channels() << "\nMAXVAL 255\nTUPLTYPE " << kTypes[image.channels()] << "\nENDHDR\n";
  std::ofstream out(path, std::ios::binary);
  out << header.str();
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.byteSize()));
  return static_cast<bool>(out);
}

Result<Image> ReadPam(const std::string& path) {
  const ByteVector bytes = ReadBytes(path);
  const std::string text(bytes.begin(), bytes.end());
  const size_t end = text.find("ENDHDR\n");
  if (text.rfind("P7\n", 0) != 0 || end == std::string::npos) return Result<Image>::Fail("not a PAM file");
  std::istringstream header(text.substr(3, end - 3));
  uint32_t width = 0, height = 0, depth = 0, maxval = 0;
  std::string key;
  while (header >> key) {
    if (key == "WIDTH") header >> width;
    else if (key == "HEIGHT") header >> height;
    else if (key == "DEPTH") header >> depth;
    else if (key == "MAXVAL") header >> maxval;
    else header.ignore(1 << 20, '\n');
  }
  if (depth < 1 || depth > 4 || maxval < 1 || maxval > 65535) return Result<Image>::Fail("unsupported PAM");
  auto image = Image::Create(width, height, static_cast<PixelLayout>(depth), Limits{});
  if (!image) return image;
  const size_t samples = image->byteSize();
  const size_t sampleBytes = maxval <= 255 ? 1 : 2;
  const size_t start = end + 7;
  if (bytes.size() < start + samples * sampleBytes) return Result<Image>::Fail("PAM file is short");
  for (size_t i = 0; i < samples; ++i) {
    const uint32_t v = sampleBytes == 1 ? bytes[start + i] : (bytes[start + 2 * i] << 8 | bytes[start + 2 * i + 1]);
    image->data()[i] = static_cast<uint8_t>((v * 255 + maxval / 2) / maxval);
  }
  return image;
}

bool HaveTool(const std::string& name) { return RunCommand("command -v " + name + " >/dev/null 2>&1"); }

bool RunCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

bool HaveConverter(const std::string& converter) {
  return HaveTool(converter.substr(0, converter.find(' ')));
}

Result<Image> ConverterDecode(const std::string& converter, const ByteVector& file,
                              const std::string& extension, int frame) {
  braxel::test::TempDir dir;
  const std::string input = dir.Sub("in." + extension);
  const std::string pam = dir.Sub("out.pam"), rgba = dir.Sub("out.rgba");
  if (!WriteBytes(input, file)) return Result<Image>::Fail("cannot write " + input);
  // The PAM header gives the size; the pixels come as raw RGBA, since GraphicsMagick packs
  // bilevel PAM samples into bits.
  // ImageMagick 6 keeps bottom-up Targa rows as stored and only records the orientation.
  const std::string orient = converter == kIm ? " -auto-orient" : "";
  const std::string source = "'" + input + (frame >= 0 ? "[" + std::to_string(frame) + "]" : "") + "'";
  if (!RunCommand(converter + " " + source + orient + " -depth 8 'pam:" + pam + "' 2>/dev/null") ||
      !RunCommand(converter + " " + source + orient + " -depth 8 'rgba:" + rgba + "' 2>/dev/null"))
    return Result<Image>::Fail(converter + " could not read the file");
  const ByteVector header = ReadBytes(pam);
  std::istringstream fields(std::string(header.begin(), header.begin() + std::min<size_t>(header.size(), 200)));
  uint32_t width = 0, height = 0;
  std::string key;
  while (fields >> key && key != "ENDHDR") {
    if (key == "WIDTH") fields >> width;
    if (key == "HEIGHT") fields >> height;
  }
  const ByteVector pixels = ReadBytes(rgba);
  auto image = Image::Create(width, height, PixelLayout::kRgba, Limits{});
  if (!image) return image;
  if (pixels.size() != image->byteSize()) return Result<Image>::Fail("unexpected RGBA size");
  std::copy(pixels.begin(), pixels.end(), image->data());
  return image;
}

ByteVector ConverterEncode(const std::string& converter, const Image& image,
                           const std::string& arguments, const std::string& extension) {
  braxel::test::TempDir dir;
  const std::string input = dir.Sub("in.pam"), output = dir.Sub("out." + extension);
  if (!WritePam(input, image)) return {};
  if (!RunCommand(converter + " '" + input + "' " + arguments + " '" + output + "' 2>/dev/null")) return {};
  return ReadBytes(output);
}

ByteVector ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const ByteVector& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void PutLe16(ByteVector& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutLe32(ByteVector& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}
void PutBe32(ByteVector& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void PutText(ByteVector& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

bool WriteFuzzSeed(const std::string& target, const std::string& name, const ByteVector& bytes) {
  const char* root = std::getenv("BRAXEL_FUZZ_SEEDS");
  if (!root || !*root) return false;
  const std::string folder = std::string(root) + "/" + target;
  CreateFolderPath(folder);
  return WriteBytes(folder + "/" + name, bytes);
}

std::vector<Damage> Truncations(size_t fileSize) {
  std::vector<Damage> cases;
  cases.push_back({"empty", [](ByteVector& f) { f.clear(); }});
  cases.push_back({"first 10 bytes", [](ByteVector& f) { f.resize(std::min<size_t>(f.size(), 10)); }});
  if (fileSize > 40)
    cases.push_back({"half", [](ByteVector& f) { f.resize(f.size() / 2); }});
  return cases;
}

}  // namespace braxel::imaging::test
