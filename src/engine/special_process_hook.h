// SPDX-License-Identifier: GPL-3.0-or-later
// The point where a converted image passes through the item's special process. The engine only
// holds the hook; the special-process layer registers the operations.
#pragma once

#include <functional>

#include "engine/conversion_item.h"
#include "imaging/core/image.h"

namespace braxel {

// Changes `image` in place by the item's special process; false when the operation failed (the
// image is then not saved).
using SpecialProcessHandler =
    std::function<bool(const clsConversionOptions& item, imaging::Image& image)>;

// Registers the special-process operations. Call once at start-up, before any conversion runs
// (conversions on worker threads read the handler without a lock).
void SetSpecialProcessHandler(SpecialProcessHandler handler);

// Passes one decoded image through the item's special process. A conversion item (action "C",
// or process 0) and every process without an operation leave the image unchanged and give true;
// so does a special-process item while no handler is registered.
bool ApplySpecialProcess(const clsConversionOptions& item, imaging::Image& image);

}  // namespace braxel
