// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/path.h"

#include "platform/text.h"

namespace braxel {

std::string ParentFolder(std::string_view path) {
  std::string_view p = path;
  while (p.size() > 1 && p.back() == kPathSeparator) p.remove_suffix(1);
  const size_t slash = p.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return "";
  if (slash == 0) return "";  // a file in the root: the root without its separator
  return std::string(p.substr(0, slash));
}

std::string FileNameOf(std::string_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string BaseNameOf(std::string_view path) {
  std::string name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

std::string GetExtension(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return "";
  return Trim(path.substr(dot + 1));
}

std::string GetFolderPart(std::string_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return "";
  return std::string(path.substr(0, slash + 1));
}

bool EndsWithSeparator(std::string_view path) { return !path.empty() && path.back() == kPathSeparator; }

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string out(folder);
  if (!EndsWithSeparator(out)) out.push_back(kPathSeparator);
  while (!name.empty() && name.front() == kPathSeparator) name.remove_prefix(1);
  out.append(name);
  return out;
}

std::string WithTrailingSeparator(std::string_view folder) {
  if (folder.empty()) return "";
  std::string out(folder);
  if (!EndsWithSeparator(out)) out.push_back(kPathSeparator);
  return out;
}

std::string WithoutTrailingSeparator(std::string_view folder) {
  std::string out(folder);
  if (out.size() > 1 && EndsWithSeparator(out)) out.pop_back();
  return out;
}

std::string StripQuotes(std::string_view text) { return ReplaceAll(text, "\"", ""); }

std::string CollapseSeparators(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    if (c == kPathSeparator && !out.empty() && out.back() == kPathSeparator) continue;
    out.push_back(c);
  }
  return out;
}

bool IsAbsolutePath(std::string_view path) { return !path.empty() && path.front() == kPathSeparator; }

}  // namespace braxel
