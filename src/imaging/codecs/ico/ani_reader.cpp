// SPDX-License-Identifier: GPL-3.0-or-later
// Animated cursor (ANI) reader: the RIFF 'ACON' chunks, frames from the 'fram' list and the
// step order of the 'seq ' chunk.
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/ico/ico.h"
#include "imaging/codecs/ico/ico_format.h"

namespace braxel::imaging {
namespace {

using namespace ico;

struct Animation {
  std::vector<Bytes> frames;
  std::vector<uint32_t> steps;  // frame index of every page
};

bool IdIs(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// Calls `chunk(id, data)` for every chunk of `area`; false when a chunk runs past its end.
template <typename F>
bool ForEachChunk(Bytes area, F&& chunk) {
  size_t pos = 0;
  while (area.size() - pos >= 8) {
    const uint8_t* id = area.data() + pos;
    const uint32_t size = Le32(area.data() + pos + 4);
    pos += 8;
    if (size > area.size() - pos) return false;
    if (!chunk(id, area.subspan(pos, size))) return false;
    pos += size;
    if (size % 2 && pos < area.size()) ++pos;  // chunks are padded to an even size
  }
  return true;
}

Result<Animation> ReadAnimation(Bytes file) {
  using R = Result<Animation>;
  if (file.size() < 12 || !IdIs(file.data(), "RIFF") || !IdIs(file.data() + 8, "ACON"))
    return R::Fail("not an animated cursor file");
  const uint32_t riffSize = Le32(file.data() + 4);
  if (riffSize < 4 || riffSize > file.size() - 8) return R::Fail("animated cursor file is truncated");
  Animation animation;
  bool haveHeader = false, haveSequence = false, iconFrames = true;
  std::string problem;
  const bool walked = ForEachChunk(file.subspan(12, riffSize - 4), [&](const uint8_t* id, Bytes data) {
    if (IdIs(id, "anih")) {
      if (data.size() < 36) {
        problem = "animated cursor header is too short";
        return false;
      }
      iconFrames = (Le32(data.data() + 32) & 1) != 0;  // AF_ICON: frames are icon resources
      haveHeader = true;
    } else if (IdIs(id, "seq ")) {
      haveSequence = true;
      animation.steps.clear();
      for (size_t i = 0; i + 4 <= data.size(); i += 4) animation.steps.push_back(Le32(data.data() + i));
    } else if (IdIs(id, "LIST") && data.size() >= 4 && IdIs(data.data(), "fram")) {
      const bool listed = ForEachChunk(data.subspan(4), [&](const uint8_t* frameId, Bytes frame) {
        if (IdIs(frameId, "icon")) animation.frames.push_back(frame);
        return true;
      });
      if (!listed) problem = "animated cursor frame list is truncated";
      return listed;
    }
    return true;
  });
  if (!walked) return R::Fail(problem.empty() ? "animated cursor file is truncated" : problem);
  if (!haveHeader) return R::Fail("animated cursor file has no header chunk");
  if (!iconFrames) return R::Fail("animated cursor file holds raw frames, which are not supported");
  if (animation.frames.empty()) return R::Fail("animated cursor file has no frames");
  if (haveSequence) {
    if (animation.steps.empty()) return R::Fail("animated cursor sequence is empty");
    for (uint32_t step : animation.steps)
      if (step >= animation.frames.size()) return R::Fail("animated cursor sequence names a missing frame");
  } else {
    for (uint32_t i = 0; i < animation.frames.size(); ++i) animation.steps.push_back(i);
  }
  return animation;
}

}  // namespace

bool AniProbe(Bytes head) {
  return head.size() >= 12 && IdIs(head.data(), "RIFF") && IdIs(head.data() + 8, "ACON");
}

Result<int> AniPageCount(Bytes file, const Limits&) {
  auto animation = ReadAnimation(file);
  if (!animation) return animation.status();
  return static_cast<int>(animation->steps.size());
}

Result<Image> AniLoad(Bytes file, int pageIndex, const Limits& limits) {
  auto animation = ReadAnimation(file);
  if (!animation) return animation.status();
  const int page = pageIndex == kDefaultPage ? 0 : pageIndex;
  if (page < 0 || static_cast<size_t>(page) >= animation->steps.size())
    return Result<Image>::Fail("animated cursor has no page " + std::to_string(page + 1));
  auto frame = IcoLoad(animation->frames[animation->steps[page]], kDefaultPage, limits);
  if (!frame) return Result<Image>::Fail("animated cursor frame: " + frame.message());
  return frame;
}

}  // namespace braxel::imaging
