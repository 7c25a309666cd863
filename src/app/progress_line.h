// SPDX-License-Identifier: GPL-3.0-or-later
// The progress line a batch run writes to standard error while it works on a terminal.
#pragma once

#include <cstdint>
#include <string>

#include "engine/session.h"

namespace braxel {

// Installs itself as the session's change listener; writes at most a few lines a second and
// clears its line when destroyed.
class ProgressLine {
 public:
  explicit ProgressLine(Session& session);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

 private:
  void Update();
  Session& session_;
  int64_t lastWrite_ = 0;
  int32_t shownDone_ = -1;
  bool written_ = false;
};

}  // namespace braxel
