// SPDX-License-Identifier: GPL-3.0-or-later
// The descriptive tags in their on-disk forms: the EXIF/TIFF date form, the EXIF block of a JPEG
// (a little-endian TIFF structure with one IFD), and the key/value lines of a GIF comment.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/core/image.h"

namespace braxel::imaging {

// "YYYY:MM:DD HH:MM:SS" when `text` is a date (with or without a time) in one of the forms
// YYYY-MM-DD, YYYY/MM/DD, YYYY.MM.DD or YYYY:MM:DD, optionally followed by " " or "T" and
// HH:MM or HH:MM:SS; the text unchanged otherwise.
std::string ExifDateTime(std::string_view text);

// The TIFF-structured payload of an EXIF APP1 segment (without the "Exif\0\0" prefix) holding
// the non-empty tags; empty when every tag is empty.
std::vector<uint8_t> BuildExifBlock(const ImageTags& tags);
// Reads the tags of an EXIF payload (without its prefix); unknown or damaged parts are skipped.
ImageTags ParseExifBlock(std::span<const uint8_t> block);

// The GIF comment holding the non-empty tags, one "Key: value" line each; empty when none.
std::string BuildTagComment(const ImageTags& tags);
// Reads back a comment made by BuildTagComment; other comments become the description.
ImageTags ParseTagComment(std::string_view comment);

}  // namespace braxel::imaging
