// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/app_data.h"

#include <unistd.h>

#include <mutex>
#include <optional>

#include "platform/files.h"
#include "platform/folder_helpers.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "platform/special_folders.h"
#include "platform/text.h"

namespace braxel {
namespace {

std::mutex gSettingsMutex;
std::optional<std::string> gSettingsFile;

}  // namespace

bool IsUsableSettingsFile(const std::string& path, bool probeByWriting) {
  if (ContainsNoCase(path, "Folder Not Valid On this OS") || ContainsNoCase(path, "Special Folder Does Not Exist"))
    return false;
  const std::string folder = ParentFolder(path);
  if (!FolderExists(folder)) CreateFolderPath(folder);
  if (!FolderExists(folder)) return false;
  if (!probeByWriting) {
    if (PathEntryExists(path)) return ::access(path.c_str(), R_OK | W_OK) == 0;
    return ::access(folder.c_str(), W_OK) == 0;
  }
  // A file that already passed the probe and is still writable passes again without being
  // rewritten.
  if (::access(path.c_str(), W_OK) == 0 && GetProfileString(path, "Main", "Partial", "0", 500) == "Level3")
    return true;
  if (!WriteProfileString(path, "Main", "Partial", "level2")) return false;
  if (GetProfileString(path, "Main", "Partial", "0", 500) != "level2") return false;
  if (!WriteProfileString(path, "Main", "Partial", "Level3")) return false;
  return GetProfileString(path, "Main", "Partial", "0", 500) == "Level3";
}

std::string FindSettingsFile(std::string_view fileName, std::string_view company, std::string_view product, int id,
                             bool probeByWriting) {
  std::lock_guard lock(gSettingsMutex);
  if (gSettingsFile) return *gSettingsFile;
  const std::string base = GetSpecialFolderOrReason(id);
  const std::string candidate = JoinPath(JoinPath(JoinPath(base, company), product), fileName);
  gSettingsFile = IsUsableSettingsFile(candidate, probeByWriting) ? candidate : std::string();
  return *gSettingsFile;
}

void ResetSettingsFileCache() {
  std::lock_guard lock(gSettingsMutex);
  gSettingsFile.reset();
}

std::string AppDataFolder() {
  const std::string base = GetSpecialFolder(static_cast<int>(SpecialFolderId::kLocalAppData));
  return WithTrailingSeparator(JoinPath(JoinPath(base, kCompanyFolder), kProductFolder));
}

std::string RegistryStorePath() {
  const std::string base = GetSpecialFolder(static_cast<int>(SpecialFolderId::kRoamingAppData));
  return JoinPath(JoinPath(JoinPath(base, kCompanyFolder), kProductFolder), "Braxel.registry.ini");
}

void InstallSampleData(const std::string& sharedDataFolder, const std::string& appDataFolder) {
  const std::string store = RegistryStorePath();
  if (!EqualsNoCase(GetProfileString(store, "Settings", "bDInstalled", "FALSE"), "FALSE")) return;
  CreateFolderPath(ParentFolder(store));
  WriteProfileString(store, "Settings", "bDInstalled", "TRUE");
  if (FolderExists(JoinPath(appDataFolder, "Demo"))) return;
  for (const char* folder : {"Demo Data", "Demo Conversion Jobs", "Demo Batch Files", "Languages"}) {
    const std::string source = JoinPath(sharedDataFolder, folder);
    if (FolderExists(source)) CopyFolder(source, JoinPath(appDataFolder, folder), /*overwrite=*/false);
  }
}

}  // namespace braxel
