// SPDX-License-Identifier: GPL-3.0-or-later
// The image format catalogue: one table of format codes with their names, extensions, list
// membership and dialog filters, and the lookups built on it.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace braxel {

struct ImageFormat {
  int32_t code;
  std::string_view name;          // shown (translated) in the format lists
  std::string_view listSuffix;    // " (*.tif)"
  std::string_view extension;     // extension from code, no dot
  std::string_view extensions[2]; // extensions recognised (second may be empty)
  bool output;                    // offered in the output list (has a writer)
  std::string_view filter;        // file dialog filter
};

// Codes 1..14 in ascending order.
std::span<const ImageFormat> ImageFormats();
const ImageFormat* FindImageFormat(int32_t code);

// The extension of a code ("jpg"); with `asPattern` "*." is put in front ("*.jpg", "*.*" for -1).
// Unknown codes give "" (or "*." with the pattern flag).
std::string GetExtensionForFormat(int32_t code, bool asPattern = false);
// The code of an extension (no dot; letter case ignored); "*" gives -1; unknown gives
// UNSET_FILE_TYPE.
int32_t GetFormatForExtension(std::string_view extension);
// The file-dialog filter of a code ("JPEG (*.jpg)|*.jpg|All files (*.*)|*.*"); -1 gives the
// combined filter of every picture type; unknown codes give "".
std::string GetFileFilterForFormat(int32_t code);

// The three format lists of the main window.
enum class FormatList { kInput, kOutput, kSpecialProcess };
struct FormatListEntry {
  std::string text;  // "[3] Tagged Image File Format (*.tif)", name translated
  int32_t code;
};
struct FormatListContents {
  std::vector<FormatListEntry> entries;
  std::map<std::string, int> positionOfExtension;  // lower-case extension -> 0-based position
};
// The entries of a list in display order, with its extension map. The input list begins with
// the autodetect entry, which enters no extension.
FormatListContents BuildFormatList(FormatList list);

}  // namespace braxel
