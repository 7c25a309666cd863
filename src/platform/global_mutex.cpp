// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/global_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace braxel {
namespace {

int OpenAndLock() {
  const std::string path = GlobalMutexPath();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return -1;
  // The umask may have narrowed the mode; every user's instances must be able to open it.
  struct stat st;
  if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 0666) != 0666) ::fchmod(fd, 0666);
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd);
      return -1;
    }
  }
  return fd;
}

}  // namespace

std::string GlobalMutexPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = (runtime && *runtime) ? runtime : "/tmp";
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) folder = "/tmp";
  return folder + "/Halvick_Global_Mutex.lock";
}

GlobalMutexLock::GlobalMutexLock() : fd_(OpenAndLock()) {}

GlobalMutexLock::~GlobalMutexLock() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
}


}  // namespace braxel
