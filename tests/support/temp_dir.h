// SPDX-License-Identifier: GPL-3.0-or-later
// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <string>

namespace braxel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's absolute path, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string Sub(const std::string& relative) const;
  // Creates a file (and its folders) holding `content`; returns its path.
  std::string WriteFile(const std::string& relative, const std::string& content = "x") const;
  // Creates a folder (and its parents); returns its path.
  std::string MakeDir(const std::string& relative) const;

 private:
  std::string path_;
};

// Reads a whole file; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace braxel::test
