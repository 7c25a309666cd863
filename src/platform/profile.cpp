// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <optional>

#include "platform/files.h"
#include "platform/path.h"
#include "platform/text.h"

namespace braxel {
namespace {

// "[name]" -> name; nullopt for other lines.
std::optional<std::string> SectionName(const std::string& line) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

struct KeyLine {
  std::string key;
  std::string value;
};

std::optional<KeyLine> ParseKeyLine(const std::string& line) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  KeyLine kv{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
  // A value in one pair of matching quotes is read without them.
  if (kv.value.size() >= 2 && (kv.value.front() == '"' || kv.value.front() == '\'') &&
      kv.value.back() == kv.value.front())
    kv.value = kv.value.substr(1, kv.value.size() - 2);
  return kv;
}

std::vector<std::string> ReadLines(const std::string& file) {
  auto content = ReadFileText(file);
  if (!content) return {};
  return SplitTextLines(*content);
}

// Line range [begin, end) of a section's body; begin == npos when the section is missing.
struct SectionSpan {
  size_t header = std::string::npos;
  size_t end = 0;
};

SectionSpan FindSection(const std::vector<std::string>& lines, std::string_view section) {
  SectionSpan span;
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i]);
    if (!name) continue;
    if (span.header != std::string::npos) {
      span.end = i;
      return span;
    }
    if (EqualsNoCase(*name, section)) span.header = i;
  }
  span.end = lines.size();
  return span;
}

std::optional<std::string> FindValue(const std::vector<std::string>& lines, std::string_view section,
                                     std::string_view key) {
  const SectionSpan span = FindSection(lines, section);
  if (span.header == std::string::npos) return std::nullopt;
  for (size_t i = span.header + 1; i < span.end; ++i) {
    const auto kv = ParseKeyLine(lines[i]);
    if (kv && EqualsNoCase(kv->key, key)) return kv->value;
  }
  return std::nullopt;
}

// Keeps at most `characters` UTF-8 characters.
std::string CutToCharacters(const std::string& text, size_t characters) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (count == characters) return text.substr(0, i);
    ++count;
  }
  return text;
}

// Serialises read-modify-write cycles on files of one folder across processes.
class FolderLock {
 public:
  explicit FolderLock(const std::string& file) {
    std::string folder = ParentFolder(file);
    if (folder.empty()) folder = IsAbsolutePath(file) ? "/" : ".";
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

bool WriteLines(const std::string& file, const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) content.append(line).push_back('\n');
  return WriteFileAtomic(file, content).ok();
}

}  // namespace

std::string GetProfileString(const std::string& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, size_t bufferSize) {
  const auto value = file.empty() ? std::nullopt : FindValue(ReadLines(file), section, key);
  const std::string result = value ? *value : std::string(defaultValue);
  return bufferSize == 0 ? std::string() : CutToCharacters(result, bufferSize - 1);
}

int32_t GetProfileInt(const std::string& file, std::string_view section, std::string_view key,
                      int32_t defaultValue) {
  const auto value = file.empty() ? std::nullopt : FindValue(ReadLines(file), section, key);
  if (!value) return defaultValue;
  size_t i = 0;
  bool negative = false;
  if (i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+')) negative = (*value)[i++] == '-';
  int64_t number = 0;
  while (i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9' && number < (1ll << 32))
    number = number * 10 + ((*value)[i++] - '0');
  return static_cast<int32_t>(negative ? -number : number);
}

bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
  if (file.empty() || Trim(section).empty() || Trim(key).empty()) return false;
  FolderLock lock(file);
  std::vector<std::string> lines = ReadLines(file);
  const SectionSpan span = FindSection(lines, section);
  const std::string newLine = std::string(key) + "=" + std::string(value);
  if (span.header == std::string::npos) {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(newLine);
    return WriteLines(file, lines);
  }
  size_t lastKey = span.header;
  for (size_t i = span.header + 1; i < span.end; ++i) {
    const auto kv = ParseKeyLine(lines[i]);
    if (!kv) continue;
    if (EqualsNoCase(kv->key, key)) {
      // Keep the key as the file spells it; replace only its value.
      lines[i] = lines[i].substr(0, lines[i].find('=')) + "=" + std::string(value);
      return WriteLines(file, lines);
    }
    lastKey = i;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKey + 1), newLine);
  return WriteLines(file, lines);
}

bool DeleteProfileKey(const std::string& file, std::string_view section, std::string_view key) {
  if (file.empty()) return false;
  FolderLock lock(file);
  std::vector<std::string> lines = ReadLines(file);
  const SectionSpan span = FindSection(lines, section);
  if (span.header == std::string::npos) return true;
  for (size_t i = span.header + 1; i < span.end; ++i) {
    const auto kv = ParseKeyLine(lines[i]);
    if (kv && EqualsNoCase(kv->key, key)) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      return WriteLines(file, lines);
    }
  }
  return true;
}

std::vector<std::pair<std::string, std::string>> GetProfileSection(const std::string& file,
                                                                   std::string_view section) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (file.empty()) return pairs;
  const std::vector<std::string> lines = ReadLines(file);
  const SectionSpan span = FindSection(lines, section);
  if (span.header == std::string::npos) return pairs;
  for (size_t i = span.header + 1; i < span.end; ++i)
    if (const auto kv = ParseKeyLine(lines[i])) pairs.emplace_back(kv->key, kv->value);
  return pairs;
}

}  // namespace braxel
