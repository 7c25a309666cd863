// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion options: the eleven "^"-separated fields that select TIFF pages, TIFF
// compression and appending, the JPEG quality and the seven image tags, with their text form.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace braxel {

inline constexpr char kOptionsFieldSeparator = '^';
inline constexpr int kConversionOptionsFieldCount = 11;

// The options text used when the settings file holds none.
inline constexpr std::string_view kDefaultConversionOptionsText =
    "1^0^FALSE^75^'Braxel'^The comprehensive image conversion tool^^^^^^";

// TIFF compression codes (field 1) and the names the dialog shows for them (translate on use).
enum TiffCompressionCode : int32_t {
  kTiffNoCompression = 0,
  kTiffLzw = 1,
  kTiffRle = 2,
  kTiffCcitt3 = 3,
  kTiffCcitt4 = 4,
};
inline constexpr std::array<std::string_view, 5> kTiffCompressionNames = {
    "No compression", "LZW Compression", "RLE Compression (1bpp)", "CCITT3 Compression (1bpp)",
    "CCITT4 Compression (1bpp)"};

// The options as values. A default-constructed value holds the defaults of
// kDefaultConversionOptionsText; Blank() is the starting point of parsing.
struct ConversionOptions {
  std::string sPageRange = "1";                   // 0: pages of a TIFF input, "*" for all
  int32_t lTiffCompression = kTiffNoCompression;  // 1
  bool bTiffAppend = false;                       // 2: append to an existing TIFF
  int32_t lJpegQuality = 75;                      // 3: JPEG and J2K quality
  std::string sTitle = "'Braxel'";                // 4..10: image tags
  std::string sDescription = "The comprehensive image conversion tool";
  std::string sDateTime;
  std::string sAuthor;
  std::string sCopyright;
  std::string sEquipmentModel;
  std::string sEquipmentType;

  // Empty page range, compression 0, append off, quality 0, empty tags.
  static ConversionOptions Blank();
  bool operator==(const ConversionOptions&) const = default;
};

// Reads an options text. Never fails: a text without "^" gives Blank(); a missing field or one
// that cannot be read keeps its blank value, except the quality, which is 100 when its field is
// present but not a number. The append field accepts "TRUE"/"FALSE" in any letter case or a
// number (0 false, anything else true); an empty append field is false.
ConversionOptions ParseConversionOptions(std::string_view text);

// The text form: every field followed by "^". A "^" inside a text field would shift every later
// field, so it is removed.
std::string BuildConversionOptions(const ConversionOptions& options);

// Which controls of the main window's conversion panel are shown for an input text and a
// conversion method (the data side of setting the panel up).
struct ConvertPanelLayout {
  bool bShowFolderOptions = false;           // cbSaveToOriginalFolder and cbDoSubfolders
  bool bUntickSaveToOriginalFolder = false;  // hidden boxes are unticked, not left set
  bool bShowSelectTargetFile = true;         // cmdSelectTargetFile and picSelectTargetFile
  bool bShowInputFormatList = false;         // cbFileTypeOriginal and lblFileTypeOriginal
  bool operator==(const ConvertPanelLayout&) const = default;
};
// A folder input (with "*") offers saving next to the input and subfolders instead of the
// output file button; conversion method 1 shows the input format list.
ConvertPanelLayout ConvertPanelLayoutFor(std::string_view inputText, int32_t conversionMethod);

// The text with every "^" removed (what the dialog does to the boxes it stores).
std::string RemoveFieldSeparators(std::string_view text);

}  // namespace braxel
