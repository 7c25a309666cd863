// SPDX-License-Identifier: GPL-3.0-or-later
// The alternate working image, backed by the GraphicsMagick module loaded on first use.
#include "imaging/alternate/alternate_image.h"

#include <mutex>
#include <optional>

#include "platform/dynamic_library.h"
#include "platform/path.h"
#include "platform/process.h"

namespace braxel::imaging {
namespace {

struct GmApi {
  void* (*create)();
  void (*destroy)(void*);
  int (*load)(void*, const char*, int);
  int (*save)(void*, const char*, int, int, int);
  const char* (*error)(void*);
  void (*facts)(void*, unsigned long*, unsigned long*, unsigned long*);
};

struct LoadedModule {
  std::optional<DynamicLibrary> library;
  GmApi api{};
  std::string error;
};

// The module lives in lib/braxel/ beside bin/ (BRAXEL_GM_MODULE overrides the path).
const LoadedModule& Module() {
  static LoadedModule module;
  static std::once_flag once;
  std::call_once(once, [] {
    const auto overridden = GetEnvironment("BRAXEL_GM_MODULE");
    const std::string path =
        overridden ? *overridden : JoinPath(ParentFolder(ProgramFolder()), "lib/braxel/braxel-gm.so");
    auto library = DynamicLibrary::Open(path);
    if (!library) {
      module.error = "the alternate imaging library is not available: " + library.message();
      return;
    }
    const auto bind = [&](auto& slot, const char* name) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(library->Symbol(name));
      return slot != nullptr;
    };
    GmApi api{};
    if (!bind(api.create, "braxel_gm_create") || !bind(api.destroy, "braxel_gm_destroy") ||
        !bind(api.load, "braxel_gm_load") || !bind(api.save, "braxel_gm_save") ||
        !bind(api.error, "braxel_gm_error") || !bind(api.facts, "braxel_gm_facts")) {
      module.error = "the alternate imaging library " + path + " is incomplete";
      return;
    }
    module.api = api;
    module.library = std::move(library.value());
  });
  return module;
}

}  // namespace

struct AltWorkingImage::Handle {
  void* image = nullptr;
};

bool AltFormatSupported(int formatCode) {
  return formatCode == kAltJpeg || formatCode == kAltBmp || formatCode == kAltTiff || formatCode == kAltGif ||
         formatCode == kAltPng;
}

AltWorkingImage::AltWorkingImage() : image_(std::make_unique<Handle>()) {}

AltWorkingImage::~AltWorkingImage() {
  if (image_->image) Module().api.destroy(image_->image);
}

// Creates the module's image on first use; false (with lastError) when the module is missing.
static bool EnsureImage(void*& image, std::string& error) {
  if (image) return true;
  const LoadedModule& module = Module();
  if (!module.library) {
    error = module.error;
    return false;
  }
  image = module.api.create();
  if (!image) error = "out of memory";
  return image != nullptr;
}

bool AltWorkingImage::Load(const std::string& path, int formatCode) {
  lastError_.clear();
  if (!EnsureImage(image_->image, lastError_)) return false;
  const bool ok = Module().api.load(image_->image, path.c_str(), formatCode) != 0;
  if (!ok) lastError_ = Module().api.error(image_->image);
  return ok;
}

bool AltWorkingImage::Save(const std::string& path, int formatCode, int jpegQuality) {
  lastError_.clear();
  if (!EnsureImage(image_->image, lastError_)) return false;
  const bool ok = Module().api.save(image_->image, path.c_str(), formatCode, jpegQuality, durable_ ? 1 : 0) != 0;
  if (!ok) lastError_ = Module().api.error(image_->image);
  return ok;
}

bool AltWorkingImage::empty() const { return width() == 0; }

unsigned long AltWorkingImage::width() const {
  unsigned long w = 0, h = 0, d = 0;
  if (image_->image) Module().api.facts(image_->image, &w, &h, &d);
  return w;
}

unsigned long AltWorkingImage::height() const {
  unsigned long w = 0, h = 0, d = 0;
  if (image_->image) Module().api.facts(image_->image, &w, &h, &d);
  return h;
}

unsigned long AltWorkingImage::depth() const {
  unsigned long w = 0, h = 0, d = 0;
  if (image_->image) Module().api.facts(image_->image, &w, &h, &d);
  return d;
}

}  // namespace braxel::imaging
