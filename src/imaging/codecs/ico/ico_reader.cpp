// SPDX-License-Identifier: GPL-3.0-or-later
// ICO and CUR reader: the entry directory, the choice of the default entry, page loading.
#include <string>
#include <vector>

#include "imaging/codecs/ico/ico.h"
#include "imaging/codecs/ico/ico_format.h"

namespace braxel::imaging {
namespace {

using namespace ico;

// The image data of every directory entry, clipped to the file.
Result<std::vector<Bytes>> ReadDirectory(Bytes file) {
  using R = Result<std::vector<Bytes>>;
  if (file.size() < kDirectoryHeaderSize) return R::Fail("icon file is truncated (no header)");
  const uint16_t type = Le16(file.data() + 2);
  const uint16_t count = Le16(file.data() + 4);
  if (Le16(file.data()) != 0 || (type != kTypeIcon && type != kTypeCursor)) return R::Fail("not an icon or cursor file");
  if (count == 0) return R::Fail("icon file has no images");
  if (file.size() < kDirectoryHeaderSize + size_t{count} * kDirectoryEntrySize)
    return R::Fail("icon file is truncated (directory)");
  std::vector<Bytes> entries;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = file.data() + kDirectoryHeaderSize + i * kDirectoryEntrySize;
    const uint32_t size = Le32(e + 8), offset = Le32(e + 12);
    if (offset >= file.size() || size == 0)
      return R::Fail("icon file entry " + std::to_string(i + 1) + " lies outside the file");
    // Writers are known to state sizes a little too large: the decoder sees what is there.
    entries.push_back(file.subspan(offset, std::min<size_t>(size, file.size() - offset)));
  }
  return entries;
}

bool ProbeDirectory(Bytes head, uint16_t wantedType) {
  if (head.size() < kDirectoryHeaderSize + kDirectoryEntrySize) return false;
  const uint16_t count = Le16(head.data() + 4);
  if (Le16(head.data()) != 0 || Le16(head.data() + 2) != wantedType || count == 0) return false;
  const uint8_t* e = head.data() + kDirectoryHeaderSize;
  const uint32_t size = Le32(e + 8), offset = Le32(e + 12);
  return size != 0 && offset >= kDirectoryHeaderSize + size_t{count} * kDirectoryEntrySize;
}

// The largest entry, and among those of one size the one with the most colours.
Result<int> DefaultEntry(const std::vector<Bytes>& entries) {
  int best = -1;
  uint64_t bestArea = 0;
  int bestBits = -1;
  std::string firstProblem;
  for (size_t i = 0; i < entries.size(); ++i) {
    auto shape = ReadEntryShape(entries[i]);
    if (!shape) {
      if (firstProblem.empty()) firstProblem = shape.message();
      continue;
    }
    const uint64_t area = uint64_t{shape->width} * shape->height;
    if (best < 0 || area > bestArea || (area == bestArea && shape->bitsPerPixel > bestBits)) {
      best = static_cast<int>(i);
      bestArea = area;
      bestBits = shape->bitsPerPixel;
    }
  }
  if (best < 0) return Result<int>::Fail(firstProblem);
  return best;
}

}  // namespace

bool IcoProbe(Bytes head) { return ProbeDirectory(head, kTypeIcon); }
bool CurProbe(Bytes head) { return ProbeDirectory(head, kTypeCursor); }

Result<int> IcoPageCount(Bytes file, const Limits&) {
  auto entries = ReadDirectory(file);
  if (!entries) return entries.status();
  return static_cast<int>(entries->size());
}

Result<Image> IcoLoad(Bytes file, int pageIndex, const Limits& limits) {
  auto entries = ReadDirectory(file);
  if (!entries) return entries.status();
  int index = pageIndex;
  if (pageIndex == kDefaultPage) {
    auto chosen = DefaultEntry(*entries);
    if (!chosen) return chosen.status();
    index = *chosen;
  }
  if (index < 0 || static_cast<size_t>(index) >= entries->size())
    return Result<Image>::Fail("icon file has no page " + std::to_string(index + 1));
  return DecodeEntry((*entries)[index], limits);
}

}  // namespace braxel::imaging
