// SPDX-License-Identifier: GPL-3.0-or-later
// braxel-gui: the desktop program. Started directly, or by braxel for the window modes
// (--open-job FILE, --change-options N INPUT) after braxel parsed the command line.
#include <QApplication>

#include "app/startup.h"
#include "ui/frm_main_mdi.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Braxel");
  braxel::InitialiseProcess();
  braxel::ui::FrmMainMDI frame;
  frame.show();
  return QApplication::exec();
}
