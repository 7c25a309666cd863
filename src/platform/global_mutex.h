// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide lock "Halvick_Global_Mutex" that serialises appends to shared files across
// every running instance of every user. An exclusive flock() on a lock file in the runtime
// folder: the lock dies with its process, so a crashed instance never blocks the others.
#pragma once

#include <string>

namespace braxel {

// The lock file's path: $XDG_RUNTIME_DIR (or /tmp)/Halvick_Global_Mutex.lock.
std::string GlobalMutexPath();

// Holds the lock from construction to destruction. A lock that cannot be taken (no lock file
// can be created) lets the caller go on unlocked: appending must never stop a run.
class GlobalMutexLock {
 public:
  GlobalMutexLock();
  ~GlobalMutexLock();
  GlobalMutexLock(const GlobalMutexLock&) = delete;
  GlobalMutexLock& operator=(const GlobalMutexLock&) = delete;
  bool locked() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace braxel
