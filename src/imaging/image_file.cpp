// SPDX-License-Identifier: GPL-3.0-or-later
// ImageFile: load by content, save by format code, multi-page TIFF writing.
#include "imaging/image_file.h"

#include "imaging/codecs/tiff/tiff.h"

namespace braxel::imaging {
namespace {

constexpr int kTiffFormat = 3;

// Names of the catalogue's codes for messages about formats without a codec.
std::string FormatName(int code) {
  static const char* const kNames[] = {"JPEG", "BMP", "TIFF", "GIF", "EMF", "J2K", "PCX",
                                       "PNG",  "RAS", "TGA",  "WMF", "ICO", "CUR", "ANI"};
  if (code >= 1 && code <= 14) return std::string(kNames[code - 1]) + " (format " + std::to_string(code) + ")";
  return "format " + std::to_string(code);
}

}  // namespace

ImageFile::ImageFile(Limits limits) : limits_(limits) {}
ImageFile::~ImageFile() = default;

bool ImageFile::LoadImageFile(const std::string& path, Image& image) {
  return LoadImagePage(path, kDefaultPage, image);
}

bool ImageFile::LoadImagePage(const std::string& path, int pageIndex, Image& image) {
  image = Image();
  lastError_.clear();
  if (pageIndex < 0 && pageIndex != kDefaultPage) {
    lastError_ = "cannot load " + path + ": invalid page index " + std::to_string(pageIndex);
    return false;
  }
  auto file = MappedFile::Open(path);
  if (!file) {
    lastError_ = "cannot load " + path + ": " + file.message();
    return false;
  }
  const Bytes bytes(file->data(), file->size());
  const Codec* codec = FindCodecForContent(bytes);
  if (!codec || !codec->load) {
    lastError_ = "cannot load " + path + ": unsupported or unrecognised image format";
    return false;
  }
  auto loaded = codec->load(bytes, pageIndex, limits_);
  if (!loaded) {
    lastError_ = "cannot load " + path + ": " + loaded.message();
    return false;
  }
  image = std::move(loaded.value());
  return true;
}

int ImageFile::GetPageCount(const std::string& path) {
  lastError_.clear();
  auto file = MappedFile::Open(path);
  if (!file) {
    lastError_ = "cannot read " + path + ": " + file.message();
    return 0;
  }
  const Bytes bytes(file->data(), file->size());
  const Codec* codec = FindCodecForContent(bytes);
  if (!codec || !codec->pageCount) {
    lastError_ = "cannot read " + path + ": unsupported or unrecognised image format";
    return 0;
  }
  auto count = codec->pageCount(bytes, limits_);
  if (!count) {
    lastError_ = "cannot read " + path + ": " + count.message();
    return 0;
  }
  return *count;
}

bool ImageFile::SaveImageAs(const std::string& path, int formatCode, const Image& image) {
  lastError_.clear();
  if (image.empty()) {
    lastError_ = "cannot save " + path + ": no image to save";
    return false;
  }
  if (formatCode == kTiffFormat && multiPageMode_) {
    multiPage_.reset();  // an unfinished earlier file is dropped
    auto started = MultiPageTiffWriter::Start(path);
    if (!started) {
      lastError_ = "cannot save " + path + ": " + started.message();
      return false;
    }
    multiPage_ = std::move(started.value());
    if (Status page = multiPage_->AddPage(image, options_); !page) {
      lastError_ = "cannot save " + path + ": " + page.message();
      multiPage_.reset();
      return false;
    }
    return true;
  }
  const Codec* codec = FindCodecForFormat(formatCode);
  if (!codec || !codec->save) {
    lastError_ = "cannot save " + path + ": saving " + FormatName(formatCode) + " is not supported";
    return false;
  }
  auto out = AtomicOutputFile::Create(path);
  if (!out) {
    lastError_ = "cannot save " + path + ": " + out.message();
    return false;
  }
  if (Status saved = codec->save(image, options_, *out); !saved) {
    lastError_ = "cannot save " + path + ": " + saved.message();
    return false;  // the temporary file is removed with `out`
  }
  if (Status committed = out->Commit(durable_); !committed) {
    lastError_ = "cannot save " + path + ": " + committed.message();
    return false;
  }
  return true;
}

bool ImageFile::AppendTiffPage(const Image& image, bool lastPage) {
  lastError_.clear();
  if (!multiPage_) {
    lastError_ = "cannot add a TIFF page: no multi-page TIFF is open";
    return false;
  }
  bool ok = true;
  const std::string path = multiPage_->path();
  if (image.empty()) {
    lastError_ = "cannot add a page to " + path + ": no image to add";
    ok = false;
  } else if (Status page = multiPage_->AddPage(image, options_); !page) {
    lastError_ = "cannot add a page to " + path + ": " + page.message();
    ok = false;
  }
  if (lastPage) {
    // The file is completed with the pages written so far, even when this one failed.
    std::unique_ptr<MultiPageTiffWriter> finishing = std::move(multiPage_);
    if (finishing->pages() == 0) return false;
    if (Status finished = finishing->Finish(durable_); !finished) {
      lastError_ = "cannot save " + path + ": " + finished.message();
      return false;
    }
  }
  return ok;
}

void ImageFile::AbandonMultiPage() { multiPage_.reset(); }

}  // namespace braxel::imaging
