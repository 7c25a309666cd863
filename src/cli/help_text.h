// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line help that "braxel --help" prints.
#pragma once

#include <string>

namespace braxel {

std::string CommandLineHelpText();

}  // namespace braxel
