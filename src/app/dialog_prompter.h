// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes for a batch run on a display: each box is shown by the desktop program
// (braxel-gui --message-box), so the command-line program itself never loads Qt.
#pragma once

#include <string>

#include "engine/prompter.h"

namespace braxel {

class DialogPrompter : public Prompter {
 public:
  explicit DialogPrompter(std::string guiProgram) : gui_(std::move(guiProgram)) {}
  void Information(const std::string& title, const std::string& text) override;
  void Warning(const std::string& title, const std::string& text) override;
  PromptAnswer YesNo(const std::string& title, const std::string& text) override;
  PromptAnswer YesNoCancel(const std::string& title, const std::string& text) override;
  PromptAnswer OkCancel(const std::string& title, const std::string& text) override;

 private:
  // Shows one box; falls back to standard error when the box cannot be shown.
  PromptAnswer Show(const char* kind, const std::string& title, const std::string& text, PromptAnswer fallback);
  std::string gui_;
  StandardErrorPrompter fallback_;
};

// Exit codes of braxel-gui --message-box for each answer.
int MessageBoxExitCode(PromptAnswer answer);

}  // namespace braxel
