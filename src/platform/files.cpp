// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>

#include "platform/path.h"
#include "platform/text.h"

namespace braxel {
namespace {

std::string ErrnoText(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool IsPattern(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

int WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

std::string RandomSuffix() {
  static thread_local std::mt19937_64 generator{std::random_device{}() ^
                                               static_cast<uint64_t>(::getpid()) << 32};
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string out(8, 'x');
  for (char& c : out) c = kAlphabet[generator() % (sizeof(kAlphabet) - 1)];
  return out;
}

void SyncFolderOf(const std::string& path) {
  std::string folder = ParentFolder(path);
  if (folder.empty()) folder = IsAbsolutePath(path) ? "/" : ".";
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

}  // namespace

bool FileExists(std::string_view rawPath) {
  const std::string path = Trim(rawPath);
  if (path.empty()) return false;
  const std::string name = FileNameOf(path);
  if (!IsPattern(name)) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  std::string folder = GetFolderPart(path);
  if (folder.empty()) folder = ".";
  const auto entries = ListFolder(folder);
  if (!entries) return false;
  for (const FolderEntry& entry : *entries) {
    if (entry.type != EntryType::kFile) continue;
    if (::fnmatch(name.c_str(), entry.name.c_str(), FNM_PERIOD) != 0) continue;
    return ContainsNoCase(path, entry.name);  // only the first match counts
  }
  return false;
}

bool FolderExists(std::string_view path) {
  if (path.empty()) return false;
  struct stat st;
  return ::stat(std::string(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathEntryExists(std::string_view path) {
  if (path.empty()) return false;
  struct stat st;
  return ::lstat(std::string(path).c_str(), &st) == 0;
}

void CreateFolderPath(std::string_view folder) {
  std::string path = CollapseSeparators(folder);
  while (path.size() > 1 && EndsWithSeparator(path)) path.pop_back();
  if (path.empty() || FolderExists(path)) return;
  // Create each missing element from the top down.
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == kPathSeparator) {
      const std::string prefix = path.substr(0, pos);
      if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
        if (!FolderExists(prefix)) return;
      }
    }
  }
}

std::optional<std::vector<FolderEntry>> ListFolder(std::string_view folder) {
  const std::string dirPath = folder.empty() ? std::string(".") : std::string(folder);
  DIR* dir = ::opendir(dirPath.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<FolderEntry> entries;
  const int dfd = ::dirfd(dir);
  while (struct dirent* ent = ::readdir(dir)) {
    const char* name = ent->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    FolderEntry entry;
    entry.name = name;
    unsigned char type = ent->d_type;
    if (type == DT_LNK) entry.isSymlink = true;
    if (type == DT_LNK || type == DT_UNKNOWN) {
      struct stat st;
      if (::fstatat(dfd, name, &st, 0) == 0) {
        type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
      } else {
        type = DT_UNKNOWN;
      }
    }
    entry.type = type == DT_REG ? EntryType::kFile : type == DT_DIR ? EntryType::kFolder : EntryType::kOther;
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return entries;
}

std::optional<FileIdentity> GetFileIdentity(std::string_view path) {
  struct stat st;
  if (path.empty() || ::stat(std::string(path).c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool IsSameFile(std::string_view a, std::string_view b) {
  const auto ia = GetFileIdentity(a);
  const auto ib = GetFileIdentity(b);
  return ia && ib && *ia == *ib;
}

std::optional<uint64_t> GetFileSize(std::string_view path) {
  struct stat st;
  if (::stat(std::string(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

// ---- MappedFile ----

Result<MappedFile> MappedFile::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Result<MappedFile>::Fail(ErrnoText("cannot open", path));
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Result<MappedFile>::Fail("not a regular file: " + path);
  }
  MappedFile file;
  file.size_ = static_cast<size_t>(st.st_size);
  if (file.size_ > 0) {
    void* p = ::mmap(nullptr, file.size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      file.data_ = static_cast<const uint8_t*>(p);
      file.mapped_ = true;
    } else {
      // Some file systems cannot map; read instead.
      file.fallback_.resize(file.size_);
      size_t done = 0;
      while (done < file.size_) {
        const ssize_t n = ::read(fd, file.fallback_.data() + done, file.size_ - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      file.fallback_.resize(done);
      file.size_ = done;
      file.data_ = file.fallback_.data();
    }
  }
  ::close(fd);
  return file;
}

MappedFile::MappedFile(MappedFile&& other) noexcept { *this = std::move(other); }

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Reset();
    size_ = other.size_;
    mapped_ = other.mapped_;
    fallback_ = std::move(other.fallback_);
    data_ = mapped_ ? other.data_ : fallback_.data();
    other.data_ = nullptr;
    other.size_ = 0;
    other.mapped_ = false;
  }
  return *this;
}

MappedFile::~MappedFile() { Reset(); }

void MappedFile::Reset() {
  if (mapped_ && data_) ::munmap(const_cast<uint8_t*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
  fallback_.clear();
}

Result<std::string> ReadFileText(const std::string& path) {
  auto file = MappedFile::Open(path);
  if (!file) return file.error();
  return std::string(reinterpret_cast<const char*>(file->data()), file->size());
}

// ---- AtomicOutputFile ----

Result<AtomicOutputFile> AtomicOutputFile::Create(const std::string& targetPath) {
  if (targetPath.empty() || EndsWithSeparator(targetPath))
    return Result<AtomicOutputFile>::Fail("invalid output file name: " + targetPath);
  const std::string folder = GetFolderPart(targetPath);
  const std::string name = FileNameOf(targetPath);
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A hidden name that no extension pattern of an input scan matches.
    const std::string temp = folder + "." + name + ".braxel-" + RandomSuffix() + ".part";
    const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
      AtomicOutputFile file;
      file.targetPath_ = targetPath;
      file.tempPath_ = temp;
      file.fd_ = fd;
      return file;
    }
    if (errno != EEXIST) return Result<AtomicOutputFile>::Fail(ErrnoText("cannot create", temp));
  }
  return Result<AtomicOutputFile>::Fail("cannot create a temporary file beside " + targetPath);
}

AtomicOutputFile::AtomicOutputFile(AtomicOutputFile&& other) noexcept { *this = std::move(other); }

AtomicOutputFile& AtomicOutputFile::operator=(AtomicOutputFile&& other) noexcept {
  if (this != &other) {
    Abandon();
    targetPath_ = std::move(other.targetPath_);
    tempPath_ = std::move(other.tempPath_);
    fd_ = other.fd_;
    other.fd_ = -1;
    other.tempPath_.clear();
    other.targetPath_.clear();
  }
  return *this;
}

AtomicOutputFile::~AtomicOutputFile() { Abandon(); }

int AtomicOutputFile::DetachFd() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

Status AtomicOutputFile::Write(const void* data, size_t size) {
  if (fd_ < 0) return Status::Fail("output file is not open: " + targetPath_);
  if (WriteAll(fd_, data, size) != 0) return Status::Fail(ErrnoText("cannot write", targetPath_));
  return Status::Ok();
}

Status AtomicOutputFile::Commit(bool durable) {
  if (tempPath_.empty()) return Status::Fail("output file is not open: " + targetPath_);
  if (fd_ < 0 && durable) fd_ = ::open(tempPath_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ >= 0) {
    if (durable && ::fsync(fd_) != 0) {
      const Status failed = Status::Fail(ErrnoText("cannot flush", targetPath_));
      Abandon();
      return failed;
    }
    if (::close(fd_) != 0) {
      fd_ = -1;
      const Status failed = Status::Fail(ErrnoText("cannot write", targetPath_));
      Abandon();
      return failed;
    }
    fd_ = -1;
  }
  if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
    const Status failed = Status::Fail(ErrnoText("cannot replace", targetPath_));
    Abandon();
    return failed;
  }
  tempPath_.clear();
  if (durable) SyncFolderOf(targetPath_);
  return Status::Ok();
}

void AtomicOutputFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

Status WriteFileAtomic(const std::string& path, std::string_view content, bool durable) {
  auto file = AtomicOutputFile::Create(path);
  if (!file) return file.status();
  if (Status written = file->Write(content.data(), content.size()); !written) return written;
  return file->Commit(durable);
}

Status AppendToFile(const std::string& path, std::string_view content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return Status::Fail(ErrnoText("cannot open", path));
  const int rc = WriteAll(fd, content.data(), content.size());
  const int closed = ::close(fd);
  if (rc != 0 || closed != 0) return Status::Fail(ErrnoText("cannot write", path));
  return Status::Ok();
}

bool RemoveFile(std::string_view path) { return !path.empty() && ::unlink(std::string(path).c_str()) == 0; }

Status RenameFile(std::string_view from, std::string_view to) {
  if (::rename(std::string(from).c_str(), std::string(to).c_str()) != 0)
    return Status::Fail(ErrnoText("cannot move", std::string(from)), errno);
  return Status::Ok();
}

bool IsCrossDeviceError(const Status& status) { return !status.ok() && status.error().code == EXDEV; }

Status CopyFileContents(std::string_view fromView, std::string_view toView, bool overwrite, bool durable) {
  const std::string from(fromView), to(toView);
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Status::Fail(ErrnoText("cannot open", from));
  struct stat st;
  ::fstat(in, &st);
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (overwrite ? 0 : O_EXCL);
  const int out = ::open(to.c_str(), flags, st.st_mode & 0777);
  if (out < 0) {
    const Status failed = Status::Fail(ErrnoText("cannot create", to));
    ::close(in);
    return failed;
  }
  // The kernel copies without a user-space buffer where it can; read and write otherwise.
  bool ok = true;
  bool kernelCopy = true;
  while (kernelCopy) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) ok = false;
      kernelCopy = false;
    }
  }
  if (ok && !kernelCopy) {
    std::unique_ptr<char[]> buffer(new char[1 << 18]);
    while (true) {
      const ssize_t n = ::read(in, buffer.get(), 1 << 18);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = false;
        break;
      }
      if (n == 0) break;
      if (WriteAll(out, buffer.get(), static_cast<size_t>(n)) != 0) {
        ok = false;
        break;
      }
    }
  }
  if (ok && durable && ::fsync(out) != 0) ok = false;
  if (::close(out) != 0) ok = false;
  ::close(in);
  if (!ok) return Status::Fail(ErrnoText("cannot copy to", to));
  return Status::Ok();
}

bool AddOwnerWritePermission(std::string_view path) {
  struct stat st;
  const std::string p(path);
  if (::stat(p.c_str(), &st) != 0) return false;
  return ::chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

std::optional<FileTimes> GetFileTimes(std::string_view path) {
  struct statx sx;
  const std::string p(path);
  if (::statx(AT_FDCWD, p.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return std::nullopt;
  FileTimes times;
  if (sx.stx_mask & STATX_BTIME) times.creation = {sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec};
  times.access = {sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec};
  times.modification = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
  return times;
}

bool SetFileTimes(std::string_view path, const FileTime& access, const FileTime& modification) {
  struct timespec ts[2];
  ts[0].tv_sec = access.seconds;
  ts[0].tv_nsec = access.nanoseconds;
  ts[1].tv_sec = modification.seconds;
  ts[1].tv_nsec = modification.nanoseconds;
  return ::utimensat(AT_FDCWD, std::string(path).c_str(), ts, 0) == 0;
}

FileTime CurrentFileTime() {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  return {now.tv_sec, now.tv_nsec};
}

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp && *tmp) ? tmp : "/tmp";
  return WithoutTrailingSeparator(folder);
}

}  // namespace braxel
