// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/formats.h"

#include <gtest/gtest.h>

#include "engine/conversion_item.h"

namespace braxel {
namespace {

TEST(Formats, ExtensionLookups) {
  const std::pair<const char*, int32_t> cases[] = {
      {"JPEG", 1}, {"jpg", 1}, {"TIFF", 3}, {"tif", 3}, {"*", -1}, {"png", 8}, {"ani", 14},
      {"jpe", UNSET_FILE_TYPE}, {"dib", UNSET_FILE_TYPE}, {"cpt", UNSET_FILE_TYPE}, {"jp2", UNSET_FILE_TYPE},
      {"", UNSET_FILE_TYPE}};
  for (const auto& [extension, code] : cases) EXPECT_EQ(GetFormatForExtension(extension), code) << extension;
}

TEST(Formats, CodeLookups) {
  EXPECT_EQ(GetExtensionForFormat(3), "tif");
  EXPECT_EQ(GetExtensionForFormat(3, true), "*.tif");
  EXPECT_EQ(GetExtensionForFormat(-1, true), "*.*");
  EXPECT_EQ(GetExtensionForFormat(0, true), "*.");
  EXPECT_EQ(GetExtensionForFormat(0), "");
  EXPECT_EQ(GetExtensionForFormat(12), "ico");  // input-only codes still have an extension
  EXPECT_EQ(GetFileFilterForFormat(3), "Tagged Image File Format (*.tif, *.tiff)|*.tif;*.tiff|All files (*.*)|*.*");
  EXPECT_EQ(GetFileFilterForFormat(99), "");
  EXPECT_TRUE(GetFileFilterForFormat(-1).starts_with("All Picture Types|*.bmp;*.dib;*.emf;"));
  EXPECT_TRUE(GetFileFilterForFormat(-1).ends_with("All Files (*.*)|*.*|"));
}

TEST(Formats, ListsAndTheirExtensionMaps) {
  const FormatListContents input = BuildFormatList(FormatList::kInput);
  ASSERT_EQ(input.entries.size(), 15u);
  EXPECT_EQ(input.entries[0].text, "[-1] Autodetect from file name");
  EXPECT_EQ(input.entries[3].text, "[3] Tagged Image File Format (*.tif)");
  EXPECT_EQ(input.positionOfExtension.at("tiff"), 3);
  EXPECT_EQ(input.positionOfExtension.at("tif"), 3);
  EXPECT_EQ(input.positionOfExtension.count("*"), 0u);

  const FormatListContents output = BuildFormatList(FormatList::kOutput);
  ASSERT_EQ(output.entries.size(), 11u);
  EXPECT_EQ(output.entries.back().code, 11);
  EXPECT_EQ(output.positionOfExtension.at("jpeg"), 0);
  EXPECT_EQ(BuildFormatList(FormatList::kSpecialProcess).entries.size(), 14u);
}

TEST(ConversionItem, Defaults) {
  clsConversionOptions item;
  EXPECT_TRUE(item.IsConversion());
  EXPECT_EQ(item.lOriginalFileType, -12345678);
  EXPECT_EQ(item.lTargetFileType, -12345678);
  EXPECT_EQ(item.lConversionMethod, 1);
  EXPECT_EQ(item.sExtraParams, "1");
  EXPECT_EQ(item.lJPegQuality, 75);
  item.sActionToDo = "S12";
  EXPECT_TRUE(item.IsSpecialProcess());
}

}  // namespace
}  // namespace braxel
