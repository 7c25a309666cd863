// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/prompter.h"

#include <mutex>

#include "platform/process.h"

namespace braxel {
namespace {

std::mutex gPrompterMutex;
std::shared_ptr<Prompter> gPrompter;

void WriteMessage(const std::string& title, const std::string& text) {
  WriteErrorLine(title.empty() ? text : title + ": " + text);
}

}  // namespace

void StandardErrorPrompter::Information(const std::string& title, const std::string& text) {
  WriteMessage(title, text);
}
void StandardErrorPrompter::Warning(const std::string& title, const std::string& text) { WriteMessage(title, text); }
PromptAnswer StandardErrorPrompter::YesNo(const std::string& title, const std::string& text) {
  WriteMessage(title, text);
  return PromptAnswer::kNo;
}
PromptAnswer StandardErrorPrompter::YesNoCancel(const std::string& title, const std::string& text) {
  WriteMessage(title, text);
  return PromptAnswer::kCancel;
}
PromptAnswer StandardErrorPrompter::OkCancel(const std::string& title, const std::string& text) {
  WriteMessage(title, text);
  return PromptAnswer::kCancel;
}

Prompter& CurrentPrompter() {
  std::lock_guard lock(gPrompterMutex);
  if (!gPrompter) gPrompter = std::make_shared<StandardErrorPrompter>();
  return *gPrompter;
}

std::shared_ptr<Prompter> SetCurrentPrompter(std::shared_ptr<Prompter> prompter) {
  std::lock_guard lock(gPrompterMutex);
  auto previous = std::move(gPrompter);
  gPrompter = std::move(prompter);
  return previous;
}

}  // namespace braxel
