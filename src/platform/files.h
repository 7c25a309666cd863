// SPDX-License-Identifier: GPL-3.0-or-later
// File-system access: existence, listing, reading, atomic writing, moving, time stamps.
// Every function traps its own errors and reports them as values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace braxel {

// True when the trimmed path names an existing regular file (symlinks followed). A path whose
// last element holds "*" or "?" is a pattern: true when the first matching file in listing
// order exists and its name occurs within the path text (letter case ignored).
bool FileExists(std::string_view path);
// True when the path names an existing folder (symlinks followed).
bool FolderExists(std::string_view path);
// True when anything (file, folder, dangling symlink...) stands under the name.
bool PathEntryExists(std::string_view path);
// Creates the folder and every missing parent; failures are ignored.
void CreateFolderPath(std::string_view folder);

enum class EntryType { kFile, kFolder, kOther };
struct FolderEntry {
  std::string name;
  EntryType type = EntryType::kOther;  // symlinks resolved to what they point to
  bool isSymlink = false;
};
// The entries of a folder in the order the OS lists them, without "." and "..".
// Types come from the listing itself; only symlinks and unknown types cost a stat.
// nullopt when the folder cannot be opened.
std::optional<std::vector<FolderEntry>> ListFolder(std::string_view folder);

// Identity of a file-system object (device and inode), following symlinks.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> GetFileIdentity(std::string_view path);
// True when both paths name one existing object (by device and inode).
bool IsSameFile(std::string_view a, std::string_view b);
std::optional<uint64_t> GetFileSize(std::string_view path);

// A read-only view of a whole file, memory-mapped when possible.
class MappedFile {
 public:
  static Result<MappedFile> Open(const std::string& path);
  MappedFile() = default;
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void Reset();
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
  std::vector<uint8_t> fallback_;
};

// Reads a whole file into a string.
Result<std::string> ReadFileText(const std::string& path);

// An output file written under a temporary name in the target's folder and renamed over the
// target by Commit(). Destroying it without Commit() removes the temporary file, so no
// half-written file ever stands under the target's name.
class AtomicOutputFile {
 public:
  static Result<AtomicOutputFile> Create(const std::string& targetPath);
  AtomicOutputFile() = default;
  AtomicOutputFile(AtomicOutputFile&& other) noexcept;
  AtomicOutputFile& operator=(AtomicOutputFile&& other) noexcept;
  AtomicOutputFile(const AtomicOutputFile&) = delete;
  AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;
  ~AtomicOutputFile();

  const std::string& targetPath() const { return targetPath_; }
  const std::string& tempPath() const { return tempPath_; }
  // The open read-write descriptor of the temporary file (-1 after DetachFd or Commit).
  // Read access lets writers such as libtiff read back what they wrote.
  int fd() const { return fd_; }
  // Hands the descriptor to a library that closes it itself (before Commit).
  int DetachFd();
  Status Write(const void* data, size_t size);
  // Flushes (with `durable`, to the disk), closes and renames over the target.
  Status Commit(bool durable = false);
  // Closes and removes the temporary file; the target is untouched.
  void Abandon();
  bool active() const { return !tempPath_.empty(); }

 private:
  std::string targetPath_;
  std::string tempPath_;
  int fd_ = -1;
};

// Writes `content` to `path` through an AtomicOutputFile.
Status WriteFileAtomic(const std::string& path, std::string_view content, bool durable = false);
// Appends `content` with one write(2) on an O_APPEND descriptor, creating the file when missing.
Status AppendToFile(const std::string& path, std::string_view content);

bool RemoveFile(std::string_view path);
// rename(2): atomic within one file system; fails across file systems.
Status RenameFile(std::string_view from, std::string_view to);
// Copies a file's bytes; with `durable` the copy is flushed to disk before returning.
Status CopyFileContents(std::string_view from, std::string_view to, bool overwrite, bool durable);
// Adds the owner's write permission (the "clear read-only" of other systems).
bool AddOwnerWritePermission(std::string_view path);
// True when the rename failed because source and target are on different file systems.
bool IsCrossDeviceError(const Status& status);

// Time stamps with nanosecond precision. The creation time is read where the file system
// reports it (0 otherwise) and cannot be set.
struct FileTime {
  int64_t seconds = 0;
  int64_t nanoseconds = 0;
  bool operator==(const FileTime&) const = default;
};
struct FileTimes {
  FileTime creation;
  FileTime access;
  FileTime modification;
};
std::optional<FileTimes> GetFileTimes(std::string_view path);
bool SetFileTimes(std::string_view path, const FileTime& access, const FileTime& modification);
FileTime CurrentFileTime();

// The system temporary folder ($TMPDIR or /tmp), without a trailing separator.
std::string TempFolder();

}  // namespace braxel
