// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/process_state.h"

namespace braxel {

ProcessState& Process() {
  static ProcessState state;
  return state;
}

}  // namespace braxel
