// SPDX-License-Identifier: GPL-3.0-or-later
// Text lookup: every shown text passes through Translate, which looks the English text up in
// the current language's dictionary. Texts without a translation are appended once to the
// current language file so translators find every text the program showed. Language files are
// loaded into this state by the i18n layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace braxel {

struct TranslatorState {
  std::string sCurrentLanguage;   // "" until the translator has started; "English" or a language
  std::string sLanguageFilePath;  // the current language file (not for English)
  int16_t iLanguageFileFormat = 0;  // 0 UTF-8 text, -1 UTF-16 text, 99 unreadable
  std::unordered_map<std::string, std::string> dictTranslations;
};

// The process-wide translator state. Guarded internally; change it only through the functions
// below or before any worker thread starts.
TranslatorState& Translator();
// Replaces the whole state (used when a language is loaded, and by tests).
void SetTranslatorState(TranslatorState state);

// The translation of `text`, or `text` itself. Never fails; never empties a non-empty text.
std::string Translate(std::string_view text);
// Appends one untranslated text to the current language file as a quoted line.
void AppendToLanguageFile(std::string_view text);

}  // namespace braxel
