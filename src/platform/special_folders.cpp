// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/special_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/path.h"
#include "platform/text.h"

namespace braxel {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return (value && *value) ? WithoutTrailingSeparator(value) : fallback;
}

std::string ConfigHome(const std::string& home) { return EnvOr("XDG_CONFIG_HOME", home + "/.config"); }

// XDG_DOCUMENTS_DIR from user-dirs.dirs, with $HOME expanded; "" when not set there.
std::string XdgDocuments(const std::string& home) {
  auto content = ReadFileText(ConfigHome(home) + "/user-dirs.dirs");
  if (!content) return "";
  for (const std::string& line : SplitTextLines(*content)) {
    const std::string trimmed = Trim(line);
    if (!trimmed.starts_with("XDG_DOCUMENTS_DIR=")) continue;
    std::string value = StripQuotes(trimmed.substr(18));
    if (value.starts_with("$HOME")) value = home + value.substr(5);
    return WithoutTrailingSeparator(value);
  }
  return "";
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return WithoutTrailingSeparator(home);
  if (const struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return WithoutTrailingSeparator(pw->pw_dir);
  return "";
}

SpecialFolder LookUpSpecialFolder(int id) {
  const std::string home = HomeFolder();
  const auto userFolder = [&](std::string path) {
    if (home.empty()) return SpecialFolder{SpecialFolderStatus::kDoesNotExist, ""};
    return SpecialFolder{SpecialFolderStatus::kOk, std::move(path)};
  };
  switch (static_cast<SpecialFolderId>(id)) {
    case SpecialFolderId::kDocuments: {
      const std::string docs = home.empty() ? "" : XdgDocuments(home);
      return userFolder(!docs.empty() && FolderExists(docs) ? docs : home);
    }
    case SpecialFolderId::kRoamingAppData:
      return userFolder(ConfigHome(home));
    case SpecialFolderId::kLocalAppData:
      return userFolder(EnvOr("XDG_DATA_HOME", home + "/.local/share"));
    case SpecialFolderId::kProfile:
      return userFolder(home);
    case SpecialFolderId::kCommonAppData:
      return {SpecialFolderStatus::kOk, "/etc/xdg"};
    case SpecialFolderId::kWindows:
      return {SpecialFolderStatus::kOk, "/usr"};
    case SpecialFolderId::kProgramFiles:
      return {SpecialFolderStatus::kOk, "/opt"};
    case SpecialFolderId::kProgramFilesX86:
      return {SpecialFolderStatus::kOk, "/usr/local"};
    case SpecialFolderId::kCommonDocuments:
      return {SpecialFolderStatus::kOk, "/usr/share"};
  }
  return {SpecialFolderStatus::kNotValid, ""};
}

}  // namespace braxel
