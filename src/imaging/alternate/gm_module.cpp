// SPDX-License-Identifier: GPL-3.0-or-later
// GraphicsMagick glue of the alternate path: load by a named decoder, depth conversions, save
// through a memory blob into an atomically written file. Built as a module that the program
// loads on first use, so that a run which never needs GraphicsMagick never loads its libraries.
#include "imaging/alternate/gm_module.h"

#include "imaging/alternate/alternate_image.h"

#include <magick/api.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "imaging/core/limits.h"
#include "platform/files.h"

namespace braxel::imaging::gm {
namespace {

const char* MagickName(int formatCode) {
  switch (formatCode) {
    case kAltJpeg:
      return "JPEG";
    case kAltBmp:
      return "BMP";
    case kAltTiff:
      return "TIFF";
    case kAltGif:
      return "GIF";
    case kAltPng:
      return "PNG";
    default:
      return nullptr;
  }
}

// The library reports through ExceptionInfo; its default handlers would print to stderr.
void QuietHandler(const ExceptionType, const char*, const char*) {}

void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    // No signal handlers: the program decides what a signal does, not a library.
    InitializeMagickEx(nullptr, MAGICK_OPT_NO_SIGNAL_HANDER, nullptr);
    SetErrorHandler(QuietHandler);
    SetWarningHandler(QuietHandler);
    const Limits limits = Limits::FromEnvironment();
    SetMagickResourceLimit(PixelsResource, static_cast<magick_int64_t>(limits.maxPixels));
    SetMagickResourceLimit(WidthResource, static_cast<magick_int64_t>(limits.maxDimension));
    SetMagickResourceLimit(HeightResource, static_cast<magick_int64_t>(limits.maxDimension));
  });
}

struct ImageDeleter {
  void operator()(Image* image) const {
    if (image) DestroyImageList(image);
  }
};
struct InfoDeleter {
  void operator()(ImageInfo* info) const {
    if (info) DestroyImageInfo(info);
  }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;
using InfoPtr = std::unique_ptr<ImageInfo, InfoDeleter>;

// An ExceptionInfo that is always destroyed.
class Exception {
 public:
  Exception() { GetExceptionInfo(&info_); }
  ~Exception() { DestroyExceptionInfo(&info_); }
  Exception(const Exception&) = delete;
  Exception& operator=(const Exception&) = delete;
  ExceptionInfo* get() { return &info_; }
  bool failed() const { return info_.severity >= ErrorException; }
  std::string text() const {
    std::string t = info_.reason ? info_.reason : "unknown error";
    if (info_.description) t.append(" (").append(info_.description).append(")");
    return t;
  }

 private:
  ExceptionInfo info_;
};

// An ImageInfo that names its coder explicitly ("PNG:"), so the library never picks another
// decoder or encoder from the content or a file name.
InfoPtr MakeInfo(const char* magick) {
  InfoPtr info(CloneImageInfo(nullptr));
  if (!info) return info;
  std::snprintf(info->filename, sizeof(info->filename), "%s:braxel", magick);
  std::snprintf(info->magick, sizeof(info->magick), "%s", magick);
  info->affirm = MagickTrue;
  return info;
}

}  // namespace

struct GmWorkingImage::Handle {
  ImagePtr image;
};

GmWorkingImage::GmWorkingImage() : image_(std::make_unique<Handle>()) {}
GmWorkingImage::~GmWorkingImage() = default;

bool GmWorkingImage::empty() const { return !image_->image; }
unsigned long GmWorkingImage::width() const { return empty() ? 0 : image_->image->columns; }
unsigned long GmWorkingImage::height() const { return empty() ? 0 : image_->image->rows; }
unsigned long GmWorkingImage::depth() const { return empty() ? 0 : image_->image->depth; }

bool GmWorkingImage::Load(const std::string& path, int formatCode) {
  lastError_.clear();
  const char* magick = MagickName(formatCode);
  if (!magick) {
    lastError_ = "cannot load " + path + ": format " + std::to_string(formatCode) +
                 " is not handled by the alternate library";
    return false;
  }
  InitialiseOnce();
  auto file = MappedFile::Open(path);
  if (!file) {
    lastError_ = "cannot load " + path + ": " + file.message();
    return false;
  }
  if (file->size() == 0) {
    lastError_ = "cannot load " + path + ": the file is empty";
    return false;
  }
  InfoPtr info = MakeInfo(magick);
  if (!info) {
    lastError_ = "cannot load " + path + ": out of memory";
    return false;
  }
  // Only the first image of a multi-image file (the first TIFF page, the first GIF frame).
  info->subimage = 0;
  info->subrange = 1;
  Exception ex;
  ImagePtr loaded(BlobToImage(info.get(), file->data(), file->size(), ex.get()));
  if (!loaded || ex.failed()) {
    lastError_ = "cannot load " + path + ": " +
                 (ex.failed() ? ex.text() : "not a " + std::string(magick) + " file");
    return false;
  }
  // Keep one image even if a coder ignored the subrange.
  if (Image* rest = loaded->next) {
    loaded->next = nullptr;
    rest->previous = nullptr;
    DestroyImageList(rest);
  }
  if (formatCode == kAltTiff && loaded->depth == 16 && IsGrayImage(loaded.get(), ex.get())) {
    if (!SetImageDepth(loaded.get(), 8)) {
      lastError_ = "cannot load " + path + ": the 16-bit grey page cannot be reduced to 8 bits";
      return false;
    }
  }
  image_->image = std::move(loaded);
  return true;
}

bool GmWorkingImage::Save(const std::string& path, int formatCode, int jpegQuality) {
  lastError_.clear();
  const char* magick = MagickName(formatCode);
  if (!magick) {
    lastError_ = "cannot save " + path + ": format " + std::to_string(formatCode) +
                 " is not handled by the alternate library";
    return false;
  }
  if (empty()) {
    lastError_ = "cannot save " + path + ": no image has been loaded";
    return false;
  }
  InitialiseOnce();
  InfoPtr info = MakeInfo(magick);
  Exception ex;
  // Depth conversions work on a copy, so the working image stays as loaded.
  ImagePtr image(CloneImage(image_->image.get(), 0, 0, MagickTrue, ex.get()));
  if (!info || !image) {
    lastError_ = "cannot save " + path + ": out of memory";
    return false;
  }
  std::snprintf(image->magick, sizeof(image->magick), "%s", magick);
  info->adjoin = MagickFalse;
  switch (formatCode) {
    case kAltJpeg:
      if (image->depth == 1) {
        SetImageType(image.get(), GrayscaleType);
        SetImageDepth(image.get(), 8);
      }
      info->quality = static_cast<unsigned long>(jpegQuality < 0     ? 0
                                                 : jpegQuality > 100 ? 100
                                                                     : jpegQuality);
      break;
    case kAltTiff:
      info->compression = NoCompression;
      image->compression = NoCompression;
      break;
    case kAltGif:
      if (image->storage_class == DirectClass) {
        QuantizeInfo quantize;
        GetQuantizeInfo(&quantize);
        quantize.number_colors = 256;
        if (!QuantizeImage(&quantize, image.get())) {
          lastError_ = "cannot save " + path + ": the image cannot be reduced to 256 colours";
          return false;
        }
      }
      break;
    default:
      break;
  }
  size_t length = 0;
  void* blob = ImageToBlob(info.get(), image.get(), &length, ex.get());
  if (!blob || length == 0 || ex.failed()) {
    if (blob) MagickFree(blob);
    lastError_ =
        "cannot save " + path + ": " + (ex.failed() ? ex.text() : "the encoder wrote nothing");
    return false;
  }
  const std::string_view bytes(static_cast<const char*>(blob), length);
  Status written = WriteFileAtomic(path, bytes, durable_);
  MagickFree(blob);
  if (!written) {
    lastError_ = "cannot save " + path + ": " + written.message();
    return false;
  }
  return true;
}

}  // namespace braxel::imaging::gm

// The module's entry points, resolved by the program with dlsym.
using braxel::imaging::gm::GmWorkingImage;

extern "C" {

BRAXEL_GM_EXPORT void* braxel_gm_create() { return new (std::nothrow) GmWorkingImage(); }
BRAXEL_GM_EXPORT void braxel_gm_destroy(void* image) { delete static_cast<GmWorkingImage*>(image); }
BRAXEL_GM_EXPORT int braxel_gm_load(void* image, const char* path, int formatCode) {
  return static_cast<GmWorkingImage*>(image)->Load(path, formatCode) ? 1 : 0;
}
BRAXEL_GM_EXPORT int braxel_gm_save(void* image, const char* path, int formatCode, int jpegQuality, int durable) {
  auto* working = static_cast<GmWorkingImage*>(image);
  working->SetDurableWrites(durable != 0);
  return working->Save(path, formatCode, jpegQuality) ? 1 : 0;
}
BRAXEL_GM_EXPORT const char* braxel_gm_error(void* image) {
  return static_cast<GmWorkingImage*>(image)->lastError().c_str();
}
BRAXEL_GM_EXPORT void braxel_gm_facts(void* image, unsigned long* width, unsigned long* height,
                                      unsigned long* depth) {
  const auto* working = static_cast<GmWorkingImage*>(image);
  *width = working->width();
  *height = working->height();
  *depth = working->depth();
}

}  // extern "C"
