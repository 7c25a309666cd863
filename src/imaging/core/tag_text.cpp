// SPDX-License-Identifier: GPL-3.0-or-later
// On-disk forms of the descriptive tags.
#include "imaging/core/tag_text.h"

#include <cstdio>
#include <optional>

#include "platform/text.h"

namespace braxel::imaging {
namespace {

// TIFF tag numbers used in the EXIF IFD0.
constexpr uint16_t kTagImageDescription = 0x010E;
constexpr uint16_t kTagMake = 0x010F;
constexpr uint16_t kTagModel = 0x0110;
constexpr uint16_t kTagDateTime = 0x0132;
constexpr uint16_t kTagArtist = 0x013B;
constexpr uint16_t kTagCopyright = 0x8298;
constexpr uint16_t kTagXpTitle = 0x9C9B;
constexpr uint16_t kTypeByte = 1;
constexpr uint16_t kTypeAscii = 2;

std::optional<int> Digits(std::string_view text, size_t pos, size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// UTF-8 to UTF-16LE bytes with a terminating zero, as XPTitle holds it.
std::vector<uint8_t> Utf16le(std::string_view text) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = static_cast<uint8_t>(text[i]);
    size_t len = 1;
    if (cp >= 0xF0) len = 4, cp &= 0x07;
    else if (cp >= 0xE0) len = 3, cp &= 0x0F;
    else if (cp >= 0xC0) len = 2, cp &= 0x1F;
    if (i + len > text.size()) len = 1, cp = '?';
    for (size_t k = 1; k < len; ++k) cp = cp << 6 | (static_cast<uint8_t>(text[i + k]) & 0x3F);
    i += len;
    auto put = [&out](uint32_t unit) {
      out.push_back(static_cast<uint8_t>(unit));
      out.push_back(static_cast<uint8_t>(unit >> 8));
    };
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 | (cp >> 10));
      put(0xDC00 | (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::string FromUtf16le(std::span<const uint8_t> bytes) {
  std::string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t cp = bytes[i] | bytes[i + 1] << 8;
    if (cp == 0) break;
    if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size()) {
      const uint32_t low = bytes[i + 2] | bytes[i + 3] << 8;
      if (low >= 0xDC00 && low < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | cp >> 6);
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | cp >> 12);
      out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | cp >> 18);
      out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

struct Entry {
  uint16_t tag;
  uint16_t type;
  std::vector<uint8_t> value;
};

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct Field {
  const char* key;
  std::string ImageTags::*member;
};
constexpr Field kCommentFields[] = {
    {"Title", &ImageTags::title},         {"Description", &ImageTags::description},
    {"DateTime", &ImageTags::dateTime},   {"Author", &ImageTags::author},
    {"Copyright", &ImageTags::copyright}, {"EquipmentType", &ImageTags::equipmentType},
    {"EquipmentModel", &ImageTags::equipmentModel},
};

}  // namespace

std::string ExifDateTime(std::string_view text) {
  const std::string trimmed = Trim(text);
  const std::string_view t = trimmed;
  auto year = Digits(t, 0, 4), month = Digits(t, 5, 2), day = Digits(t, 8, 2);
  if (!year || !month || !day || t.size() < 10) return std::string(text);
  const char sep = t[4];
  if ((sep != '-' && sep != '/' && sep != '.' && sep != ':') || t[7] != sep)
    return std::string(text);
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31) return std::string(text);
  int hour = 0, minute = 0, second = 0;
  if (t.size() > 10) {
    if (t[10] != ' ' && t[10] != 'T') return std::string(text);
    auto h = Digits(t, 11, 2), m = Digits(t, 14, 2);
    if (!h || !m || t.size() < 16 || t[13] != ':') return std::string(text);
    hour = *h;
    minute = *m;
    if (t.size() > 16) {
      auto s = Digits(t, 17, 2);
      if (t[16] != ':' || !s || t.size() != 19) return std::string(text);
      second = *s;
    }
    if (hour > 23 || minute > 59 || second > 60) return std::string(text);
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d:%02d:%02d %02d:%02d:%02d", *year, *month, *day, hour,
                minute, second);
  return buffer;
}

std::vector<uint8_t> BuildExifBlock(const ImageTags& tags) {
  std::vector<Entry> entries;
  auto ascii = [&entries](uint16_t tag, const std::string& text) {
    if (text.empty()) return;
    std::vector<uint8_t> value(text.begin(), text.end());
    value.push_back(0);
    entries.push_back({tag, kTypeAscii, std::move(value)});
  };
  // IFD entries must be sorted by tag number.
  ascii(kTagImageDescription, tags.description);
  ascii(kTagMake, tags.equipmentType);
  ascii(kTagModel, tags.equipmentModel);
  ascii(kTagDateTime, ExifDateTime(tags.dateTime));
  ascii(kTagArtist, tags.author);
  ascii(kTagCopyright, tags.copyright);
  if (!tags.title.empty()) entries.push_back({kTagXpTitle, kTypeByte, Utf16le(tags.title)});
  if (entries.empty()) return {};

  std::vector<uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const uint32_t ifdSize = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  uint32_t dataOffset = 8 + ifdSize;
  std::vector<uint8_t> data;
  Put16(out, static_cast<uint32_t>(entries.size()));
  for (const Entry& e : entries) {
    Put16(out, e.tag);
    Put16(out, e.type);
    Put32(out, static_cast<uint32_t>(e.value.size()));
    if (e.value.size() <= 4) {
      std::vector<uint8_t> inline4 = e.value;
      inline4.resize(4, 0);
      out.insert(out.end(), inline4.begin(), inline4.end());
    } else {
      Put32(out, dataOffset + static_cast<uint32_t>(data.size()));
      data.insert(data.end(), e.value.begin(), e.value.end());
      if (data.size() & 1) data.push_back(0);  // values start on word boundaries
    }
  }
  Put32(out, 0);  // no next IFD
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

ImageTags ParseExifBlock(std::span<const uint8_t> block) {
  ImageTags tags;
  if (block.size() < 8) return tags;
  const bool little = block[0] == 'I' && block[1] == 'I';
  const bool big = block[0] == 'M' && block[1] == 'M';
  if (!little && !big) return tags;
  auto u16 = [&](size_t at) -> uint32_t {
    return little ? block[at] | block[at + 1] << 8 : block[at] << 8 | block[at + 1];
  };
  auto u32 = [&](size_t at) -> uint32_t {
    return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
  };
  if (u16(2) != 42) return tags;
  const size_t ifd = u32(4);
  if (ifd + 2 > block.size()) return tags;
  const size_t count = u16(ifd);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = ifd + 2 + 12 * i;
    if (at + 12 > block.size()) break;
    const uint32_t tag = u16(at), type = u16(at + 2), n = u32(at + 4);
    if ((type != kTypeAscii && type != kTypeByte) || n == 0 || n > block.size()) continue;
    const size_t offset = n <= 4 ? at + 8 : u32(at + 8);
    if (offset > block.size() || n > block.size() - offset) continue;
    const auto value = block.subspan(offset, n);
    std::string text(value.begin(), value.end());
    if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    switch (tag) {
      case kTagImageDescription: tags.description = text; break;
      case kTagMake: tags.equipmentType = text; break;
      case kTagModel: tags.equipmentModel = text; break;
      case kTagDateTime: tags.dateTime = text; break;
      case kTagArtist: tags.author = text; break;
      case kTagCopyright: tags.copyright = text; break;
      case kTagXpTitle: tags.title = FromUtf16le(value); break;
      default: break;
    }
  }
  return tags;
}

std::string BuildTagComment(const ImageTags& tags) {
  ImageTags dated = tags;
  dated.dateTime = ExifDateTime(tags.dateTime);
  std::string out;
  for (const Field& f : kCommentFields) {
    const std::string& value = dated.*f.member;
    if (value.empty()) continue;
    if (!out.empty()) out += '\n';
    out += f.key;
    out += ": ";
    out += value;
  }
  return out;
}

ImageTags ParseTagComment(std::string_view comment) {
  ImageTags tags;
  bool recognised = false;
  for (const std::string& line : Split(comment, '\n')) {
    bool matched = false;
    for (const Field& f : kCommentFields) {
      const std::string prefix = std::string(f.key) + ": ";
      if (line.rfind(prefix, 0) == 0) {
        tags.*f.member = line.substr(prefix.size());
        matched = recognised = true;
        break;
      }
    }
    if (!matched) {
      recognised = false;
      break;
    }
  }
  if (!recognised) {
    tags = ImageTags{};
    tags.description = std::string(comment);
  }
  return tags;
}

}  // namespace braxel::imaging
