// SPDX-License-Identifier: GPL-3.0-or-later
// Windows icon (ICO), cursor (CUR) and animated cursor (ANI) readers. These formats are read
// only: their codec entries have no save operation.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

bool IcoProbe(Bytes head);  // icon directory (type 1)
bool CurProbe(Bytes head);  // cursor directory (type 2)
// Every directory entry is a page. Both accept icons and cursors.
Result<int> IcoPageCount(Bytes file, const Limits& limits);
// One entry as RGBA: BMP-style entries (1, 4, 8, 16, 24 and 32 bits with AND mask) are
// decoded here, PNG-compressed entries through the PNG codec. kDefaultPage gives the largest
// entry with the most colours.
Result<Image> IcoLoad(Bytes file, int pageIndex, const Limits& limits);

bool AniProbe(Bytes head);
// The pages of an animated cursor are its steps when it has a sequence chunk ('seq '), which
// may show a frame more than once, otherwise its frames in file order.
Result<int> AniPageCount(Bytes file, const Limits& limits);
// One page: the largest entry of that frame's icon. kDefaultPage is the first page.
Result<Image> AniLoad(Bytes file, int pageIndex, const Limits& limits);

}  // namespace braxel::imaging
