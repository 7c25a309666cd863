// SPDX-License-Identifier: GPL-3.0-or-later
// A shared library loaded at run time (dlopen), for parts that are loaded only when needed.
#pragma once

#include <string>

#include "platform/result.h"

namespace braxel {

class DynamicLibrary {
 public:
  static Result<DynamicLibrary> Open(const std::string& path);
  DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  ~DynamicLibrary();

  // The address of an exported symbol, or nullptr.
  void* Symbol(const char* name) const;

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;
};

}  // namespace braxel
