// SPDX-License-Identifier: GPL-3.0-or-later
// Special folders by their numeric identifier, mapped onto the XDG folders of Linux. The
// environment is read on every call, so HOME and XDG_* changes take effect at once.
#pragma once

#include <string>

namespace braxel {

enum class SpecialFolderId : int {
  kDocuments = 5,
  kRoamingAppData = 26,
  kLocalAppData = 28,
  kCommonAppData = 35,
  kWindows = 36,
  kProgramFiles = 38,
  kProfile = 40,
  kProgramFilesX86 = 42,
  kCommonDocuments = 46,
};

enum class SpecialFolderStatus { kOk, kDoesNotExist, kNotValid };
struct SpecialFolder {
  SpecialFolderStatus status = SpecialFolderStatus::kNotValid;
  std::string path;  // without a trailing separator
};

// 5 documents (XDG_DOCUMENTS_DIR when it exists, else $HOME), 26 $XDG_CONFIG_HOME, 28
// $XDG_DATA_HOME, 35 /etc/xdg, 36 /usr, 38 /opt, 40 $HOME, 42 /usr/local, 46 /usr/share.
// Unknown identifiers are kNotValid; a home folder that cannot be found is kDoesNotExist.
SpecialFolder LookUpSpecialFolder(int id);

// The user's home folder ($HOME, else the password database), without a trailing separator.
std::string HomeFolder();

}  // namespace braxel
