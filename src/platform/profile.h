// SPDX-License-Identifier: GPL-3.0-or-later
// Profile (INI) files with the semantics the settings rely on: section and key names compare
// without regard to letter case; a missing file, section or key gives the default; a read
// with a buffer of N characters keeps at most N-1; a write replaces the value in place and
// keeps every other line, comment and the order, appending a new key at the end of its
// section and a new section at the end of the file. Writes go through a temporary file that
// replaces the original, under a lock on the folder, so concurrent writers lose nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace braxel {

inline constexpr size_t kDefaultProfileBuffer = 256;

std::string GetProfileString(const std::string& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, size_t bufferSize = kDefaultProfileBuffer);
// The leading decimal number of the value (optional sign); the default when the key is
// missing; 0 when the value does not start with a number.
int32_t GetProfileInt(const std::string& file, std::string_view section, std::string_view key,
                      int32_t defaultValue);
// Creates the file when missing (its folder must exist). False when it cannot be written.
bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);
// Removes a key; true when the file no longer holds it.
bool DeleteProfileKey(const std::string& file, std::string_view section, std::string_view key);
// The key/value pairs of a section in file order.
std::vector<std::pair<std::string, std::string>> GetProfileSection(const std::string& file,
                                                                   std::string_view section);

}  // namespace braxel
