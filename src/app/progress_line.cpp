// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/progress_line.h"

#include <cstdio>

#include "engine/job_run.h"
#include "platform/clock.h"
#include "platform/path.h"

namespace braxel {

ProgressLine::ProgressLine(Session& session) : session_(session) {
  session_.onChanged = [this] { Update(); };
}

ProgressLine::~ProgressLine() {
  session_.onChanged = nullptr;
  if (written_) std::fputs("\r\x1b[K", stderr);
}

void ProgressLine::Update() {
  const int64_t now = TickCountMs();
  // A few lines a second, and always the last file of an item.
  const bool itemDone = session_.lFilesTotal > 0 && session_.lFilesDone == session_.lFilesTotal &&
                        shownDone_ != session_.lFilesDone;
  if (written_ && now - lastWrite_ < 200 && !itemDone) return;
  lastWrite_ = now;
  shownDone_ = session_.lFilesDone;
  written_ = true;
  const double seconds = static_cast<double>(now - session_.lTotalTimeStart) / 1000.0;
  std::string name = FileNameOf(session_.sCurrentFile);
  if (name.size() > 48) name = "..." + name.substr(name.size() - 45);
  std::fprintf(stderr, "\r\x1b[K%d/%d  %s  %ss", session_.lFilesDone, session_.lFilesTotal, name.c_str(),
               FormatOneDecimal(seconds).c_str());
  std::fflush(stderr);
}

}  // namespace braxel
