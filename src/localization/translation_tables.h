// The texts of every key in each of the nine display languages, compiled into the program as
// constant tables of (key, text) pairs in key order. Texts are UTF-8 and used verbatim; line
// breaks inside a text are single line feeds.
#pragma once

#include "localization/key.h"
#include "localization/language.h"

#include <span>
#include <string_view>

namespace halomark {

struct TranslationEntry
{
    Key key;
    std::string_view text;
};

// The table of the language; empty for `system`, which has no table of its own.
std::span<const TranslationEntry> translationTable(Language language);

namespace translation_tables {

// One per language, each defined in its own file (translations_<language>.cpp).
std::span<const TranslationEntry> english();
std::span<const TranslationEntry> japanese();
std::span<const TranslationEntry> simplifiedChinese();
std::span<const TranslationEntry> traditionalChinese();
std::span<const TranslationEntry> korean();
std::span<const TranslationEntry> spanish();
std::span<const TranslationEntry> french();
std::span<const TranslationEntry> german();
std::span<const TranslationEntry> portuguese();

} // namespace translation_tables

} // namespace halomark
