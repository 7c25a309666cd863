// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG (format code 1) through libjpeg-turbo's libjpeg API.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

Codec JpegCodec();

}  // namespace braxel::imaging
