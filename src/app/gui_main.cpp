// SPDX-License-Identifier: GPL-3.0-or-later
// braxel-gui: the desktop program. Started directly, or by braxel for the window modes
// (--open-job FILE, --change-options N INPUT) after braxel parsed the command line.
#include <QApplication>
#include <QMessageBox>
#include <cstring>

#include "app/dialog_prompter.h"
#include "app/startup.h"
#include "ui/frm_main_mdi.h"

namespace {

// braxel-gui --message-box KIND TITLE TEXT: one message box for a batch run; the exit code
// tells the answer.
int ShowMessageBox(const char* kind, const char* title, const char* text) {
  using braxel::PromptAnswer;
  QMessageBox box;
  box.setWindowTitle(QString::fromUtf8(title));
  box.setText(QString::fromUtf8(text));
  const std::string k = kind;
  box.setIcon(k == "warning" ? QMessageBox::Warning : k == "information" ? QMessageBox::Information
                                                                          : QMessageBox::Question);
  if (k == "yesno") box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  else if (k == "yesnocancel") box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  else if (k == "okcancel") box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  else box.setStandardButtons(QMessageBox::Ok);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return braxel::MessageBoxExitCode(PromptAnswer::kYes);
    case QMessageBox::No:
      return braxel::MessageBoxExitCode(PromptAnswer::kNo);
    case QMessageBox::Ok:
      return braxel::MessageBoxExitCode(PromptAnswer::kOk);
    default:
      return braxel::MessageBoxExitCode(PromptAnswer::kCancel);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc == 5 && std::strcmp(argv[1], "--message-box") == 0) return ShowMessageBox(argv[2], argv[3], argv[4]);
  QApplication::setApplicationName("Braxel");
  braxel::InitialiseProcess();
  braxel::ui::FrmMainMDI frame;
  frame.show();
  return QApplication::exec();
}
