// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialog_prompter.h"

#include "platform/process.h"

namespace braxel {

int MessageBoxExitCode(PromptAnswer answer) {
  switch (answer) {
    case PromptAnswer::kOk:
      return 10;
    case PromptAnswer::kCancel:
      return 11;
    case PromptAnswer::kYes:
      return 12;
    case PromptAnswer::kNo:
      return 13;
  }
  return 11;
}

PromptAnswer DialogPrompter::Show(const char* kind, const std::string& title, const std::string& text,
                                  PromptAnswer fallback) {
  const int code = RunProgramAndWait(gui_, {"--message-box", kind, title.empty() ? "Braxel" : title, text});
  for (PromptAnswer answer : {PromptAnswer::kOk, PromptAnswer::kCancel, PromptAnswer::kYes, PromptAnswer::kNo})
    if (code == MessageBoxExitCode(answer)) return answer;
  fallback_.Information(title, text);
  return fallback;
}

void DialogPrompter::Information(const std::string& title, const std::string& text) {
  Show("information", title, text, PromptAnswer::kOk);
}
void DialogPrompter::Warning(const std::string& title, const std::string& text) {
  Show("warning", title, text, PromptAnswer::kOk);
}
PromptAnswer DialogPrompter::YesNo(const std::string& title, const std::string& text) {
  return Show("yesno", title, text, PromptAnswer::kNo);
}
PromptAnswer DialogPrompter::YesNoCancel(const std::string& title, const std::string& text) {
  return Show("yesnocancel", title, text, PromptAnswer::kCancel);
}
PromptAnswer DialogPrompter::OkCancel(const std::string& title, const std::string& text) {
  return Show("okcancel", title, text, PromptAnswer::kCancel);
}

}  // namespace braxel
