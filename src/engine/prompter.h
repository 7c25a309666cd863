// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes the engine may show, behind an interface: the desktop program supplies
// dialogs, a batch run writes lines to standard error, tests script the answers.
#pragma once

#include <memory>
#include <string>

namespace braxel {

enum class PromptAnswer { kOk, kCancel, kYes, kNo };

class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual void Information(const std::string& title, const std::string& text) = 0;
  virtual void Warning(const std::string& title, const std::string& text) = 0;
  // kYes or kNo.
  virtual PromptAnswer YesNo(const std::string& title, const std::string& text) = 0;
  // kYes, kNo or kCancel.
  virtual PromptAnswer YesNoCancel(const std::string& title, const std::string& text) = 0;
  // kOk or kCancel.
  virtual PromptAnswer OkCancel(const std::string& title, const std::string& text) = 0;
};

// Writes every message to standard error and answers questions with the safe choice
// (No / Cancel), so nothing ever waits for a user.
class StandardErrorPrompter : public Prompter {
 public:
  void Information(const std::string& title, const std::string& text) override;
  void Warning(const std::string& title, const std::string& text) override;
  PromptAnswer YesNo(const std::string& title, const std::string& text) override;
  PromptAnswer YesNoCancel(const std::string& title, const std::string& text) override;
  PromptAnswer OkCancel(const std::string& title, const std::string& text) override;
};

// The process's prompter; a StandardErrorPrompter until one is set.
Prompter& CurrentPrompter();
// Installs a prompter (nullptr restores the default); returns the previous one.
std::shared_ptr<Prompter> SetCurrentPrompter(std::shared_ptr<Prompter> prompter);

}  // namespace braxel
