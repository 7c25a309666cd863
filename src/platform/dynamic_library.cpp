// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace braxel {

Result<DynamicLibrary> DynamicLibrary::Open(const std::string& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* error = ::dlerror();
    return Result<DynamicLibrary>::Fail(error ? error : ("cannot load " + path));
  }
  return DynamicLibrary(handle);
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_) ::dlclose(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

DynamicLibrary::~DynamicLibrary() {
  if (handle_) ::dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

}  // namespace braxel
