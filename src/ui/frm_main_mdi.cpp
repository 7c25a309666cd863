// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main_mdi.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "engine/translate.h"

namespace braxel::ui {

FrmMainMDI::FrmMainMDI(QWidget* parent) : QMainWindow(parent) {
  setObjectName("frmMainMDI");
  setWindowTitle(QString::fromStdString(Translate("Braxel")));
  QMenu* file = menuBar()->addMenu(QString::fromStdString(Translate("&File")));
  file->setObjectName("mnuFile");
  QAction* exit = file->addAction(QString::fromStdString(Translate("E&xit")));
  exit->setObjectName("mnuFileExit");
  connect(exit, &QAction::triggered, this, &QWidget::close);
  resize(1100, 650);
}

}  // namespace braxel::ui
