// SPDX-License-Identifier: GPL-3.0-or-later
// Where Braxel keeps its per-user files: the settings file, the per-user data folder with its
// sample folders, and the first-start copy of the shipped sample data.
#pragma once

#include <string>
#include <string_view>

namespace braxel {

inline constexpr std::string_view kCompanyFolder = "Tarnwell, Inc";
inline constexpr std::string_view kProductFolder = "Braxel";
inline constexpr std::string_view kSettingsFileName = "QV_SearchHistory.INI";

// The settings file for `fileName` under <special folder id>/company/product/, when usable;
// "" otherwise. The first result is kept for the rest of the run.
// With `probeByWriting` false the file is not written: an existing writable file, or a
// writable folder for a new one, is accepted as it is (a batch run leaves the file alone).
std::string FindSettingsFile(std::string_view fileName, std::string_view company, std::string_view product, int id,
                             bool probeByWriting = true);
// Forgets the kept result (tests only).
void ResetSettingsFileCache();
// True when the file's folder exists or can be created and the file can be written and read
// back (key "Partial" of section "Main" ends up as "Level3").
bool IsUsableSettingsFile(const std::string& path, bool probeByWriting = true);

// The per-user data folder: $XDG_DATA_HOME/Tarnwell, Inc/Braxel/ (with a trailing separator).
std::string AppDataFolder();
// The per-user key-value store of the first-start marker.
std::string RegistryStorePath();
// On a user's first start, copies the shipped "Demo Data", "Demo Conversion Jobs",
// "Demo Batch Files" and "Languages" from `sharedDataFolder` into `appDataFolder` without
// overwriting; the marker is set first, so a failed copy is not retried.
void InstallSampleData(const std::string& sharedDataFolder, const std::string& appDataFolder);

}  // namespace braxel
