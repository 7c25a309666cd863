// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/translate.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

class TranslateTest : public ::testing::Test {
 protected:
  void TearDown() override { SetTranslatorState({}); }
  TempDir dir;
};

TEST_F(TranslateTest, UnchangedUntilStarted) {
  EXPECT_EQ(Translate("Error"), "Error");
  EXPECT_EQ(Translate("   "), "   ");
}

TEST_F(TranslateTest, EnglishWritesNothing) {
  TranslatorState state;
  state.sCurrentLanguage = "English";
  state.sLanguageFilePath = dir.Sub("English.txt");
  SetTranslatorState(state);
  EXPECT_EQ(Translate("Unknown text"), "Unknown text");
  EXPECT_EQ(ReadWholeFile(dir.Sub("English.txt")), "");
}

TEST_F(TranslateTest, MissingTextsAppendedOnce) {
  TranslatorState state;
  state.sCurrentLanguage = "Deutsch";
  state.sLanguageFilePath = dir.Sub("Deutsch.txt");
  state.dictTranslations["Error"] = "Fehler";
  SetTranslatorState(state);
  EXPECT_EQ(Translate("Error"), "Fehler");
  EXPECT_EQ(Translate("Error "), "Error ");  // a different key
  EXPECT_EQ(Translate("Error "), "Error ");
  EXPECT_EQ(Translate("Pause"), "Pause");
  EXPECT_EQ(ReadWholeFile(dir.Sub("Deutsch.txt")), "\"Error \"\n\"Pause\"\n");
}

}  // namespace
}  // namespace braxel
