// SPDX-License-Identifier: GPL-3.0-or-later
// The working image of the GraphicsMagick module (private to the module).
#pragma once

#include <memory>
#include <string>

#define BRAXEL_GM_EXPORT __attribute__((visibility("default")))

namespace braxel::imaging::gm {

class GmWorkingImage {
 public:
  GmWorkingImage();
  ~GmWorkingImage();
  GmWorkingImage(const GmWorkingImage&) = delete;
  GmWorkingImage& operator=(const GmWorkingImage&) = delete;

  bool Load(const std::string& path, int formatCode);
  bool Save(const std::string& path, int formatCode, int jpegQuality);
  void SetDurableWrites(bool durable) { durable_ = durable; }
  bool empty() const;
  unsigned long width() const;
  unsigned long height() const;
  unsigned long depth() const;
  const std::string& lastError() const { return lastError_; }

 private:
  struct Handle;
  std::unique_ptr<Handle> image_;
  bool durable_ = false;
  std::string lastError_;
};

}  // namespace braxel::imaging::gm
