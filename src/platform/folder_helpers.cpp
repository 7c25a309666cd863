// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_helpers.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "platform/path.h"
#include "platform/special_folders.h"
#include "platform/text.h"

namespace braxel {
namespace {

constexpr const char* kError = "(error)";

// Folders of the system that outputs must stay out of (each with a trailing separator).
constexpr std::string_view kSystemTrees[] = {"/bin/",   "/boot/",  "/dev/",  "/etc/", "/lib/",
                                             "/lib32/", "/lib64/", "/libx32/", "/proc/", "/run/",
                                             "/sbin/",  "/sys/",   "/var/"};

// Moves with rename, or copy to a temporary name beside the destination, flush, rename over
// the destination, then delete the source.
bool MoveFile(const std::string& source, const std::string& destination) {
  if (!FileExists(source)) return false;
  if (IsSameFile(source, destination)) return true;
  const Status renamed = RenameFile(source, destination);
  if (renamed) return true;
  if (!IsCrossDeviceError(renamed)) return false;
  auto temp = AtomicOutputFile::Create(destination);
  if (!temp) return false;
  if (!CopyFileContents(source, temp->tempPath(), /*overwrite=*/true, /*durable=*/true)) return false;
  if (!temp->Commit(/*durable=*/true)) return false;
  return RemoveFile(source);
}

}  // namespace

std::string GetSpecialFolder(int id) {
  const SpecialFolder folder = LookUpSpecialFolder(id);
  return folder.status == SpecialFolderStatus::kOk ? folder.path : kError;
}

std::string GetSpecialFolderOrReason(int id) {
  const SpecialFolder folder = LookUpSpecialFolder(id);
  switch (folder.status) {
    case SpecialFolderStatus::kOk:
      return folder.path;
    case SpecialFolderStatus::kDoesNotExist:
      return "Special Folder Does Not Exist";
    case SpecialFolderStatus::kNotValid:
      break;
  }
  return "Folder Not Valid On this OS";
}

std::string ExpandFolderVariables(std::string_view raw) {
  std::string text = Trim(raw);
  if (text.starts_with("~/")) {
    const std::string home = HomeFolder();
    if (!home.empty()) text = home + text.substr(1);
  }
  struct Variable {
    std::string_view name;
    std::string_view alias;
    SpecialFolderId id;
  };
  static constexpr Variable kVariables[] = {
      {"%USERPROFILE%", "%HOMEPATH%", SpecialFolderId::kProfile},
      {"%APPDATA%", "", SpecialFolderId::kRoamingAppData},
      {"%LOCALAPPDATA%", "", SpecialFolderId::kLocalAppData},
      {"%WINDIR%", "", SpecialFolderId::kWindows},
      {"%PROGRAMFILES(X86)%", "", SpecialFolderId::kProgramFilesX86},
      {"%PROGRAMFILES%", "", SpecialFolderId::kProgramFiles},
      {"%MYDOCUMENTS%", "", SpecialFolderId::kDocuments},
  };
  for (const Variable& variable : kVariables) {
    const bool hasName = ContainsNoCase(text, variable.name);
    const bool hasAlias = !variable.alias.empty() && ContainsNoCase(text, variable.alias);
    if (!hasName && !hasAlias) continue;
    const std::string folder = GetSpecialFolder(static_cast<int>(variable.id));
    if (folder == kError) return text;
    text = ReplaceAllNoCase(text, variable.name, folder);
    // %HOMEPATH% names the home folder as well.
    if (hasAlias) text = ReplaceAllNoCase(text, variable.alias, folder);
    return text;
  }
  return text;
}

std::string GetPathRoot(std::string_view path, bool addSeparator) {
  (void)addSeparator;  // Linux has one root, written the same with or without the flag.
  return IsAbsolutePath(path) ? std::string(kPathSeparatorText) : std::string();
}

std::string GetDeepestExistingFolder(std::string_view path) {
  const std::string trimmed = Trim(path);
  if (!IsAbsolutePath(trimmed)) return "";
  std::string current = "/";
  for (const std::string& rawPiece : Split(trimmed, kPathSeparator)) {
    const std::string piece = Trim(rawPiece);
    if (piece.empty()) continue;
    const std::string candidate = JoinPath(current, piece);
    if (!FolderExists(candidate)) break;
    current = candidate;
  }
  return current;
}

std::string MakeUniqueTempFileName(std::string_view folderIn, std::string_view prefix, std::string_view extensionIn) {
  const std::string extension = extensionIn.empty() ? "TMP" : std::string(extensionIn);
  std::string folder = folderIn.empty() ? TempFolder() : std::string(folderIn);
  folder = WithTrailingSeparator(folder);
  const int digits = std::max(1, 8 - static_cast<int>(prefix.size()));
  int64_t attempts = 1;
  for (int i = 0; i < digits; ++i) attempts *= 10;
  std::mt19937 generator(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         static_cast<unsigned>(::getpid()));
  std::uniform_int_distribution<int64_t> draw(0, 99999999);
  for (int64_t a = 0; a < attempts; ++a) {
    const std::string number = std::to_string(draw(generator)).substr(0, static_cast<size_t>(digits));
    const std::string candidate = folder + std::string(prefix) + number + "." + extension;
    if (!PathEntryExists(candidate)) return candidate;
  }
  return "";
}

bool IsFolderWriteable(std::string_view path) {
  if (Trim(path).empty()) return false;
  const std::string probe = MakeUniqueTempFileName(GetDeepestExistingFolder(path), "", "TMP");
  if (probe.empty()) return false;
  // O_EXCL with O_NOFOLLOW: a file or symlink that appeared under the probe's name is never
  // written through, and never removed by us.
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  static constexpr char kLine[] = "Hello World\n";
  const bool written = ::write(fd, kLine, sizeof kLine - 1) == static_cast<ssize_t>(sizeof kLine - 1);
  const bool closed = ::close(fd) == 0;
  ::unlink(probe.c_str());
  return written && closed;
}

OutputFolderCheck CheckOutputFolder(std::string_view path) {
  OutputFolderCheck check;
  const std::string text = ExpandFolderVariables(Trim(path));
  check.correctedPath = WithTrailingSeparator(text.empty() ? std::string(kPathSeparatorText) : text);
  const std::string documents = GetSpecialFolder(static_cast<int>(SpecialFolderId::kDocuments));
  const std::string profile = GetSpecialFolder(static_cast<int>(SpecialFolderId::kProfile));
  if (documents == kError || profile == kError) {
    check.status = 1;
    check.message = "Output folder has an unknown status. Error: the home folder cannot be found";
    check.correctedPath = WithoutTrailingSeparator(check.correctedPath);
    return check;
  }
  const std::string docs = WithTrailingSeparator(documents);
  const std::string existing = WithTrailingSeparator(GetDeepestExistingFolder(text));
  const auto replaceWithDocs = [&](std::string_view prefix) {
    check.correctedPath = ReplaceFirstNoCase(check.correctedPath, prefix, docs);
  };

  const std::string windows = WithTrailingSeparator(GetSpecialFolder(static_cast<int>(SpecialFolderId::kWindows)));
  const std::string programFilesX86 =
      WithTrailingSeparator(GetSpecialFolder(static_cast<int>(SpecialFolderId::kProgramFilesX86)));
  const std::string programFiles = ReplaceFirstNoCase(
      WithTrailingSeparator(GetSpecialFolder(static_cast<int>(SpecialFolderId::kProgramFiles))), " (x86)", "");
  const std::string users = WithTrailingSeparator(ParentFolder(profile).empty() ? "/" : ParentFolder(profile));
  const std::string root = GetPathRoot(windows, true);

  std::string systemTree;
  for (std::string_view tree : kSystemTrees) {
    if (StartsWithNoCase(existing, tree) && !(tree == "/var/" && StartsWithNoCase(existing, "/var/tmp/"))) {
      systemTree = std::string(tree);
      break;
    }
  }

  if (windows != "/" && StartsWithNoCase(existing, windows)) {
    check.status = 2;
    replaceWithDocs(windows);
  } else if (EqualsNoCase(existing, root)) {
    check.status = 4;
    replaceWithDocs(root);
  } else if (StartsWithNoCase(existing, programFilesX86)) {
    check.status = 2;
    replaceWithDocs(programFilesX86);
  } else if (StartsWithNoCase(existing, programFiles)) {
    check.status = 2;
    replaceWithDocs(programFiles);
  } else if (!systemTree.empty()) {
    check.status = 2;
    replaceWithDocs(systemTree);
  } else if (EqualsNoCase(existing, users)) {
    check.status = 3;
    replaceWithDocs(users);
  } else if (!IsFolderWriteable(text)) {
    check.status = 5;
    check.correctedPath = docs;
  }
  static constexpr const char* kMessages[] = {
      "",
      "Output folder has an unknown status. Error: ",
      "Output folder is a system folder and should not be used.",
      "Output folder is a protected folder and should not be used.",
      "Output folder: You should not write or create sub directories in the system root directory.",
      "Output folder is not writeable.",
  };
  check.message = kMessages[check.status];
  check.correctedPath = WithoutTrailingSeparator(check.correctedPath);
  return check;
}

bool DeleteFileWithRetry(std::string_view path, int retryDelayMs) {
  const std::string file = Trim(path);
  if (!FileExists(file)) return true;
  for (int attempt = 1; attempt <= 21; ++attempt) {
    AddOwnerWritePermission(file);
    if (RemoveFile(file) || !PathEntryExists(file)) return true;
    if (attempt < 21) std::this_thread::sleep_for(std::chrono::milliseconds(retryDelayMs));
  }
  return false;
}

bool MoveFileToFolder(std::string_view file, std::string_view folder) {
  if (Trim(folder).empty()) return false;
  CreateFolderPath(folder);
  if (!FolderExists(folder)) return false;
  return MoveFile(std::string(file), JoinPath(folder, FileNameOf(file)));
}

bool MoveFileOverwrite(std::string_view source, std::string_view destination) {
  return MoveFile(std::string(source), std::string(destination));
}

bool CopyFolder(std::string_view source, std::string_view destination, bool overwrite) {
  const auto entries = ListFolder(source);
  if (!entries) return false;
  CreateFolderPath(destination);
  if (!FolderExists(destination)) return false;
  bool ok = true;
  for (const FolderEntry& entry : *entries) {
    const std::string from = JoinPath(source, entry.name);
    const std::string to = JoinPath(destination, entry.name);
    if (entry.type == EntryType::kFolder && !entry.isSymlink) {
      ok = CopyFolder(from, to, overwrite) && ok;
    } else if (entry.type == EntryType::kFile) {
      if (!overwrite && PathEntryExists(to)) continue;
      ok = CopyFileContents(from, to, overwrite, false).ok() && ok;
    }
  }
  return ok;
}

std::optional<FileTimes> ReadFileTimeStamps(std::string_view path) { return GetFileTimes(path); }

bool WriteFileTimeStamps(std::string_view path, const FileTimes& times) {
  return SetFileTimes(path, times.access, times.modification);
}

bool SetFileTimeStampsToNow(std::string_view path) {
  const FileTime now = CurrentFileTime();
  return SetFileTimes(path, now, now);
}

}  // namespace braxel
