// SPDX-License-Identifier: GPL-3.0-or-later
// The registered special-process handler and the pass-through for conversion items.
#include "engine/special_process_hook.h"

#include <utility>

namespace braxel {
namespace {

SpecialProcessHandler& Handler() {
  static SpecialProcessHandler handler;
  return handler;
}

}  // namespace

void SetSpecialProcessHandler(SpecialProcessHandler handler) { Handler() = std::move(handler); }

bool ApplySpecialProcess(const clsConversionOptions& item, imaging::Image& image) {
  if (item.IsConversion() || item.lSpecialProcess == 0) return true;
  const SpecialProcessHandler& handler = Handler();
  return handler ? handler(item, image) : true;
}

}  // namespace braxel
