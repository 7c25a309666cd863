// SPDX-License-Identifier: GPL-3.0-or-later
// GIF reader: every frame is composited onto the logical screen by the disposal rules, so page N
// is what a viewer shows while frame N is on screen.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/codecs/gif/gif_internal.h"
#include "imaging/core/tag_text.h"

namespace braxel::imaging::gif {
namespace {

struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadInput(GifFileType* gif, GifByteType* out, int length) {
  auto* in = static_cast<MemoryInput*>(gif->UserData);
  if (length <= 0) return 0;
  const size_t n = std::min<size_t>(static_cast<size_t>(length), in->size - in->pos);
  std::memcpy(out, in->data + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

struct Decoder {
  GifFileType* gif = nullptr;
  ~Decoder() {
    int error = 0;
    if (gif) DGifCloseFile(gif, &error);
  }
};

std::string GifError(int code, const char* what) {
  const char* text = GifErrorString(code);
  return std::string("cannot read GIF: ") + what + (text ? std::string(" (") + text + ")" : "");
}

struct FrameControl {
  int disposal = DISPOSAL_UNSPECIFIED;
  int transparent = NO_TRANSPARENT_COLOR;
};

// Walks the records of a GIF, decoding frames up to `lastFrame` (all when negative) onto the
// canvas, or only counting them when `canvas` is null.
struct Walk {
  int frames = 0;
  std::vector<uint8_t> canvas;  // RGBA, screen-sized, transparent where nothing was drawn
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> palette;
  int colourBits = 8;
  std::string comment;
};

Status WalkFrames(Bytes file, const Limits& limits, int lastFrame, bool decode, Walk& walk) {
  MemoryInput input{file.data(), file.size(), 0};
  int error = 0;
  Decoder d;
  d.gif = DGifOpen(&input, ReadInput, &error);
  if (!d.gif) return Status::Fail(GifError(error, "not a GIF file"));
  GifFileType* gif = d.gif;
  walk.width = static_cast<uint32_t>(std::max(gif->SWidth, 0));
  walk.height = static_cast<uint32_t>(std::max(gif->SHeight, 0));
  FrameControl control, previousControl;
  int prevLeft = 0, prevTop = 0, prevWidth = 0, prevHeight = 0;
  std::vector<uint8_t> saved;  // canvas before a frame that restores to previous
  std::vector<GifByteType> line;
  while (true) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return Status::Fail(GifError(gif->Error, "the file is damaged"));
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return Status::Fail(GifError(gif->Error, "the file is damaged"));
      bool first = true;
      while (block) {
        if (code == GRAPHICS_EXT_FUNC_CODE && first && block[0] >= 4) {
          GraphicsControlBlock gcb;
          DGifExtensionToGCB(block[0], block + 1, &gcb);
          control.disposal = gcb.DisposalMode;
          control.transparent = gcb.TransparentColor;
        } else if (code == COMMENT_EXT_FUNC_CODE) {
          walk.comment.append(reinterpret_cast<const char*>(block + 1), block[0]);
        }
        first = false;
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return Status::Fail(GifError(gif->Error, "the file is damaged"));
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif) == GIF_ERROR) return Status::Fail(GifError(gif->Error, "the file is damaged"));
    const GifImageDesc& desc = gif->Image;
    const bool wanted = decode && (lastFrame < 0 || walk.frames <= lastFrame);
    if (!wanted) {
      // Skip the compressed data without decoding it.
      int codeSize = 0;
      GifByteType* block = nullptr;
      if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return Status::Fail(GifError(gif->Error, "the file is damaged"));
      while (block)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return Status::Fail(GifError(gif->Error, "the file is damaged"));
      ++walk.frames;
      control = FrameControl{};
      continue;
    }
    if (walk.canvas.empty()) {
      // A screen smaller than the first frame (or none at all) grows to hold it.
      walk.width = std::max<uint32_t>(walk.width, static_cast<uint32_t>(std::max(desc.Left + desc.Width, 0)));
      walk.height = std::max<uint32_t>(walk.height, static_cast<uint32_t>(std::max(desc.Top + desc.Height, 0)));
      if (Status allowed = limits.Check(walk.width, walk.height, 4); !allowed) return allowed;
      walk.canvas.assign(size_t{walk.width} * walk.height * 4, 0);
    } else {
      // Dispose of the previous frame.
      if (previousControl.disposal == DISPOSE_BACKGROUND) {
        for (int y = std::max(prevTop, 0); y < std::min<int>(prevTop + prevHeight, walk.height); ++y) {
          const int x0 = std::max(prevLeft, 0), x1 = std::min<int>(prevLeft + prevWidth, walk.width);
          if (x1 > x0) std::memset(walk.canvas.data() + (size_t{static_cast<uint32_t>(y)} * walk.width + x0) * 4, 0, size_t(x1 - x0) * 4);
        }
      } else if (previousControl.disposal == DISPOSE_PREVIOUS && !saved.empty()) {
        walk.canvas = saved;
      }
    }
    if (desc.Width <= 0 || desc.Height <= 0) return Status::Fail("cannot read GIF: a frame has no pixels");
    if (control.disposal == DISPOSE_PREVIOUS) saved = walk.canvas;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) return Status::Fail("cannot read GIF: a frame has no colour table");
    line.resize(static_cast<size_t>(desc.Width));
    // Interlaced frames store rows in four passes.
    static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      const int start = desc.Interlace ? kStart[pass] : 0, step = desc.Interlace ? kStep[pass] : 1;
      for (int row = start; row < desc.Height; row += step) {
        if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR)
          return Status::Fail(GifError(gif->Error, "the file is truncated or damaged"));
        const int y = desc.Top + row;
        if (y < 0 || y >= static_cast<int>(walk.height)) continue;
        uint8_t* out = walk.canvas.data() + size_t{static_cast<uint32_t>(y)} * walk.width * 4;
        for (int col = 0; col < desc.Width; ++col) {
          const int x = desc.Left + col;
          const int index = line[col];
          if (x < 0 || x >= static_cast<int>(walk.width) || index == control.transparent || index >= map->ColorCount)
            continue;
          const GifColorType& c = map->Colors[index];
          uint8_t* px = out + size_t{static_cast<uint32_t>(x)} * 4;
          px[0] = c.Red;
          px[1] = c.Green;
          px[2] = c.Blue;
          px[3] = 255;
        }
      }
    }
    walk.palette.clear();
    for (int i = 0; i < map->ColorCount && i < 256; ++i) {
      const GifColorType& c = map->Colors[i];
      walk.palette.push_back(i == control.transparent
                                 ? 0u
                                 : 0xff000000u | uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue);
    }
    walk.colourBits = map->BitsPerPixel;
    previousControl = control;
    prevLeft = desc.Left, prevTop = desc.Top, prevWidth = desc.Width, prevHeight = desc.Height;
    control = FrameControl{};
    ++walk.frames;
    if (lastFrame >= 0 && walk.frames > lastFrame) return Status::Ok();
  }
  return Status::Ok();
}

}  // namespace

bool Probe(Bytes head) {
  return head.size() >= 6 && std::memcmp(head.data(), "GIF8", 4) == 0 && (head[4] == '7' || head[4] == '9') &&
         head[5] == 'a';
}

Result<int> PageCount(Bytes file, const Limits& limits) {
  Walk walk;
  if (Status walked = WalkFrames(file, limits, -1, false, walk); !walked) return walked;
  if (walk.frames == 0) return Result<int>::Fail("GIF file has no frames");
  return walk.frames;
}

Result<Image> Load(Bytes file, int pageIndex, const Limits& limits) {
  using R = Result<Image>;
  const int page = pageIndex < 0 ? 0 : pageIndex;
  Walk walk;
  if (Status walked = WalkFrames(file, limits, page, true, walk); !walked) return walked;
  if (walk.frames <= page || walk.canvas.empty())
    return R::Fail(walk.frames == 0 ? "GIF file has no frames" : "GIF file has no page " + std::to_string(page + 1));
  auto created = Image::Create(walk.width, walk.height, PixelLayout::kRgba, limits);
  if (!created) return created;
  Image image = std::move(created.value());
  std::memcpy(image.data(), walk.canvas.data(), walk.canvas.size());
  walk.canvas = {};
  bool opaque = true;
  for (size_t i = 3; i < image.byteSize() && opaque; i += 4) opaque = image.data()[i] == 255;
  if (opaque) image.DropAlphaChannel();
  // The colour table is worth keeping only when the page is a single frame's pixels.
  if (page == 0) image.metadata.palette = std::move(walk.palette);
  image.metadata.sourceBitsPerSample = walk.colourBits;
  if (!walk.comment.empty()) image.metadata.tags = ParseTagComment(walk.comment);
  return image;
}

}  // namespace braxel::imaging::gif
