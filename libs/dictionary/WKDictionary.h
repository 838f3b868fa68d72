#pragma once
// The translation library's exports. Texts are zero-terminated UTF-16; a
// returned text belongs to the library and stays valid until its next call.
// No exception leaves these functions: a database failure gives the result of
// a missing translation and a debug line.
#include <cstdint>

#pragma GCC visibility push(default)

// The language ID that stands for no language.
constexpr int32_t NoLanguageID = static_cast<int32_t>(0x80000001u);

extern "C" {
// The translation of text into the language; text itself for NoLanguageID or
// when no translation exists.
__attribute__((visibility("default"))) const char16_t* Translate(int32_t languageID, const char16_t* text);
// One line per language in name order, "ID=name", each ended by CR LF; empty without languages.
__attribute__((visibility("default"))) const char16_t* GetLanguages();
// The ID of the language named name (letter case ignored), or NoLanguageID.
__attribute__((visibility("default"))) int32_t FindLanguage(const char16_t* name);
}

using TTranslateFunc = const char16_t* (*)(int32_t, const char16_t*);
using TGetLanguagesFunc = const char16_t* (*)();
using TFindLanguageFunc = int32_t (*)(const char16_t*);

#pragma GCC visibility pop
