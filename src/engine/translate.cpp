// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/translate.h"

#include <mutex>

#include "engine/prompter.h"
#include "platform/files.h"
#include "platform/text.h"

namespace braxel {
namespace {

std::mutex& TranslatorMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string ToUtf16Le(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp = c;
    size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
    if (extra) cp = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    i += extra + 1;
    const auto put = [&](uint32_t unit) {
      out.push_back(static_cast<char>(unit & 0xFF));
      out.push_back(static_cast<char>(unit >> 8));
    };
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

}  // namespace

TranslatorState& Translator() {
  static TranslatorState state;
  return state;
}

void SetTranslatorState(TranslatorState state) {
  std::lock_guard lock(TranslatorMutex());
  Translator() = std::move(state);
}

std::string Translate(std::string_view text) {
  if (Trim(text).empty()) return std::string(text);
  bool append = false;
  {
    std::lock_guard lock(TranslatorMutex());
    TranslatorState& state = Translator();
    if (Trim(state.sCurrentLanguage).empty()) return std::string(text);
    const std::string key(text);
    if (auto hit = state.dictTranslations.find(key); hit != state.dictTranslations.end()) return hit->second;
    append = state.sCurrentLanguage != "English";
    state.dictTranslations.emplace(key, key);
  }
  if (append) AppendToLanguageFile(text);
  return std::string(text);
}

void AppendToLanguageFile(std::string_view text) {
  if (Trim(text).empty()) return;
  std::string path;
  int16_t format = 0;
  {
    std::lock_guard lock(TranslatorMutex());
    path = Translator().sLanguageFilePath;
    format = Translator().iLanguageFileFormat;
  }
  if (path.empty()) return;
  const std::string line = "\"" + std::string(text) + "\"\n";
  const Status written = AppendToFile(path, format == -1 ? ToUtf16Le(line) : line);
  if (!written) CurrentPrompter().Warning(Translate("Error"), Translate("Unable to add to Language file"));
}

}  // namespace braxel
