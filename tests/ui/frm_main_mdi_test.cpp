// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main_mdi.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <chrono>
#include <thread>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

TEST(FrmMainMDI, CaptionMenuAndExit) {
  App();
  ui::FrmMainMDI frame;
  frame.show();
  EXPECT_EQ(frame.objectName(), "frmMainMDI");
  EXPECT_EQ(frame.windowTitle(), "Braxel");
  auto* exit = frame.findChild<QAction*>("mnuFileExit");
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->text(), "E&xit");
  EXPECT_TRUE(frame.isVisible());
  exit->trigger();
  EXPECT_FALSE(frame.isVisible());
}

// An empty command line hands over to the desktop program, which keeps running until closed.
TEST(FrmMainMDI, EmptyCommandLineOpensTheWindow) {
  test::TempDir dir;
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("HOME", dir.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.Sub(".config").c_str(), 1);
    setenv("XDG_DATA_HOME", dir.Sub(".local/share").c_str(), 1);
    const std::string exe = test::BraxelExe();
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the window closed by itself";
  kill(pid, SIGTERM);
  waitpid(pid, &status, 0);
}

}  // namespace
}  // namespace braxel
