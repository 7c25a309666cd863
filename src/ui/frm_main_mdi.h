// SPDX-License-Identifier: GPL-3.0-or-later
// frmMainMDI: the frame window of the desktop program.
#pragma once

#include <QMainWindow>

namespace braxel::ui {

class FrmMainMDI : public QMainWindow {
  Q_OBJECT
 public:
  explicit FrmMainMDI(QWidget* parent = nullptr);
};

}  // namespace braxel::ui
